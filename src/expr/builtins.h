#pragma once

#include "expr/function_table.h"

namespace xyla {
class Manager;
class XylaDocument;
}

namespace xyla::expr {

// The controller whose calculation document the data functions read (null: they all
// answer 0.0) and whose Ui shows expression errors.
void setCalcManager(Manager* m);
Manager* calcManager();

// Points the data functions at `m` and its current document while alive, so an
// expression entered anywhere reads the document in front; restores the previous
// controller and calculation document afterwards.
class CalcScope {
 public:
  explicit CalcScope(Manager& m);
  ~CalcScope();
  CalcScope(const CalcScope&) = delete;
  CalcScope& operator=(const CalcScope&) = delete;

 private:
  Manager& m_;
  Manager* manager_;
  XylaDocument* document_;
};

// Value of a constant (pi, e).
double constantValue(Fn fn);
// A one-operand function as a plain function pointer, for evaluation loops.
using UnaryFunction = double (*)(double);
UnaryFunction prefixFunction(Fn fn);
// Value of a one-operand function applied to `x`.
inline double applyPrefix(Fn fn, double x) { return prefixFunction(fn)(x); }
// Value of a function called with its arguments in parentheses.
double applyCall(Fn fn, const double* args);
// Value of a function without arguments.
double applyNoArg(Fn fn);

}  // namespace xyla::expr
