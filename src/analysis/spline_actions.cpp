#include "analysis/spline_actions.h"

#include <set>
#include <vector>

#include "analysis/dialog_fields.h"
#include "analysis/spline.h"
#include "analysis/spline_fit.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

bool guard(Manager& m) {
  if (m.selectionGuard()) return true;
  if (m.PD) m.ui().beep();
  return false;
}

std::vector<int> selected(Manager& m) { return {m.selection().begin(), m.selection().end()}; }

}  // namespace

void splineAction(Manager& m, const std::string& points, const std::string& strength) {
  if (Settings* s = Settings::standard()) {
    s->setInt("SplinePoints", fieldInt(points));
    s->setFloat("SplineStrength", static_cast<float>(fieldValue(strength)));
    s->sync();
  }
  if (!guard(m)) return;
  for (int i : selected(m)) spline(*m.PD, i, fieldInt(points), fieldValue(strength), m.ui());
  m.refreshPanels();
  m.PD->replot();
}

SplineFitFields splineFitDefaults() { return SplineFitFields{1, "1", 1, 0, "", "4", true, false, false, "", "", "2001", false}; }

void splineFitAction(Manager& m, SplineFitFields& f) {
  if (Settings* s = Settings::standard()) {
    s->setInt("SPFCoorMode", f.corrMode);
    s->setFloat("SPFCoorFactor", static_cast<float>(fieldInt(f.corrFactor)));
    s->setInt("SPFCoorFunction", f.corrFunction);
    s->setInt("SPFSigmaMode", f.sigmaMode);
    s->setFloat("SPFSigmaValue", static_cast<float>(fieldValue(f.sigmaValue)));
    s->setFloat("SPFSplineOrder", static_cast<float>(fieldInt(f.order)));
    s->setBool("SPFExportMinMax", f.exportMinMax);
    s->setBool("SPFExportDerivative", f.exportDerivative);
    s->setBool("SPFUseExclude", f.useExclude);
    s->setFloat("SPFExcludeMin", static_cast<float>(fieldInt(f.excludeMin)));
    s->setFloat("SPFExcludeMax", static_cast<float>(fieldInt(f.excludeMax)));
    s->setFloat("SPFPoints", static_cast<float>(fieldInt(f.points)));
    s->setBool("SPFFromInput", f.fromInput);
    s->sync();
  }
  if (!guard(m)) return;
  SplineFitOptions o;
  o.useExclude = !f.excludeMin.empty() && !f.excludeMax.empty();
  o.excludeMin = fieldValue(f.excludeMin);
  o.excludeMax = fieldValue(f.excludeMax);
  o.corrMode = f.corrMode;
  o.corrFactor = fieldValue(f.corrFactor);
  o.corrFunction = f.corrFunction;
  o.sigmaMode = f.sigmaMode;
  o.sigmaValue = fieldValue(f.sigmaValue);
  o.order = fieldInt(f.order);
  o.exportMinMax = f.exportMinMax;
  o.exportDerivative = f.exportDerivative;
  const int points = fieldInt(f.points);
  o.points = f.fromInput ? 0 : (!f.points.empty() && points > 2 ? points : 2001);
  for (int i : selected(m)) {
    const SplineFitFeedback fb = splineFit(*m.PD, i, o, m.ui());
    if (!fb.ran) continue;
    if (f.sigmaMode == 0) f.sigmaValue = formatG(fb.rms);
    if (f.corrMode != 2) f.corrFactor = formatG(fb.corrFactor);
  }
  m.refreshPanels();
  m.PD->replot();
}

}  // namespace xyla
