#include "fit/peak_sum.h"

#include <algorithm>

#include "fit/fit_table.h"
#include "shapes/peak_blocks.h"
#include "shapes/shape_registry.h"

namespace xyla::fit {

PeakSum::PeakSum(const FitModel& model, Evaluation evaluation) : m_(model), evaluation_(evaluation) {}

void PeakSum::beginPass(const float* a, const char* needed) {
  steps_.assign(m_.daj.base(), m_.daj.base() + m_.nptab + 1);
  for (int j = 1; j <= m_.nptab; ++j)
    if (a[j] + steps_[j] > m_.ptmax[j] && a[j] - steps_[j] >= m_.ptmin[j]) steps_[j] = -steps_[j];
  shapes::prepareConvolutions(a, steps_.data(), m_.irel.base(), m_.krel.base(), m_.ifunc.base(), m_.nptab, needed,
                              caches_);
}

void PeakSum::evaluate(const ModelBlock& b) {
  // The caches and the difference steps (backwards at an upper limit) were made by
  // beginPass: every point reuses them.
  constexpr int kReuse = 1;
  if (evaluation_ == Evaluation::kBlocks)
    return shapes::fnumdfBlock(b.x, b.count, b.a, b.y, steps_.data(), m_.irel.base(), m_.krel.base(), m_.ifunc.base(),
                               b.dyda, b.stride, m_.nptab, b.needed, caches_);
  for (int i = 0; i < b.count; ++i)
    shapes::fnumdf(b.x[i], b.a, b.y[i], steps_.data(), m_.irel.base(), m_.krel.base(), m_.ifunc.base(),
                   b.dyda + i * b.stride, m_.nptab, kReuse, b.needed, caches_);
}

void PeakSum::evaluatePeaks(const ModelBlock& b, const std::vector<int>& peaks) {
  shapes::fnumdfBlock(b.x, b.count, b.a, b.y, steps_.data(), m_.irel.base(), m_.krel.base(), m_.ifunc.base(), b.dyda,
                      b.stride, m_.nptab, b.needed, caches_, &peaks);
}

bool PeakSum::concurrent() const {
  for (int k = 1; k <= m_.npix; ++k)
    if (m_.ifunc[k] < 0) return false;
  return true;
}

double PeakSum::costPerPoint(int nactive) const {
  double perPoint = 0.0;
  for (int k = 1; k <= m_.npix; ++k) perPoint += shapes::evaluationCost(m_.ifunc[k]);
  return perPoint * (1.0 + std::min(nactive, 5));
}

}  // namespace xyla::fit
