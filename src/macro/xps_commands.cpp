// XPS commands beyond the classic backgrounds: the converged Shirley and the Tougaard
// background, energy scales and charge correction, quantification and the lines of a
// survey. Each publishes what it found as variables for the rest of the macro.
#include <cmath>
#include <set>
#include <string>

#include "analysis/energy_scale.h"
#include "analysis/shirley_converged.h"
#include "analysis/tougaard.h"
#include "fit/background_terms.h"
#include "fit/fit_controller.h"
#include "fit/residual_plot.h"
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/fit_binding.h"
#include "macro/xps_family.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

void setVariable(Macro& m, const std::string& name, double value) { m.M->GV[name] = value; }

// The side argument: 0 puts the high binding energy at the larger X (a binding-energy
// axis), anything else at the smaller X (a kinetic-energy axis).
bool highAtLargerX(const Macro& m, int p) { return m.I[p] == 0; }

// shirleyconv x1 x2 endpoints side buffers
void shirleyconv(Macro& m) {
  forEachBufferIndex(m, [&m](int index) {
    const ShirleyResult r =
        doShirleyConverged(*m.PD, index, m.D[0], m.D[1], m.I[2], highAtLargerX(m, 3), m.M->ui());
    if (!r.ok) return;
    // The net spectrum's recipe, so Monte-Carlo errors can move its end points.
    fit::BackgroundOrigin& o = fitFor(m).backgroundOrigin;
    o = {m.PD, index, m.PD->bufferCount() - 2, m.D[0], m.D[1], m.I[2], highAtLargerX(m, 3)};
    setVariable(m, "shirleylow", r.low);
    setVariable(m, "shirleyhigh", r.high);
    setVariable(m, "shirleyiter", r.iterations);
    m.M->GV["lastbuffer"] = m.PD->bufferCount() - 1;
  });
}

// tougaardbg x1 x2 B endpoints side buffers [C]: B <= 0 is fitted.
void tougaardbg(Macro& m) {
  const double C = m.O[6] ? m.D[6] : kTougaardC;
  forEachBufferIndex(m, [&m, C](int index) {
    const TougaardResult r =
        doTougaard(*m.PD, index, m.D[0], m.D[1], m.D[2], C, m.I[3], highAtLargerX(m, 4), m.M->ui());
    if (!r.ok) return;
    setVariable(m, "tougaardB", r.B);
    m.M->GV["lastbuffer"] = m.PD->bufferCount() - 1;
  });
}

// The photon energy of argument p: a number, or "al" / "mg".
bool photonEnergyArg(Macro& m, int p, double& hv) {
  hv = m.D[p];
  if (hv == 0.0) hv = anodeEnergy(m.S[p]);
  if (hv > 0.0 && std::isfinite(hv)) return true;
  m.M->ui().alert("Energy Scale", "The photon energy must be a positive number, al or mg", {"OK"});
  return false;
}

// kebe hv phi buffers: binding from kinetic energy (or back), x := hv - phi - x.
void kebe(Macro& m) {
  double hv = 0.0;
  if (!photonEnergyArg(m, 0, hv)) return;
  forEachBuffer(m, [&](DataBuffer& b) { convertEnergyScale(b, hv, m.D[1]); });
}

// Moves the residual curves of the fit (hidden buffers and the sub-plot's) that the
// buffer list left behind.
void shiftResiduals(XylaDocument& doc, const std::set<int>& moved, double shift) {
  for (int i = 0; i < doc.bufferCount(); ++i)
    if (!moved.count(i) && doc.buffer(i)->getSource() == fit::kResidualSource) doc.buffer(i)->addX(shift);
  for (auto& sub : doc.subplots)
    for (auto& b : sub->DB)
      if (b->getSource() == fit::kResidualSource) b->addX(shift);
}

