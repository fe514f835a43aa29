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

// Y of `b` at x by linear interpolation over its points (in either X order); the end
// values outside its range.
double interpolate(const DataBuffer& b, double x) {
  const int n = b.count();
  if (n == 0) return 0.0;
  const bool rising = b.X[n - 1] >= b.X[0];
  auto before = [rising](double a, double v) { return rising ? a < v : a > v; };
  const auto it = std::lower_bound(b.X.begin(), b.X.end(), x, before);
  const int i = static_cast<int>(it - b.X.begin());
  if (i <= 0) return b.Y[0];
  if (i >= n) return b.Y[n - 1];
  const double x0 = b.X[i - 1], x1 = b.X[i];
  if (x1 == x0) return b.Y[i];
  return b.Y[i - 1] + (b.Y[i] - b.Y[i - 1]) * (x - x0) / (x1 - x0);
}

}  // namespace

void poissonWeights(FitData& d, const DataBuffer* bg) {
  d.w.assign(d.n + 1, 0.0f);
  for (int i = 1; i <= d.n; ++i) {
    double counts = d.y[i];
    if (bg) counts += interpolate(*bg, d.x[i]);
    d.w[i] = static_cast<float>(1.0 / (counts > 1.0 && std::isfinite(counts) ? counts : 1.0));
  }
}

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
  d.xlo = d.xhi = d.x[1];
  for (int i = 2; i <= d.n; ++i) {
    d.xlo = std::min<double>(d.xlo, d.x[i]);
    d.xhi = std::max<double>(d.xhi, d.x[i]);
  }
  double sigma = errors ? errorSum / d.n : 0.0;
  if (!(sigma > 0.0) || !std::isfinite(sigma)) sigma = movingScatter(d.y, d.n);
  d.sigma = (sigma > 0.0 && std::isfinite(sigma)) ? sigma : 1.0;
  return d;
}

}  // namespace xyla::fit
