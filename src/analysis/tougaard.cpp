#include "analysis/tougaard.h"

#include <algorithm>
#include <cmath>

#include "analysis/background_region.h"
#include "analysis/convolution.h"
#include "model/data_buffer.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Integral of T / (C + T^2)^2 from T = a to T = b (0 <= a <= b).
double kernelIntegral(double a, double b, double C) { return 0.5 / (C + a * a) - 0.5 / (C + b * b); }

// Spacing when every step is within 1e-6 of the mean step, else 0.
double evenSpacing(const std::vector<double>& x) {
  const int n = static_cast<int>(x.size());
  const double d = (x[n - 1] - x[0]) / (n - 1);
  for (int i = 1; i < n; ++i)
    if (std::fabs((x[i] - x[i - 1]) - d) > 1e-6 * std::fabs(d)) return 0.0;
  return std::fabs(d);
}

// The loss sum for equidistant points: bin-integrated kernel weights, correlated with
// the spectrum read from the high end (so the correlation sums over lower energies).
std::vector<double> evenLossSum(const std::vector<double>& j, double d, double C) {
  const std::size_t n = j.size();
  std::vector<double> w(n);
  w[0] = kernelIntegral(0.0, 0.5 * d, C);
  for (std::size_t k = 1; k < n; ++k) w[k] = kernelIntegral((k - 0.5) * d, (k + 0.5) * d, C);
  KernelCorrelation corr(std::move(w));
  std::vector<double> reversed(j.rbegin(), j.rend()), c;
  corr.apply(reversed, c);
  return std::vector<double>(c.rbegin(), c.rend());
}

}  // namespace

std::vector<double> tougaardLossSum(const std::vector<double>& x, const std::vector<double>& j, double C) {
  const int n = static_cast<int>(x.size());
  // Distance travelled from the first point, and the lower bin edge of every point
  // (halfway to its neighbours; the end bins mirror their inner half).
  std::vector<double> t(n), lower(n);
  for (int l = 0; l < n; ++l) t[l] = std::fabs(x[l] - x[0]);
  for (int l = 0; l < n; ++l) lower[l] = l > 0 ? 0.5 * (t[l - 1] + t[l]) : -0.5 * t[std::min(1, n - 1)];
  std::vector<double> s(n, 0.0);
  for (int k = 0; k < n; ++k) {
    double sum = j[k] * kernelIntegral(0.0, t[k] - lower[k], C);
    for (int l = 0; l < k; ++l) sum += j[l] * kernelIntegral(t[k] - lower[l + 1], t[k] - lower[l], C);
    s[k] = sum;
  }
  return s;
}

TougaardResult tougaardBackground(const std::vector<double>& x, const std::vector<double>& y, double B, double C,
                                  int endPoints) {
  TougaardResult r;
  const int m = static_cast<int>(y.size());
  if (m < 3 || x.size() != y.size()) {
    r.error = "The region holds fewer than 3 points";
    return r;
  }
  if (!checkEndPoints(endPoints, m, r.error)) return r;
  if (!(C > 0.0) || !std::isfinite(C)) C = kTougaardC;
  r.offset = endMean(y, endPoints);
  std::vector<double> j(m);
  for (int k = 0; k < m; ++k) j[k] = y[k] - r.offset;
  const double d = evenSpacing(x);
  r.fourier = d > 0.0;
  const std::vector<double> loss = r.fourier ? evenLossSum(j, d, C) : tougaardLossSum(x, j, C);
  if (B > 0.0 && std::isfinite(B)) {
    r.B = B;
  } else {
    const std::vector<double> tailLoss(loss.rbegin(), loss.rend()), tailJ(j.rbegin(), j.rend());
    const double want = endMean(tailJ, endPoints), have = endMean(tailLoss, endPoints);
    r.B = have > 0.0 ? want / have : 0.0;
    if (!(r.B > 0.0) || !std::isfinite(r.B)) {
      r.error = "The spectrum does not rise towards the high-energy end, so no B makes the background meet it";
      return r;
    }
  }
  r.background.resize(m);
  for (int k = 0; k < m; ++k) r.background[k] = r.offset + r.B * loss[k];
  r.ok = true;
  return r;
}

TougaardResult doTougaard(XylaDocument& doc, int index, double x1, double x2, double B, double C, int endPoints,
                          bool highAtLargerX, Ui& ui) {
  TougaardResult r;
  const DataBuffer* in = doc.buffer(index);
  if (!in) return r;
  BackgroundRegion region;
  if (!findRegion(*in, x1, x2, highAtLargerX, true, region, r.error)) {
    backgroundAlert(ui, r.error);
    return r;
  }
  std::vector<double> x, y;
  regionFromLowEnd(*in, region, x, y);
  r = tougaardBackground(x, y, B, C, endPoints);
  if (!r.ok) {
    backgroundAlert(ui, r.error);
    return r;
  }
  appendBackgroundPair(doc, *in, region, r.background, "Tougaard", "Tougaard");
  return r;
}

}  // namespace xyla