// One energy reference: the listed buffers move, and when the fitted buffer is among
// them the fit moves with it (table, result, preview, residual, published variables).
// The correction is recorded once, in chargeshift and the fit's result.
void applyShift(Macro& m, double shift) {
  setVariable(m, "chargeshift", shift);
  fit::Fit& f = fitFor(m);
  const int fitted = f.result().buffer;
  std::set<int> moved;
  forEachBufferIndex(m, [&](int index) {
    m.PD->buffer(index)->addX(shift);
    moved.insert(index);
  });
  if (fitted < 0 || !moved.count(fitted)) return;
  f.shiftEnergy(shift);
  shiftResiduals(*m.PD, moved, shift);
  publishFit(m, f);
  m.PD->replot();
}

double referenceArg(const Macro& m, int p) { return m.O[p] ? m.D[p] : kCarbonReference; }

// chargemax buffer x1 x2 buffers [reference]: the maximum of `buffer` in x1..x2 moves to
// the reference energy (284.8 eV by default), and every listed buffer with it.
void chargemax(Macro& m) {
  const DataBuffer* ref = m.PD->buffer(m.I[0]);
  double position = 0.0;
  if (!ref || !maximumInWindow(*ref, m.D[1], m.D[2], position)) {
    m.M->ui().alert("Charge Correction", "The reference peak lies outside the data: no point of buffer " +
                                             std::to_string(m.I[0]) + " between the window's ends", {"OK"});
    return;
  }
  applyShift(m, referenceArg(m, 4) - position);
}

// chargefit row buffers [reference]: the fitted component of table row `row` (1-based)
// moves to the reference energy.
void chargefit(Macro& m) {
  const fit::Fit& f = fitFor(m);
  const fit::FitResult& r = f.result();
  const fit::PeakNumbers* peak = nullptr;
  for (std::size_t k = 0; f.haveResult && k < r.measures.peaks.size(); ++k)
    if (r.measures.peaks[k].row + 1 == m.I[0] && !fit::isBackgroundPeak(f.model(), static_cast<int>(k) + 1))
      peak = &r.measures.peaks[k];
  if (!peak) {
    m.M->ui().alert("Charge Correction", "Row " + std::to_string(m.I[0]) + " is no fitted peak of the last fit", {"OK"});
    return;
  }
  if (!(peak->position >= r.xlo && peak->position <= r.xhi)) {
    m.M->ui().alert("Charge Correction", "The reference peak lies outside the data", {"OK"});
    return;
  }
  applyShift(m, referenceArg(m, 2) - peak->position);
}

}  // namespace

void registerXpsCommands(CommandTable& t) {
  t.add(G::Xps, "shirleyconv", "ddiib", 5, shirleyconv,
        {"x1 x2 endpoints side buffers", "Removes a Shirley background between x1 and x2 by its convergent form; side 0 puts the high binding energy at the larger X."});
  t.add(G::Xps, "tougaardbg", "dddiibd", 6, tougaardbg,
        {"x1 x2 B endpoints side buffers [C]", "Removes a Tougaard background between x1 and x2 (B 0 or less: fitted)."});
  t.add(G::Xps, "kebe", "udb", 3, kebe,
        {"hv phi buffers", "Turns kinetic into binding energies (or back): x := hv - phi - x."});
  t.add(G::Xps, "chargemax", "iddbd", 4, chargemax,
        {"buffer x1 x2 buffers [reference]", "Moves the maximum of the buffer in x1..x2 to the reference energy (284.8 eV by default), and every listed buffer with it."});
  t.add(G::Xps, "chargefit", "ibd", 2, chargefit,
        {"row buffers [reference]", "Moves the buffers so that the fitted component of table row `row` lies at the reference energy."});
  registerQuantCommands(t);
  registerSurveyCommands(t);
  registerFigureCommands(t);
  registerDoubletCommands(t);
  registerMonteCarloCommands(t);
  registerBatchCommands(t);
  registerJointCommands(t);
}

}  // namespace xyla
