// Moving the last fit with its data: a charge correction shifts the energy axis of the
// fitted buffer, and the table, the result, the preview and the residual follow it, so
// that every number and curve keeps one energy reference.
#include <cmath>

#include "fit/background_terms.h"
#include "fit/fit_controller.h"
#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

// Limits that the table typed (a range after "~", or a fixed value) move with the value;
// the shape's wide defaults stay.
bool typedLimits(const FitModel& m, int j) { return m.ptmm[j] >= 0.0f || m.kind[j] == Cell::Fixed; }

// Peaks have a position that moves; user functions and backgrounds have none (a
// background follows the moved points and peaks by itself).
bool hasPosition(const FitModel& m, int k) { return m.ifunc[k] >= 0 && !isBackgroundCode(m.ifunc[k]); }

}  // namespace

void Fit::shiftEnergy(double shift) {
  if (!std::isfinite(shift) || shift == 0.0 || model_.npix == 0) return;
  FitModel& m = model_;
  // Positions tied by a factor keep their place relative to the moved target: the
  // factor is taken before the targets move.
  for (int k = 1; k <= m.npix; ++k) {
    const int j = 5 * (k - 1) + 1;
    if (!hasPosition(m, k) || m.kind[j] != Cell::Tie || m.krel[j] != 0) continue;
    const double target = m.ptab[m.irel[j]];
    if (target + shift != 0.0) m.ptab[j] = static_cast<float>((m.ptab[j] * target + shift) / (target + shift));
  }
  for (int k = 1; k <= m.npix; ++k) {
    const int j = 5 * (k - 1) + 1;
    // User functions may read x in any way: their parameters are theirs to move.
    if (!hasPosition(m, k) || m.kind[j] == Cell::Tie || m.kind[j] == Cell::Empty) continue;
    m.ptab[j] = static_cast<float>(m.ptab[j] + shift);
    if (typedLimits(m, j)) {
      m.ptmin[j] = static_cast<float>(m.ptmin[j] + shift);
      m.ptmax[j] = static_cast<float>(m.ptmax[j] + shift);
    }
  }
  result_.xlo += shift;
  result_.xhi += shift;
  result_.energyShift += shift;
  for (PeakNumbers& p : result_.measures.peaks)
    if (p.row >= 0 && p.row < static_cast<int>(m.ed.size()) && m.ed[p.row] >= 0 && hasPosition(m, m.ed[p.row] + 1))
      p.position += shift;
  if (doc_ && doc_->haveFitPreview && !doc_->FP.empty())
    for (double& x : doc_->FP[0]) x += shift;
  writeTable();
  if (doc_) result_.table = doc_->F;
}

}  // namespace xyla::fit
