#pragma once

#include <cmath>
#include <string>

#include "expr/expression.h"

namespace xyla::test {

// Result of parsing and evaluating `text` once; `ok` is false on any error.
struct Evaluated {
  bool ok;
  double value;
  std::string error;
};

inline Evaluated evaluate(const std::string& text, expr::Expression e = {}) {
  e.setNoError();
  const bool ok = e.parse(text);
  return {ok, e.resultValue(), ok ? "" : expr::Expression::errortext()};
}

inline double value(const std::string& text) { return evaluate(text).value; }

inline bool sameValue(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

}  // namespace xyla::test
