#pragma once

#include <string_view>

namespace xyla::shapes {
struct LineShape;
}

namespace xyla::expr {

// Every named function and constant of the expression language.
// clang-format off
enum class Fn {
  // constants
  Pi, E,
  // one operand, written before it
  Sin, Cos, Tan, Asin, Acos, Atan, Sinh, Cosh, Tanh, Asinh, Acosh, Atanh, Ln, Log, Sqrt, Cbrt, Erf, Erfc, J0, J1,
  Y0, Y1, Int, Frac, Abs, Rad, Deg, Rnd, Points, Xmin, Xmax, Ymin, Ymax,
  // arguments in parentheses, separated by ";"
  Jn, Yn, Round, Xval, Yval, Xerr, Yerr, Findx, Findy, Xpoint, Ypoint, Xvalue, Yvalue,
  // no arguments
  Txmin, Txmax, Tymin, Tymax, Vxmin, Vxmax, Vymin, Vymax,
  // the remainder operator that binds like the power
  Mod,
  // the line shapes of the shape registry, called with arguments in parentheses: shape i
  // of shapes::lineShapes() is Fn(int(FirstShape) + i)
  FirstShape,
};
// clang-format on

// The line shape an Fn names, or null for every other function.
const shapes::LineShape* lineShapeOf(Fn fn);

// How a name is written in an expression.
enum class FnKind { Constant, Prefix, Call, NoArg, Infix };

struct FunctionInfo {
  std::string_view name;
  Fn fn;
  FnKind kind;
  int arity;  // number of arguments of a Call
};

// The keyword spelled exactly `word`, or null.
const FunctionInfo* findKeyword(std::string_view word);

}  // namespace xyla::expr
