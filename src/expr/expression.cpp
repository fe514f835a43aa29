#include "expr/expression.h"

#include "expr/builtins.h"
#include "expr/parser.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla::expr {

namespace {

EvaluatorState& shared() {
  static EvaluatorState state;
  return state;
}

}  // namespace

std::string prepareText(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') return out;  // the scanner stops at a zero byte
    if (c == ',') {
      out.push_back('.');
    } else if (c == '*' && i + 1 < text.size() && text[i + 1] == '*') {
      out.push_back('^');
      ++i;
    } else {
      out.push_back(c);
    }
  }
  out.push_back('\n');
  return out;
}

void Expression::setVars(const std::map<std::string, double>& vars) {
  for (const auto& [name, value] : vars) vars_.set(name, value);
}

void Expression::setGlobalVars(const std::vector<double>& registers) {
  for (std::size_t i = 0; i < registers.size(); ++i) vars_.set("r" + std::to_string(i), registers[i]);
}

bool Expression::parse(const std::string& text) {
  expr_ = prepareText(text);
  program_ = Program(parseText(expr_, vars_));
  parsed_ = true;
  resultValue();
  if (!shared().error) return true;
  Manager* m = calcManager();
  if (showerror_ && m) m->ui().alert("Expression Error", shared().errortext + "\nin " + text, {"Ok"});
  return false;
}

double Expression::resultValue() {
  EvaluatorState& state = shared();
  state.error = false;
  if (parsed_) program_.run(vars_, state);
  return state.result;
}

void Expression::evaluateColumns(const double* const* columns, int slots, int n, double* out) const {
  program_.runColumns(vars_, columns, slots, n, out);
  // Leave the shared state as the last of n single evaluations would.
  EvaluatorState& state = shared();
  state.error = false;
  if (n > 0) state.result = out[n - 1];
}

const std::string& Expression::errortext() { return shared().errortext; }

bool Expression::failed() { return shared().error; }

}  // namespace xyla::expr
