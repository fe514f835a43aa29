// Arbitrary bytes as an expression text: scanning, parsing, compiling and evaluating
// must never crash, hang or read out of bounds, every failure must carry one of the
// language's three error texts, and the compiled evaluation must agree with itself
// point by point and over columns.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "model/silent_ui.h"

namespace {

bool knownError(const std::string& text) {
  return text == "syntax error" || text == "yacc stack overflow" || text.rfind("Undefined variable: ", 0) == 0;
}

bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

struct Fixture {
  Fixture() : manager(ui), doc(&manager) {
    manager.setCurrentDocument(&doc);
    xyla::DataBuffer& b = doc.newBuffer();
    for (int i = 0; i < 5; ++i) b.addDoubleValue(i, i * i);
    xyla::expr::setCalcManager(&manager);
  }
  xyla::SilentUi ui;
  xyla::Manager manager;
  xyla::XylaDocument doc;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  const std::string text(reinterpret_cast<const char*>(data), size);
  xyla::expr::Expression e;
  e.setNoError();
  e.setVar("x", 1.5);
  e.setVar("y", -2.0);
  const bool ok = e.parse(text);
  if (!ok && !knownError(xyla::expr::Expression::errortext())) std::abort();
  const double first = e.resultValue();
  const bool failed = xyla::expr::Expression::failed();
  if (failed == ok && ok) std::abort();
  if (e.columnar() && !failed) {
    const double xs[3] = {1.5, 0.0, -7.25};
    const double ys[3] = {-2.0, 3.0, 1e300};
    const double* columns[2] = {xs, ys};
    double out[3];
    e.evaluateColumns(columns, 2, 3, out);
    for (int i = 0; i < 3; ++i) {
      e.setSlot(0, xs[i]);
      e.setSlot(1, ys[i]);
      if (!same(out[i], e.resultValue())) std::abort();
    }
    if (!same(first, out[0])) std::abort();
  }
  return 0;
}
