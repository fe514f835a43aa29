#include "analysis/xps_actions.h"

#include <functional>
#include <set>

#include "analysis/satellites.h"
#include "analysis/shirley.h"
#include "expr/builtins.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Runs `apply` on every selected buffer of the current document in ascending order
// behind the selection guard, then refreshes and redraws. The guard beeps by itself
// when there is no document; a cancelled selection beeps here.
void forEachSelected(Manager& m, const std::function<void(XylaDocument&, int)>& apply) {
  if (!m.selectionGuard()) {
    if (m.PD) m.ui().beep();
    return;
  }
  XylaDocument& doc = *m.PD;
  const std::set<int> indexes = m.selection();
  for (int index : indexes) apply(doc, index);
  m.refreshPanels();
  doc.replot();
}

double findY(double x, int buffer) {
  const double args[2] = {x, static_cast<double>(buffer)};
  return expr::applyCall(expr::Fn::Findy, args);
}

}  // namespace

void doShirleyAction(Manager& m) {
  forEachSelected(m, [&m](XylaDocument& doc, int index) {
    doShirley(doc, index, m.shirx1, m.shiry1, m.shirx2, m.shiry2, m.ui());
  });
}

Colour backgroundColour() { return {0.85, 0.45, 0.1, 1.0}; }

void doShirleyActionShown(Manager& m) {
  XylaDocument* doc = m.PD;
  const int before = doc ? doc->bufferCount() : 0;
  doShirleyAction(m);
  if (!doc || m.PD != doc || doc->bufferCount() == before) return;
  // Each run appends the net spectrum, then its background.
  for (int i = before + 1; i < doc->bufferCount(); i += 2) doc->buffer(i)->color = backgroundColour();
  // The first net spectrum is what the person works on next (a fit, peaks).
  doc->current = before;
  doc->rescale(true, 0);
}

void doSatSubAction(Manager& m) {
  forEachSelected(m, [&m](XylaDocument& doc, int index) { doSatSub(doc, index, m.satSubAnode, m.ui()); });
}

void doShirleyFindY(Manager& m) {
  if (!m.PD) {
    m.ui().beep();
    return;
  }
  m.PD->getCurrentDataBuffer();  // repairs an out-of-range current index
  const int current = m.PD->current;
  expr::CalcScope scope(m);
  m.shiry1 = findY(m.shirx1, current);
  m.shiry2 = findY(m.shirx2, current);
}

}  // namespace xyla
