#pragma once

#include <map>
#include <string>
#include <vector>

#include "expr/program.h"
#include "expr/variable_table.h"

namespace xyla::expr {

// An arithmetic expression over at most 256 named variables. Use: define the variables,
// parse the text once (which reports errors), then set the changing variables and ask
// for resultValue as often as needed. The result register and the error state are shared
// by all expressions, as evaluations run one at a time.
class Expression {
 public:
  Expression() = default;

  // parse then fails without an alert.
  void setNoError() { showerror_ = false; }
  // Sets the variable `name`, appending it when new and fewer than 256 exist.
  void setVar(const std::string& name, double value) { vars_.set(name, value); }
  void setVars(const std::map<std::string, double>& vars);
  // Sets "r0", "r1", ... to the values of the list.
  void setGlobalVars(const std::vector<double>& registers);

  // Prepares the text (comma to point, "**" to "^", a final line feed), evaluates it
  // once and answers whether that was free of errors. On an error, with error reporting
  // on, shows the alert "Expression Error" through the calculation controller's Ui.
  bool parse(const std::string& text);
  // Evaluates the parsed text with the current variable values.
  double resultValue();

  // The message of the last error of any expression.
  static const std::string& errortext();
  // Whether the last evaluation of any expression failed.
  static bool failed();

  // ---- fast access for per-point evaluation ----

  // Index of the variable `name`, or -1.
  int slot(const std::string& name) const { return vars_.find(name); }
  void setSlot(int slot, double value) { vars_.setValue(slot, value); }
  // True when evaluateColumns may be used (no error, no random numbers).
  bool columnar() const { return program_.columnar(); }
  // The value for n points at once, variable s taking columns[s][i] where columns[s]
  // is not null; the same values resultValue would give point by point.
  void evaluateColumns(const double* const* columns, int slots, int n, double* out) const;

  const std::string& expr() const { return expr_; }
  const VariableTable& variables() const { return vars_; }

 private:
  VariableTable vars_;
  std::string expr_;
  Program program_;
  bool parsed_ = false;
  bool showerror_ = true;
};

// Turns a text into the form the scanner reads: decimal commas become points, "**"
// becomes "^", a line feed is appended, and the text ends at a zero byte.
std::string prepareText(const std::string& text);

}  // namespace xyla::expr
