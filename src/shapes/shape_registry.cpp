#include "shapes/shape_registry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"
#include "shapes/xps_shapes.h"

namespace xyla::shapes {

namespace {

constexpr std::array kShapes = {
    LineShape{-1, "", "gau", 4, gauOf, false},
    LineShape{-1, "", "lor", 4, lorOf, false},
    LineShape{kGaussLorentz, "GL", "galo", 5, galoOf, true},
    LineShape{kDoniachSunjic, "DS", "", 5, dosuOf, true},
    LineShape{kTailed, "ET", "tail", 6, tailOf, false},
    LineShape{kGaussLorentzPercent, "GLP", "glp", 5, glpOf, true},
    LineShape{kSumGaussLorentz, "SGL", "sgl", 5, sglOf, true},
    LineShape{kVoigt, "VOIGT", "voigt", 5, voigtOf, false},
    LineShape{-1, "", "la", 7, laOf, false},  // in the fit as LA(alpha,beta,m)
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

int percentShapeOfName(std::string_view name, double& percent) {
  const std::size_t open = name.find('(');
  if (open == std::string_view::npos || name.size() < open + 3 || name.back() != ')') return -1;
  const std::string_view base = name.substr(0, open);
  const int code = base == "GL" ? kGaussLorentzPercent : base == "SGL" ? kSumGaussLorentz : -1;
  if (code < 0) return -1;
  const char* first = name.data() + open + 1;
  const char* last = name.data() + name.size() - 1;
  double p = 0.0;
  const auto r = std::from_chars(first, last, p);
  if (r.ec != std::errc() || r.ptr != last || !(p >= 0.0 && p <= 100.0)) return -1;
  percent = p;
  return code;
}

int laShapeOfName(std::string_view name, double& alpha, double& beta) {
  if (!name.starts_with("LA(") || !name.ends_with(")")) return -1;
  double v[3];
  const char* at = name.data() + 3;
  const char* end = name.data() + name.size() - 1;
  for (int i = 0; i < 3; ++i) {
    const auto r = std::from_chars(at, end, v[i]);
    if (r.ec != std::errc()) return -1;
    at = r.ptr;
    if (i < 2) {
      if (at == end || (*at != ',' && *at != ';')) return -1;
      ++at;
    }
  }
  if (at != end || !(v[0] > 0.5) || !(v[1] > 0.5) || !std::isfinite(v[0]) || !std::isfinite(v[1])) return -1;
  if (!(v[2] >= 0.0 && v[2] <= kMaxLaPercent) || v[2] != std::floor(v[2])) return -1;
  alpha = v[0];
  beta = v[1];
  return kAsymmetricLorentzian + static_cast<int>(v[2]);
}

double evaluationCost(int code) {
  if (isLaCode(code)) return laOffsets(code - kAsymmetricLorentzian);
  return code >= kConvolved ? kConvolutionPoints : 1.0;
}

}  // namespace xyla::shapes
