#include "analysis/shirley_converged.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/background_region.h"
#include "model/data_buffer.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

constexpr int kMaxIterations = 5000;

}  // namespace

CumulativeIntegral::CumulativeIntegral(const std::vector<double>& x) {
  const int n = static_cast<int>(x.size());
  if (n < 2) return;
  // Two-point Gauss-Legendre is exact for the cubic Lagrange basis on each interval.
  const double g = 0.5 / std::sqrt(3.0);
  for (int i = 0; i + 1 < n; ++i) {
    const int s = n < 4 ? 0 : std::clamp(i - 1, 0, n - 4);
    const int count = std::min(4, n);
    start_.push_back(s);
    const double a = x[i], b = x[i + 1], h = std::fabs(b - a);
    const double nodes[2] = {0.5 * (a + b) - g * (b - a), 0.5 * (a + b) + g * (b - a)};
    for (int k = 0; k < 4; ++k) {
      double weight = 0.0;
      if (k < count) {
        for (double t : nodes) {
          double l = 1.0;
          for (int j = 0; j < count; ++j)
            if (j != k) l *= (t - x[s + j]) / (x[s + k] - x[s + j]);
          weight += 0.5 * h * l;
        }
      }
      w_.push_back(weight);
    }
  }
}

void CumulativeIntegral::apply(const std::vector<double>& y, std::vector<double>& c) const {
  const std::size_t intervals = start_.size();
  c.assign(intervals + 1, 0.0);
  for (std::size_t i = 0; i < intervals; ++i) {
    const int s = start_[i];
    const double* w = &w_[4 * i];
    double v = 0.0;
    for (int k = 0; k < 4 && s + k < static_cast<int>(y.size()); ++k) v += w[k] * y[s + k];
    c[i + 1] = c[i] + v;
  }
}

ShirleyResult convergedShirley(const std::vector<double>& x, const std::vector<double>& y, int endPoints,
                               double tolerance) {
  ShirleyResult r;
  const int m = static_cast<int>(y.size());
  if (m < 3 || x.size() != y.size()) {
    r.error = "The region holds fewer than 3 points";
    return r;
  }
  if (!checkEndPoints(endPoints, m, r.error)) return r;
  std::vector<double> tail(y.rbegin(), y.rend());
  r.low = endMean(y, endPoints);
  r.high = endMean(tail, endPoints);
  const double step = r.high - r.low;
  r.background.assign(m, r.low);
  if (step == 0.0) {
    r.ok = true;
    return r;
  }
  const double limit = std::fmax(tolerance * std::fabs(step), 1e-15 * (std::fabs(r.low) + std::fabs(r.high)));
  const CumulativeIntegral integral(x);
  std::vector<double> residual(m), c;
  for (r.iterations = 1; r.iterations <= kMaxIterations; ++r.iterations) {
    for (int k = 0; k < m; ++k) residual[k] = y[k] - r.background[k];
    integral.apply(residual, c);
    const double total = c[m - 1];
    if (!(total > 0.0) || !std::isfinite(total)) {
      r.error = "The spectrum has no area above the background";
      return r;
    }
    double change = 0.0;
    for (int k = 0; k < m; ++k) {
      const double b = r.low + step * c[k] / total;
      change = std::fmax(change, std::fabs(b - r.background[k]));
      r.background[k] = b;
    }
    if (!std::isfinite(change)) break;
    if (change <= limit) {
      r.ok = true;
      return r;
    }
  }
  char buf[120];
  std::snprintf(buf, sizeof buf, "The Shirley iteration did not settle in %d passes", kMaxIterations);
  r.error = buf;
  return r;
}

ShirleyResult doShirleyConverged(XylaDocument& doc, int index, double x1, double x2, int endPoints,
                                 bool highAtLargerX, Ui& ui) {
  ShirleyResult r;
  const DataBuffer* in = doc.buffer(index);
  if (!in) return r;
  BackgroundRegion region;
  if (!findRegion(*in, x1, x2, highAtLargerX, false, region, r.error)) {
    backgroundAlert(ui, r.error);
    return r;
  }
  std::vector<double> x, y;
  regionFromLowEnd(*in, region, x, y);
  r = convergedShirley(x, y, endPoints);
  if (!r.ok) {
    backgroundAlert(ui, r.error);
    return r;
  }
  appendBackgroundPair(doc, *in, region, r.background, "Shirley", "ShirleyConv");
  return r;
}

}  // namespace xyla
