#pragma once

#include <string_view>

namespace xyla::expr {

// Every named function and constant of the expression language.
enum class Fn {
  // constants
  Pi, E,
  // one operand, written before it
  Sin, Cos, Tan, Asin, Acos, Atan, Sinh, Cosh, Tanh, Asinh, Acosh, Atanh, Ln, Log, Sqrt, Cbrt, Erf, Erfc, J0, J1,
  Y0, Y1, Int, Frac, Abs, Rad, Deg, Rnd, Points, Xmin, Xmax, Ymin, Ymax,
  // arguments in parentheses, separated by ";"
  Jn, Yn, Round, Xval, Yval, Xerr, Yerr, Findx, Findy, Xpoint, Ypoint, Xvalue, Yvalue, Gau, Lor, Galo, Tail,
  // no arguments
  Txmin, Txmax, Tymin, Tymax, Vxmin, Vxmax, Vymin, Vymax,
  // the remainder operator that binds like the power
  Mod,
};

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
