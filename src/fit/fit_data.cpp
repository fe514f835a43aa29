#include "fit/fit_data.h"

#include <algorithm>
#include <cmath>

#include "model/data_buffer.h"

namespace xyla::fit {

namespace {

// Root mean square of Y around the mean of its 2w+1 neighbours (fewer at the ends).
double movingScatter(const std::vector<float>& y, int n) {
  const int w = std::max(n / 25, 1);
  std::vector<double> prefix(n + 1, 0.0);
  for (int i = 1; i <= n; ++i) prefix[i] = prefix[i - 1] + y[i];
  double sum = 0.0;
  for (int i = 1; i <= n; ++i) {
    const int lo = std::max(i - w, 1), hi = std::min(i + w, n);
    const double mean = (prefix[hi] - prefix[lo - 1]) / (hi - lo + 1);
    const double d = y[i] - mean;
    sum += d * d;
  }
  return std::sqrt(sum / n);
}

}  // namespace

FitData fitData(const DataBuffer& b) {
  FitData d;
  const int count = b.count();
  d.x.reserve(count + 1);
  d.y.reserve(count + 1);
  const bool errors = b.haserror();
  double errorSum = 0.0;
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>(b.xDoubleValueAt(i));
    const float y = static_cast<float>(b.yDoubleValueAt(i));
    if (!std::isfinite(x) || !std::isfinite(y)) continue;  // gaps do not take part
    d.x.push_back(x);
    d.y.push_back(y);
    if (errors) errorSum += b.yDoubleErrorAt(i);
  }
  d.n = static_cast<int>(d.x.size()) - 1;
  if (d.n < 1) return d;
  double sigma = errors ? errorSum / d.n : 0.0;
  if (!(sigma > 0.0) || !std::isfinite(sigma)) sigma = movingScatter(d.y, d.n);
  d.sigma = (sigma > 0.0 && std::isfinite(sigma)) ? sigma : 1.0;
  return d;
}

}  // namespace xyla::fit
