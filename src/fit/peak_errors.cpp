#include "fit/peak_errors.h"

#include <array>
#include <cmath>

#include "fit/peak_measures.h"

namespace xyla::fit {

namespace {

// The four propagated quantities of a peak, in this order.
constexpr int kPosition = 0, kHeight = 1, kFwhm = 2, kArea = 3, kQuantities = 4;
using Quantities = std::array<double, kQuantities>;

struct Measured {
  bool ok = false;
  bool windowed = false;
  Quantities q{};
};

// Peak k's parameters p[1..5] from the parameter vector a, ties resolved one level deep.
void resolved(const FitModel& m, const std::vector<double>& a, int k, double* p) {
  for (int s = 1; s <= 5; ++s) {
    const int j = 5 * (k - 1) + s;
    double v = a[j];
    if (m.irel[j] != j) v = m.krel[j] != 0 ? v + a[m.irel[j]] : v * a[m.irel[j]];
    p[s] = v;
  }
}

Measured measure(const FitModel& m, const std::vector<double>& a, int k, double lo, double hi) {
  double p[6] = {};
  resolved(m, a, k, p);
  const PeakMeasure pm = measurePeak(m.ifunc[k], p, lo, hi);
  Measured r;
  r.ok = pm.ok;
  r.windowed = pm.windowed;
  r.q = {p[1], pm.height, pm.fwhm, pm.area};
  return r;
}

// Whether parameter j enters peak k (directly or as the target of a tie).
bool enters(const FitModel& m, int j, int k) {
  for (int s = 1; s <= 5; ++s) {
    const int i = 5 * (k - 1) + s;
    if (i == j || m.irel[i] == j) return true;
  }
  return false;
}

double quadraticForm(const std::vector<double>& g, const std::vector<double>& g2, const std::vector<double>& cov,
                     const std::vector<int>& free, int stride) {
  double v = 0.0;
  for (std::size_t x = 0; x < free.size(); ++x) {
    if (g[x] == 0.0) continue;
    for (std::size_t y = 0; y < free.size(); ++y)
      v += g[x] * g2[y] * cov[static_cast<std::size_t>(free[x]) * stride + free[y]];
  }
  return v;
}

double errorOf(double variance) { return variance >= 0.0 && std::isfinite(variance) ? std::sqrt(variance) : -1.0; }

}  // namespace

ParameterErrors parameterErrors(const FitModel& m, const Matrix1<float>& covar, double reduced) {
  ParameterErrors e;
  e.standardError.assign(m.nptab + 1, 0.0);
  std::vector<double>& se = e.standardError;
  for (int i = 1; i <= m.nmfit; ++i) {
    const int j = m.mfit[i];
    const double v = double(covar[j][j]) * reduced;
    se[j] = v > 0.0 && std::isfinite(v) ? std::sqrt(v) : 0.0;
  }
  for (int j = 1; j <= m.nptab; ++j)
    if (m.kind[j] == Cell::Tie) se[j] = m.krel[j] != 0 ? se[m.irel[j]] : std::fabs(m.ptab[j]) * se[m.irel[j]];
  const int stride = m.nptab + 1;
  std::vector<double> cov(static_cast<std::size_t>(stride) * stride, 0.0);
  bool finite = true;
  for (int i = 1; i <= m.nmfit; ++i)
    for (int k = 1; k <= m.nmfit; ++k) {
      const int a = m.mfit[i], b = m.mfit[k];
      const double v = double(covar[a][b]) * reduced;
      finite = finite && std::isfinite(v);
      cov[static_cast<std::size_t>(a) * stride + b] = v;
    }
  if (finite) e.covariance = std::move(cov);
  return e;
}

PeakTable measurePeaks(const FitModel& m, const std::vector<double>& cov, double lo, double hi) {
  PeakTable t;
  const int n = m.npix;
  std::vector<double> a(m.nptab + 1, 0.0);
  for (int j = 1; j <= m.nptab; ++j) a[j] = m.ptab[j];
  std::vector<Measured> base(n + 1);
  for (int k = 1; k <= n; ++k) base[k] = measure(m, a, k, lo, hi);

  // Gradients of every quantity of every peak with respect to the free parameters.
  const int stride = m.nptab + 1;
  const bool haveCov = static_cast<int>(cov.size()) == stride * stride;
  std::vector<int> free;
  for (int i = 1; i <= m.nmfit; ++i) free.push_back(m.mfit[i]);
  const std::size_t nf = free.size();
  std::vector<std::array<std::vector<double>, kQuantities>> grad(n + 1);
  std::vector<char> gradOk(n + 1, haveCov ? 1 : 0);
  for (int k = 1; k <= n; ++k)
    for (auto& g : grad[k]) g.assign(nf, 0.0);
  for (std::size_t x = 0; haveCov && x < nf; ++x) {
    const int j = free[x];
    const double var = cov[static_cast<std::size_t>(j) * stride + j];
    const double sd = var > 0.0 && std::isfinite(var) ? std::sqrt(var) : 0.0;
    const double h = sd > 0.0 ? 1e-3 * sd : 1e-7 * std::fmax(std::fabs(a[j]), 1e-3);
    for (int k = 1; k <= n; ++k) {
      if (!base[k].ok || !enters(m, j, k)) continue;
      std::vector<double> ap = a, am = a;
      ap[j] += h;
      am[j] -= h;
      const Measured plus = measure(m, ap, k, lo, hi), minus = measure(m, am, k, lo, hi);
      for (int q = 0; q < kQuantities; ++q) {
        double d;
        if (plus.ok && minus.ok) d = (plus.q[q] - minus.q[q]) / (2.0 * h);
        else if (plus.ok) d = (plus.q[q] - base[k].q[q]) / h;
        else if (minus.ok) d = (base[k].q[q] - minus.q[q]) / h;
        else d = std::nan("");
        if (!std::isfinite(d)) gradOk[k] = 0;
        grad[k][q][x] = std::isfinite(d) ? d : 0.0;
      }
    }
  }

  // Percentages of the weighted true areas.
  bool anyWeight = false;
  for (int k = 1; k <= n; ++k) anyWeight = anyWeight || (base[k].ok && m.pkwt[k] != 0.0f);
  auto weight = [&](int k) { return !base[k].ok ? 0.0 : anyWeight ? double(m.pkwt[k]) : 1.0; };
  double S = 0.0;
  std::vector<double> dS(nf, 0.0);
  for (int k = 1; k <= n; ++k) {
    S += weight(k) * base[k].q[kArea];
    for (std::size_t x = 0; x < nf; ++x) dS[x] += weight(k) * grad[k][kArea][x];
  }

  t.peaks.resize(n);
  for (int k = 1; k <= n; ++k) {
    PeakNumbers& r = t.peaks[k - 1];
    r.row = k - 1 < static_cast<int>(m.peaks.size()) ? m.peaks[k - 1].row : k - 1;
    r.ok = base[k].ok;
    if (!r.ok) continue;
    r.windowed = base[k].windowed;
    r.position = base[k].q[kPosition];
    r.height = base[k].q[kHeight];
    r.fwhm = base[k].q[kFwhm];
    r.area = base[k].q[kArea];
    r.hasPercent = weight(k) != 0.0 && S != 0.0 && std::isfinite(S);
    if (r.hasPercent) r.percent = 100.0 * weight(k) * r.area / S;
    if (!gradOk[k]) continue;
    double* errors[kQuantities] = {&r.positionError, &r.heightError, &r.fwhmError, &r.areaError};
    bool known = true;
    for (int q = 0; q < kQuantities; ++q) {
      const double e = errorOf(quadraticForm(grad[k][q], grad[k][q], cov, free, stride));
      known = known && e >= 0.0;
      *errors[q] = e >= 0.0 ? e : 0.0;
    }
    if (r.hasPercent) {
      std::vector<double> g(nf);
      for (std::size_t x = 0; x < nf; ++x)
        g[x] = 100.0 * weight(k) / S * (grad[k][kArea][x] - r.area / S * dS[x]);
      const double e = errorOf(quadraticForm(g, g, cov, free, stride));
      known = known && e >= 0.0;
      r.percentError = e >= 0.0 ? e : 0.0;
    }
    r.errorsOk = known;
    if (!known) r.positionError = r.heightError = r.fwhmError = r.areaError = r.percentError = 0.0;
  }

  if (haveCov) {
    t.areaCovariance.assign(static_cast<std::size_t>(n) * n, 0.0);
    for (int k = 1; k <= n; ++k)
      for (int l = 1; l <= n; ++l)
        if (gradOk[k] && gradOk[l] && base[k].ok && base[l].ok)
          t.areaCovariance[static_cast<std::size_t>(k - 1) * n + (l - 1)] =
              quadraticForm(grad[k][kArea], grad[l][kArea], cov, free, stride);
  }
  return t;
}

}  // namespace xyla::fit
