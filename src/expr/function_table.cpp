#include "expr/function_table.h"

#include <algorithm>
#include <array>
#include <vector>

#include "shapes/shape_registry.h"

namespace xyla::expr {

namespace {

using K = FnKind;

constexpr std::array kTable = {
    FunctionInfo{"pi", Fn::Pi, K::Constant, 0},       FunctionInfo{"e", Fn::E, K::Constant, 0},
    FunctionInfo{"sin", Fn::Sin, K::Prefix, 1},       FunctionInfo{"cos", Fn::Cos, K::Prefix, 1},
    FunctionInfo{"tan", Fn::Tan, K::Prefix, 1},       FunctionInfo{"asin", Fn::Asin, K::Prefix, 1},
    FunctionInfo{"acos", Fn::Acos, K::Prefix, 1},     FunctionInfo{"atan", Fn::Atan, K::Prefix, 1},
    FunctionInfo{"sinh", Fn::Sinh, K::Prefix, 1},     FunctionInfo{"cosh", Fn::Cosh, K::Prefix, 1},
    FunctionInfo{"tanh", Fn::Tanh, K::Prefix, 1},     FunctionInfo{"asinh", Fn::Asinh, K::Prefix, 1},
    FunctionInfo{"acosh", Fn::Acosh, K::Prefix, 1},   FunctionInfo{"atanh", Fn::Atanh, K::Prefix, 1},
    FunctionInfo{"ln", Fn::Ln, K::Prefix, 1},         FunctionInfo{"log", Fn::Log, K::Prefix, 1},
    FunctionInfo{"sqrt", Fn::Sqrt, K::Prefix, 1},     FunctionInfo{"cbrt", Fn::Cbrt, K::Prefix, 1},
    FunctionInfo{"erf", Fn::Erf, K::Prefix, 1},       FunctionInfo{"erfc", Fn::Erfc, K::Prefix, 1},
    FunctionInfo{"j0", Fn::J0, K::Prefix, 1},         FunctionInfo{"j1", Fn::J1, K::Prefix, 1},
    FunctionInfo{"y0", Fn::Y0, K::Prefix, 1},         FunctionInfo{"y1", Fn::Y1, K::Prefix, 1},
    FunctionInfo{"int", Fn::Int, K::Prefix, 1},       FunctionInfo{"frac", Fn::Frac, K::Prefix, 1},
    FunctionInfo{"abs", Fn::Abs, K::Prefix, 1},       FunctionInfo{"rad", Fn::Rad, K::Prefix, 1},
    FunctionInfo{"deg", Fn::Deg, K::Prefix, 1},       FunctionInfo{"rnd", Fn::Rnd, K::Prefix, 1},
    FunctionInfo{"points", Fn::Points, K::Prefix, 1}, FunctionInfo{"xmin", Fn::Xmin, K::Prefix, 1},
    FunctionInfo{"xmax", Fn::Xmax, K::Prefix, 1},     FunctionInfo{"ymin", Fn::Ymin, K::Prefix, 1},
    FunctionInfo{"ymax", Fn::Ymax, K::Prefix, 1},     FunctionInfo{"jn", Fn::Jn, K::Call, 2},
    FunctionInfo{"yn", Fn::Yn, K::Call, 2},           FunctionInfo{"round", Fn::Round, K::Call, 2},
    FunctionInfo{"xval", Fn::Xval, K::Call, 2},       FunctionInfo{"yval", Fn::Yval, K::Call, 2},
    FunctionInfo{"xerr", Fn::Xerr, K::Call, 2},       FunctionInfo{"yerr", Fn::Yerr, K::Call, 2},
    FunctionInfo{"findx", Fn::Findx, K::Call, 2},     FunctionInfo{"findy", Fn::Findy, K::Call, 2},
    FunctionInfo{"xpoint", Fn::Xpoint, K::Call, 2},   FunctionInfo{"ypoint", Fn::Ypoint, K::Call, 2},
    FunctionInfo{"xvalue", Fn::Xvalue, K::Call, 2},   FunctionInfo{"yvalue", Fn::Yvalue, K::Call, 2},
    FunctionInfo{"txmin", Fn::Txmin, K::NoArg, 0},    FunctionInfo{"txmax", Fn::Txmax, K::NoArg, 0},
    FunctionInfo{"tymin", Fn::Tymin, K::NoArg, 0},    FunctionInfo{"tymax", Fn::Tymax, K::NoArg, 0},
    FunctionInfo{"vxmin", Fn::Vxmin, K::NoArg, 0},    FunctionInfo{"vxmax", Fn::Vxmax, K::NoArg, 0},
    FunctionInfo{"vymin", Fn::Vymin, K::NoArg, 0},    FunctionInfo{"vymax", Fn::Vymax, K::NoArg, 0},
    FunctionInfo{"mod", Fn::Mod, K::Infix, 2},
};

// The line shapes that expressions can call, as keywords.
const std::vector<FunctionInfo>& shapeKeywords() {
  static const std::vector<FunctionInfo> keywords = [] {
    std::vector<FunctionInfo> out;
    const auto all = shapes::lineShapes();
    for (std::size_t i = 0; i < all.size(); ++i)
      if (!all[i].exprName.empty())
        out.push_back({all[i].exprName, static_cast<Fn>(static_cast<int>(Fn::FirstShape) + static_cast<int>(i)),
                       K::Call, all[i].arity});
    return out;
  }();
  return keywords;
}

}  // namespace

const FunctionInfo* findKeyword(std::string_view word) {
  const auto named = [word](const FunctionInfo& f) { return f.name == word; };
  const auto it = std::find_if(kTable.begin(), kTable.end(), named);
  if (it != kTable.end()) return &*it;
  const std::vector<FunctionInfo>& shapes = shapeKeywords();
  const auto shape = std::find_if(shapes.begin(), shapes.end(), named);
  return shape == shapes.end() ? nullptr : &*shape;
}

const shapes::LineShape* lineShapeOf(Fn fn) {
  const int i = static_cast<int>(fn) - static_cast<int>(Fn::FirstShape);
  const auto all = shapes::lineShapes();
  return i >= 0 && static_cast<std::size_t>(i) < all.size() ? &all[static_cast<std::size_t>(i)] : nullptr;
}

}  // namespace xyla::expr
