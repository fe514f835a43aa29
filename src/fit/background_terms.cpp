#include "fit/background_terms.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "fit/fit_table.h"
#include "shapes/peak_model.h"

namespace xyla::fit {

namespace {

struct NamedBackground {
  std::string_view name;
  int code;
};

constexpr NamedBackground kNames[] = {
    {"SHIRLEY", kShirleyBackground},
    {"TOUGAARD", kTougaardBackground},
    {"POLY", kPolynomialBackground},
    {"LINEAR", kPolynomialBackground},
};

// d/dC of the kernel integral from a to b.
double lossKernelIntegralByC(double a, double b, double C) {
  const double ea = C + a * a, eb = C + b * b;
  return -0.5 / (ea * ea) + 0.5 / (eb * eb);
}

// Step of equidistant ascending points, else 0: every step within 1e-6 of the mean, or
// within the rounding of single precision, in which the fit holds its points.
double evenSpacing(const std::vector<double>& x) {
  const std::size_t n = x.size();
  if (n < 2) return 0.0;
  const double d = (x[n - 1] - x[0]) / static_cast<double>(n - 1);
  const double rounding = 4.0 * std::numeric_limits<float>::epsilon() * std::max(std::fabs(x[0]), std::fabs(x[n - 1]));
  for (std::size_t i = 1; i < n; ++i)
    if (std::fabs((x[i] - x[i - 1]) - d) > 1e-6 * std::fabs(d) + rounding) return 0.0;
  return d > 0.0 ? d : 0.0;
}

}  // namespace

int backgroundCodeOfName(std::string_view name) {
  for (const NamedBackground& n : kNames)
    if (n.name == name) return n.code;
  return -1;
}

bool isBackgroundCode(int code) {
  return code == kShirleyBackground || code == kTougaardBackground || code == kPolynomialBackground;
}

bool isBackgroundPeak(const FitModel& m, int k) { return k >= 1 && k <= m.npix && isBackgroundCode(m.ifunc[k]); }

bool hasBackgroundRows(const FitModel& m) {
  for (int k = 1; k <= m.npix; ++k)
    if (isBackgroundCode(m.ifunc[k])) return true;
  return false;
}

double lossKernelIntegral(double a, double b, double C) { return 0.5 / (C + a * a) - 0.5 / (C + b * b); }

double tougaardC(const double* p) { return p[3] > 0.0 && std::isfinite(p[3]) ? p[3] : kUniversalC; }

bool tougaardLargerX(const double* p) { return !(p[4] >= 0.5); }

BackgroundTerms::BackgroundTerms(const FitModel& m, std::vector<double> x) : x_(std::move(x)) {
  for (int k = 1; k <= m.npix; ++k)
    if (isBackgroundCode(m.ifunc[k])) {
      rows_.push_back({k, m.ifunc[k]});
      wholeCurve_ = wholeCurve_ || isWholeCurveCode(m.ifunc[k]);
    }
  order_.resize(x_.size());
  std::iota(order_.begin(), order_.end(), 0);
  std::stable_sort(order_.begin(), order_.end(), [this](int a, int b) { return x_[a] < x_[b]; });
  sorted_.resize(x_.size());
  for (std::size_t s = 0; s < order_.size(); ++s) sorted_[s] = x_[order_[s]];
  if (!sorted_.empty()) centre_ = 0.5 * (sorted_.front() + sorted_.back());
  spacing_ = evenSpacing(sorted_);
}

double BackgroundTerms::cumulative(const double* f, double* out) const {
  double sum = 0.0;
  for (std::size_t s = 0; s < order_.size(); ++s) {
    const int i = order_[s];
    if (s > 0) {
      const int prev = order_[s - 1];
      sum += 0.5 * (f[i] + f[prev]) * (sorted_[s] - sorted_[s - 1]);
    }
    out[i] = sum;
  }
  return sum;
}

void BackgroundTerms::lossSums(const double* f, int columns, double C, bool largerX, double* out, bool byC) const {
  const int n = points();
  if (n == 0 || columns <= 0) return;
  const std::size_t cols = static_cast<std::size_t>(columns);
  auto kernel = [&](double a, double b) { return byC ? lossKernelIntegralByC(a, b, C) : lossKernelIntegral(a, b, C); };
  // Points in the order the electrons travel towards their losses.
  auto at = [&](int s) { return static_cast<std::size_t>(order_[largerX ? s : n - 1 - s]); };
  std::vector<double> acc(cols);
  // The weight of point l's bin at point s: equidistant points depend on s - l alone.
  std::vector<double> lag;
  std::vector<double> t, lower;
  if (spacing_ > 0.0) {
    lag.resize(n);
    for (int k = 0; k < n; ++k) lag[k] = kernel(k == 0 ? 0.0 : (k - 0.5) * spacing_, (k + 0.5) * spacing_);
  } else {
    // Uneven points: each point's bin reaches halfway to its neighbours.
    t.resize(n);
    lower.resize(n);
    for (int s = 0; s < n; ++s) t[s] = std::fabs(x_[at(s)] - x_[at(0)]);
    for (int s = 0; s < n; ++s) lower[s] = s > 0 ? 0.5 * (t[s - 1] + t[s]) : -0.5 * t[std::min(1, n - 1)];
  }
  if (spacing_ > 0.0) return evenLossSums(f, columns, lag, largerX, out);
  for (int s = 0; s < n; ++s) {
    std::fill(acc.begin(), acc.end(), 0.0);
    for (int l = 0; l <= s; ++l) {
      const double w = l == s ? kernel(0.0, t[s] - lower[s]) : kernel(t[s] - lower[l + 1], t[s] - lower[l]);
      const double* g = f + at(l) * cols;
      for (std::size_t c = 0; c < cols; ++c) acc[c] += g[c] * w;
    }
    std::copy(acc.begin(), acc.end(), out + at(s) * cols);
  }
}

void BackgroundTerms::evenLossSums(const double* f, int columns, const std::vector<double>& lag, bool largerX,
                                   double* out) const {
  const int n = points();
  const std::size_t cols = static_cast<std::size_t>(columns);
  auto at = [&](int s) { return static_cast<std::size_t>(order_[largerX ? s : n - 1 - s]); };
  // The weights from the farthest lag down, so that point s reads reversed[n - 1 - s + l]
  // for l = 0..s: two arrays walked forwards together, in four independent sums.
  const std::vector<double> reversed(lag.rbegin(), lag.rend());
  std::vector<double> g(n);
  for (std::size_t c = 0; c < cols; ++c) {
    for (int l = 0; l < n; ++l) g[l] = f[at(l) * cols + c];
    for (int s = 0; s < n; ++s) {
      const double* w = reversed.data() + (n - 1 - s);
      double sum[4] = {0.0, 0.0, 0.0, 0.0};
      int l = 0;
      for (; l + 3 <= s; l += 4)
        for (int q = 0; q < 4; ++q) sum[q] += g[l + q] * w[l + q];
      for (; l <= s; ++l) sum[0] += g[l] * w[l];
      out[at(s) * cols + c] = (sum[0] + sum[1]) + (sum[2] + sum[3]);
    }
  }
}

void BackgroundTerms::lossSum(const double* f, double C, bool largerX, double* out, double* dC) const {
  lossSums(f, 1, C, largerX, out);
  if (dC) lossSums(f, 1, C, largerX, dC, true);
}

double BackgroundTerms::interpolate(const double* part, double x) const {
  const int n = points();
  if (n == 0) return 0.0;
  if (!(x > sorted_.front())) return part[order_.front()];
  if (!(x < sorted_.back())) return part[order_.back()];
  const std::size_t hi =
      static_cast<std::size_t>(std::upper_bound(sorted_.begin(), sorted_.end(), x) - sorted_.begin());
  const std::size_t lo = hi - 1;
  const double span = sorted_[hi] - sorted_[lo];
  const double t = span > 0.0 ? (x - sorted_[lo]) / span : 0.0;
  return part[order_[lo]] + t * (part[order_[hi]] - part[order_[lo]]);
}

double BackgroundTerms::polynomial(double x, const double* p, double* d) const {
  const double t = x - centre_;
  double power = 1.0, v = 0.0;
  for (int s = 1; s <= 5; ++s) {
    v += p[s] * power;
    if (d) d[s] = power;
    power *= t;
  }
  return v;
}

void addBackgroundCurves(const FitModel& m, const std::vector<double>& spectrum, const std::vector<double>& xs,
                         std::vector<std::vector<double>>& values) {
  const BackgroundTerms terms(m, spectrum);
  if (terms.rows().empty()) return;
  // The peaks' sum at the spectrum's points, for the whole-curve terms.
  const int n = terms.points();
  std::vector<double> peaks(n, 0.0), part(n);
  if (terms.wholeCurve()) {
    shapes::PeakCaches caches;
    std::vector<float> y(m.npix + 1);
    for (int i = 0; i < n; ++i) {
      shapes::yfunx(spectrum[i], y.data(), m.ptab.base(), m.irel.base(), m.krel.base(), m.ifunc.base(), m.nptab, i,
                    caches);
      peaks[i] = y[0];
    }
  }
  for (const BackgroundRow& row : terms.rows()) {
    float pf[6] = {};
    resolvedParameters(m, row.k, pf);
    const double p[6] = {0.0, pf[1], pf[2], pf[3], pf[4], pf[5]};
    if (row.code == kShirleyBackground) {
      const double total = terms.cumulative(peaks.data(), part.data());
      for (double& v : part) v = total != 0.0 && std::isfinite(total) ? v / total : 0.0;
    } else if (row.code == kTougaardBackground) {
      terms.lossSum(peaks.data(), tougaardC(p), tougaardLargerX(p), part.data());
    }
    std::vector<double>& curve = values[row.k];
    for (std::size_t i = 0; i < xs.size(); ++i) {
      double v = 0.0;
      if (row.code == kPolynomialBackground)
        v = terms.polynomial(xs[i], p);
      else {
        const double q = terms.interpolate(part.data(), xs[i]);
        v = row.code == kShirleyBackground ? p[1] + (p[2] - p[1]) * q : p[2] + p[1] * q;
      }
      curve[i] = v;
      values[0][i] += v;
    }
  }
}

}  // namespace xyla::fit
