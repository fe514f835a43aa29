#include "shapes/shape_registry.h"

#include <algorithm>
#include <array>

#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"

namespace xyla::shapes {

namespace {

constexpr std::array kShapes = {
    LineShape{-1, "", "gau", 4, gauOf, false},
    LineShape{-1, "", "lor", 4, lorOf, false},
    LineShape{kGaussLorentz, "GL", "galo", 5, galoOf, true},
    LineShape{kDoniachSunjic, "DS", "", 5, dosuOf, true},
    LineShape{kTailed, "ET", "tail", 6, tailOf, false},
};

// A convolved value sums the shape over about 41 offsets (its half range in 20 steps
// each way).
constexpr double kConvolutionPoints = 41.0;

}  // namespace

// The shape of each fit code 0, 1, 2, fixed when the program is loaded, so the model
// evaluation finds its shape without a search or a call.
constinit const std::array<const LineShape*, kFitCodes> kShapeOfCode = [] {
  std::array<const LineShape*, kFitCodes> of{};
  for (const LineShape& s : kShapes)
    if (s.code >= 0) of[static_cast<std::size_t>(s.code)] = &s;
  return of;
}();

std::span<const LineShape> lineShapes() { return kShapes; }

const LineShape* shapeByExprName(std::string_view name) {
  if (name.empty()) return nullptr;
  const auto it =
      std::find_if(kShapes.begin(), kShapes.end(), [name](const LineShape& s) { return s.exprName == name; });
  return it == kShapes.end() ? nullptr : &*it;
}

int fitCodeOfName(std::string_view name) {
  const bool convolved = !name.empty() && name.back() == '*';
  if (convolved) name.remove_suffix(1);
  for (const LineShape& s : kShapes) {
    if (s.fitName.empty() || s.fitName != name) continue;
    if (!convolved) return s.code;
    return s.convolvable ? s.code + kConvolved : -1;
  }
  return -1;
}

double evaluationCost(int code) { return code >= kConvolved ? kConvolutionPoints : 1.0; }

}  // namespace xyla::shapes
