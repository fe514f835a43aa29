#include "shapes/shape_registry.h"

#include <algorithm>
#include <array>

#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"

namespace xyla::shapes {

namespace {

double gauAt(double x, const double* p) { return gau(x, p[1], p[2], p[3]); }
double lorAt(double x, const double* p) { return lor(x, p[1], p[2], p[3]); }
double galoAt(double x, const double* p) { return galo(x, p[1], p[2], p[3], p[4]); }
double dosuAt(double x, const double* p) { return dosu(x, p[1], p[2], p[3], p[4]); }
double tailAt(double x, const double* p) { return tail(x, p[1], p[2], p[3], p[4], p[5]); }

constexpr std::array kShapes = {
    LineShape{-1, "", "gau", 4, gauAt, false},
    LineShape{-1, "", "lor", 4, lorAt, false},
    LineShape{kGaussLorentz, "GL", "galo", 5, galoAt, true},
    LineShape{kDoniachSunjic, "DS", "", 5, dosuAt, true},
    LineShape{kTailed, "ET", "tail", 6, tailAt, false},
};

// A convolved value sums the shape over about 41 offsets (its half range in 20 steps
// each way).
constexpr double kConvolutionPoints = 41.0;

// Index into kShapes of each fit code 0, 1, 2, ..., so the model evaluation finds its
// shape without a search.
constexpr int kFitCodes = 3;
constexpr std::array<int, kFitCodes> kIndexOfCode = [] {
  std::array<int, kFitCodes> index{};
  for (std::size_t i = 0; i < kShapes.size(); ++i)
    if (kShapes[i].code >= 0) index[static_cast<std::size_t>(kShapes[i].code)] = static_cast<int>(i);
  return index;
}();

}  // namespace

std::span<const LineShape> lineShapes() { return kShapes; }

const LineShape* shapeByCode(int code) {
  return code >= 0 && code < kFitCodes ? &kShapes[static_cast<std::size_t>(kIndexOfCode[code])] : nullptr;
}

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
