#include "analysis/analysis_actions.h"

#include <functional>
#include <vector>

#include "analysis/calculus.h"
#include "analysis/dialog_fields.h"
#include "analysis/fourier.h"
#include "analysis/generator.h"
#include "analysis/transforms.h"
#include "expr/builtins.h"
#include "expr/computed_columns.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

void storeNormalizeFields(const NormalizeFields& f) {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setInt("NormAxis", f.axis);
  s->setString("NormRef1", f.ref1);
  s->setString("NormRef2", f.ref2);
  s->setString("NormNew1", f.new1);
  s->setString("NormNew2", f.new2);
  s->sync();
}

void storeFactor(const std::string& factor) {
  if (Settings* s = Settings::standard()) {
    s->setInt("Factor", fieldInt(factor));
    s->sync();
  }
}

// The selection guard; a refusal beeps unless `quiet` (the guard itself beeps when
// there is no document).
bool guard(Manager& m, bool quiet = false) {
  if (m.selectionGuard()) return true;
  if (m.PD && !quiet) m.ui().beep();
  return false;
}

// Runs `op` for every selected index in ascending order, then refreshes and redraws.
void forEachSelected(Manager& m, const std::function<void(XylaDocument&, int)>& op) {
  XylaDocument& doc = *m.PD;
  const std::vector<int> indexes(m.selection().begin(), m.selection().end());
  for (int i : indexes) op(doc, i);
  m.refreshPanels();
  doc.replot();
}

}  // namespace

void normalizeAction(Manager& m, const NormalizeFields& f) {
  storeNormalizeFields(f);
  if (!guard(m)) return;
  normalize(*m.PD, f.axis, fieldValue(f.ref1), fieldValue(f.ref2), fieldValue(f.new1), fieldValue(f.new2));
  m.PD->replot();
}

void moveAction(Manager& m, const NormalizeFields& f) {
  storeNormalizeFields(f);
  if (!guard(m)) return;
  move(*m.PD, f.axis, fieldValue(f.ref1), fieldValue(f.new1));
  m.PD->replot();
}

void cutdataAction(Manager& m, const NormalizeFields& f, int mode) {
  storeNormalizeFields(f);
  if (!guard(m)) return;
  cut(*m.PD, f.axis, fieldValue(f.ref1), fieldValue(f.ref2), mode, m.ui());
  m.PD->replot();
}

void reductionAction(Manager& m, const std::string& factor) {
  storeFactor(factor);
  if (!guard(m, true)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { reduction(d, i, fieldInt(factor), m.ui()); });
}

void smoothAction(Manager& m, const std::string& factor) {
  storeFactor(factor);
  if (!guard(m)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { smooth(d, i, fieldInt(factor), m.ui()); });
}

void swapXYAction(Manager& m) {
  if (!guard(m)) return;
  forEachSelected(m, [](XylaDocument& d, int i) { swapXY(d, i); });
}

void linBgAction(Manager& m, const std::string& a, const std::string& b) {
  const double fa = static_cast<float>(fieldValue(a)), fb = static_cast<float>(fieldValue(b));
  if (Settings* s = Settings::standard()) {
    s->setFloat("LinBgA", static_cast<float>(fa));
    s->setFloat("LinBgB", static_cast<float>(fb));
    s->sync();
  }
  if (!guard(m)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { d.buffer(i)->linBg(fa, fb); });
}

void diffAction(Manager& m, const std::string& interval) {
  const float w = static_cast<float>(fieldValue(interval));
  if (Settings* s = Settings::standard()) {
    s->setFloat("DiffInterval", w);
    s->sync();
  }
  if (!guard(m)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { diff(d, i, w, m.ui()); });
}

void integrateAction(Manager& m) {
  if (!guard(m)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { integrate(d, i, m.ui()); });
}

void intrangeAction(Manager& m, const NormalizeFields& f) {
  storeNormalizeFields(f);
  if (!guard(m)) return;
  const double a = fieldValue(f.ref1), b = fieldValue(f.ref2);
  forEachSelected(m, [&](XylaDocument& d, int i) { integrate(d, i, a, b, m.ui()); });
}

void regAction(Manager& m, const NormalizeFields& f, int type) {
  storeNormalizeFields(f);
  if (!guard(m)) return;
  const double a = fieldValue(f.ref1), b = fieldValue(f.ref2);
  forEachSelected(m, [&](XylaDocument& d, int i) { reg(d, i, a, b, type, m.ui()); });
}

void doFFTAction(Manager& m, int window) {
  if (Settings* s = Settings::standard()) {
    s->setInt("FFTWindow", window);
    s->sync();
  }
  if (!guard(m)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { doFFT(d, i, window, m.ui()); });
}

void fftsmoothAction(Manager& m, const std::string& factor) {
  storeFactor(factor);
  if (!guard(m)) return;
  forEachSelected(m, [&](XylaDocument& d, int i) { fftsmooth(d, i, fieldInt(factor), m.ui()); });
}

void functionGeneratorAction(Manager& m, const GeneratorFields& f) {
  if (!m.PD) {
    m.ui().beep();
    return;
  }
  if (Settings* s = Settings::standard()) {
    s->setInt("FGAxis", f.mode);
    s->setInt("FGSteps", fieldInt(f.steps));
    s->setFloat("FGMin", static_cast<float>(fieldValue(f.min)));
    s->setFloat("FGMax", static_cast<float>(fieldValue(f.max)));
    s->setString("FGExpr", f.expression);
    s->sync();
  }
  expr::CalcScope scope(m);
  functionGenerator(*m.PD, f.mode, fieldValue(f.min), fieldValue(f.max), fieldInt(f.steps), f.expression, m.ui());
  m.refreshPanels();
  m.PD->rescale(true, m.axis12);
  m.PD->replot();
}

void bufferCalcAction(Manager& m, int column, const std::string& expression) {
  if (Settings* s = Settings::standard()) {
    s->setInt("CAAxis", column);
    s->setString("CAExpr", expression);
    s->sync();
  }
  if (!guard(m)) return;
  expr::bufferCalc(m, column, expression);
  m.PD->replot();
}

void twoBufCalcAction(Manager& m, const std::string& first, const std::string& second, int op) {
  const int i = fieldInt(first), j = fieldInt(second);
  if (Settings* s = Settings::standard()) {
    s->setInt("CABuf1", i);
    s->setInt("CABuf2", j);
    s->setInt("CAOp", op);
    s->sync();
  }
  if (!m.PD || !m.PD->buffer(i) || !m.PD->buffer(j)) {
    m.ui().beep();
    return;
  }
  calcBuf(*m.PD, i, j, op, m.ui());
  m.PD->replot();
}

}  // namespace xyla
