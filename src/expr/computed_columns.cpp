#include "expr/computed_columns.h"

#include <algorithm>

#include "expr/builtins.h"
#include "expr/expression.h"
#include "model/manager.h"
#include "model/xyla_document.h"

namespace xyla::expr {

namespace {

// Point variables in the order they are created; their slots are 0..8.
enum PointVar { VX, VY, VEX, VEY, VBN, VNB, VCB, VNP, VDP, kPointVars };
const char* const kPointNames[kPointVars] = {"x", "y", "ex", "ey", "bn", "nb", "cb", "np", "dp"};
const char* const kNotes[4] = {", calc(x=", ", calc(y=", ", calc(xe=", ", calc(ye="};
constexpr int kBlock = 4096;

int indexOf(const XylaDocument& doc, const DataBuffer& b) {
  for (int i = 0; i < doc.bufferCount(); ++i)
    if (doc.buffer(i) == &b) return i;
  return -1;
}

// Creates the point variables with 0, then the registers and the globals.
void defineVariables(Expression& e, const std::vector<double>& registers, const std::map<std::string, double>& globals) {
  for (const char* name : kPointNames) e.setVar(name, 0.0);
  e.setGlobalVars(registers);
  e.setVars(globals);
}

// Sets the variables that are the same for every point of the buffer.
void setBufferVariables(Expression& e, const DataBuffer& b, const XylaDocument& doc) {
  e.setSlot(VBN, indexOf(doc, b));
  e.setSlot(VNB, doc.bufferCount());
  e.setSlot(VCB, doc.current);
  e.setSlot(VNP, b.count());
}

void setPointVariables(Expression& e, const DataBuffer& b, bool errors, int i) {
  e.setSlot(VX, b.X[i]);
  e.setSlot(VY, b.Y[i]);
  if (errors) {
    e.setSlot(VEX, b.EX[i]);
    e.setSlot(VEY, b.EY[i]);
  }
  e.setSlot(VDP, i);
}

// The whole column, blocks of points at a time, with the point columns bound directly.
void evaluateColumnar(Expression& e, const DataBuffer& b, bool errors, std::vector<double>& out) {
  const int n = b.count();
  std::vector<double> dp(kBlock);
  for (int start = 0; start < n; start += kBlock) {
    const int len = std::min(kBlock, n - start);
    for (int k = 0; k < len; ++k) dp[k] = start + k;
    const double* columns[kPointVars] = {b.X.data() + start, b.Y.data() + start,
                                         errors ? b.EX.data() + start : nullptr,
                                         errors ? b.EY.data() + start : nullptr,
                                         nullptr, nullptr, nullptr, nullptr, dp.data()};
    e.evaluateColumns(columns, kPointVars, len, out.data() + start);
  }
}

}  // namespace

bool calc(DataBuffer& b, int mode, const std::string& text, const std::vector<double>& registers,
          const std::map<std::string, double>& globals, XylaDocument& doc) {
  if (mode < 0 || mode > 3) return false;
  if ((mode == 2 || mode == 3) && !b.haserror()) b.addError();
  Expression e;
  defineVariables(e, registers, globals);
  if (!e.parse(text)) return false;

  const int n = b.count();
  const bool errors = b.haserror() && b.EX.size() >= static_cast<std::size_t>(n);
  setBufferVariables(e, b, doc);
  std::vector<double> result(static_cast<std::size_t>(n));
  if (e.columnar()) {
    evaluateColumnar(e, b, errors, result);
  } else {
    for (int i = 0; i < n; ++i) {
      setPointVariables(e, b, errors, i);
      result[i] = e.resultValue();
    }
  }

  b.comment += kNotes[mode] + text + ")";
  std::vector<double>& target = mode == 0 ? b.X : mode == 1 ? b.Y : mode == 2 ? b.EX : b.EY;
  target = std::move(result);
  b.rescale();
  return true;
}

bool bufferCalc(Manager& m, int mode, const std::string& text) {
  XylaDocument* doc = m.PD;
  if (!doc) return false;
  // The data functions read this document, and expression errors reach its controller.
  CalcScope scope(m);
  bool changed = false;
  bool ok = true;
  for (int index : m.selection()) {
    DataBuffer* b = doc->buffer(index);
    if (!b) continue;
    if (!calc(*b, mode, text, m.CV, m.GV, *doc)) {
      ok = false;
      break;
    }
    changed = true;
  }
  if (changed) doc->replot();
  return ok;
}

PointEvaluator::PointEvaluator(const DataBuffer& b, const XylaDocument& doc, const std::string& text,
                               const std::vector<double>& registers, const std::map<std::string, double>& globals,
                               bool reportErrors)
    : b_(b), e_(std::make_unique<Expression>()) {
  if (!reportErrors) e_->setNoError();
  defineVariables(*e_, registers, globals);
  ok_ = e_->parse(text);
  setBufferVariables(*e_, b, doc);
}

PointEvaluator::~PointEvaluator() = default;

double PointEvaluator::valueAt(int i) {
  if (!ok_ || i < 0 || i >= b_.count()) return 0.0;
  setPointVariables(*e_, b_, b_.haserror() && b_.EX.size() > static_cast<std::size_t>(i), i);
  return e_->resultValue();
}

}  // namespace xyla::expr
