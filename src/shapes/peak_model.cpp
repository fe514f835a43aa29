#include "shapes/peak_model.h"

#include <cmath>

#include "shapes/line_shapes.h"
#include "shapes/shape_registry.h"
#include "shapes/xps_shapes.h"

namespace xyla::shapes {

namespace {

UserFunctions* theFit = nullptr;

// More offsets than this would make one point cost more than a whole ordinary fit; such
// Gaussian widths are far beyond any spectrum, so the step grows instead.
constexpr int kMaxOffsets = 20001;
// The maximum search gives up (as a runaway) after this many moves. Gaussian widths up
// to 20 never need more; wider ones would make every rebuild cost millions of shape
// evaluations.
constexpr int kMaxSearchMoves = 4000;

void fillWeights(ConvolutionCache& c, double kappa) {
  const int n = c.offsets();
  c.kappa = kappa;
  c.weights.resize(n);
  for (int i = 0; i < n; ++i) {
    const double t = -c.range + i * c.step;
    c.weights[i] = std::exp(-kappa * t * t);
  }
}

// Sum of weight x base shape over the offsets around xc; uses the cache's own weights
// when they belong to `kappa`, otherwise computes them on the way.
double weightedSum(double xc, const double* p, int base, const ConvolutionCache& c, double kappa) {
  const int n = c.offsets();
  const bool cached = c.holdsWeightsOf(kappa);
  double sum = 0.0;
  if (base == kDoniachSunjic) {  // the same line at every offset: its constants once
    const DoniachSunjic line(p[1], p[2], p[3], p[4]);
    for (int i = 0; i < n; ++i) {
      const double t = -c.range + i * c.step;
      sum += line(xc + t) * (cached ? c.weights[i] : std::exp(-kappa * t * t));
    }
    return sum;
  }
  for (int i = 0; i < n; ++i) {
    const double t = -c.range + i * c.step;
    const double w = cached ? c.weights[i] : std::exp(-kappa * t * t);
    sum += dgslor(xc + t, p, base) * w;
  }
  return sum;
}

// Finds the shift and normalisation that keep the convolved line's maximum at p[1] with
// the height p[2]: a downward, then an upward walk in steps of a tenth of the offset step.
void rebuild(ConvolutionCache& c, const double* p, int base, double g, double kappa) {
  c.range = std::fabs(2.0 * g);
  c.step = c.range < 1.0 ? c.range / 20.0 : 0.05;
  if (2.0 * c.range / c.step > kMaxOffsets - 1) c.step = 2.0 * c.range / (kMaxOffsets - 1);
  c.shift = 0.0;
  c.best = 0.0;
  fillWeights(c, kappa);

  double q[6] = {0.0, p[1], 1.0, p[3], p[4], p[5]};
  const double x0 = p[1];
  const double move = 0.1 * c.step;
  bool runaway = false;
  for (int sigma = -1; sigma <= 1 && !runaway; sigma += 2) {
    double xc = sigma < 0 ? x0 : x0 + move;
    for (int moves = 0;; ++moves) {
      const double value = weightedSum(xc, q, base, c, kappa);
      if (value > c.best) {
        c.best = value;
        c.shift = xc - x0;
      }
      xc += move * sigma;
      if (!(value > c.best - 0.01)) break;
      if (std::fabs(xc - x0) > std::fabs(g) / 2.0 || moves >= kMaxSearchMoves) {
        runaway = true;
        break;
      }
    }
  }
  const double norm = 1.0 / (c.best * c.step);
  if (runaway || !std::isfinite(norm) || !(c.best > 0.0)) {
    c.norm = 1.0;
    c.shift = 0.0;
  } else {
    c.norm = norm;
  }
}

// Rebuilds the normalisation of a convolved line as gconvl does with `reuse` 0.
void rebuildConvolution(const double* p, int code, ConvolutionCache& cache) {
  const double g = p[5];
  if (std::fabs(g) < 1e-18) return;
  rebuild(cache, p, code - kConvolved, g, 4.0 / (g * g));
}

}  // namespace

int ConvolutionCache::offsets() const {
  if (!(step > 0.0) || !(range >= 0.0)) return 1;
  const double n = std::floor(2.0 * range / step + 1e-9);
  return n >= kMaxOffsets ? kMaxOffsets : static_cast<int>(n) + 1;
}

bool ConvolutionCache::holdsWeightsOf(double k) const {
  return k == kappa && static_cast<int>(weights.size()) == offsets();
}

void setTheFit(UserFunctions* fit) { theFit = fit; }

void peakParameters(int k, const float* a, const int* irel, const int* krel, double* p) {
  for (int i = 1; i <= 5; ++i) {
    const int j = 5 * (k - 1) + i;
    double v = a[j];
    if (irel[j] != j) v = krel[j] != 0 ? v + a[irel[j]] : v * a[irel[j]];
    p[i] = v;
  }
}

double peakValue(double x, const double* p, int code, int reuse, PeakCaches& caches, int k, int slot) {
  return isConvolvedCode(code) ? gconvl(x, p, code, reuse, caches.of(k, slot)) : dgslor(x, p, code);
}

double differenceStep(int k, int i, const float* a, const float* da, const int* irel, const int* krel) {
  const int j = 5 * (k - 1) + i;
  const int target = irel[j];
  const double step = da[target];
  return (target != j && krel[j] == 0) ? a[j] * step : step;
}

ConvolutionCache& PeakCaches::of(int k, int slot) {
  const std::size_t index = static_cast<std::size_t>(k) * 6 + slot;
  if (caches_.size() <= index) caches_.resize(index + 1);
  return caches_[index];
}

void PeakCaches::reserve(int peaks) {
  const std::size_t size = static_cast<std::size_t>(peaks + 1) * 6;
  if (caches_.size() < size) caches_.resize(size);
}

double dgslor(double x, const double* p, int code) {
  if (const LineShape* shape = shapeByCode(code)) return shape->function(x, p);
  if (isLaCode(code)) return laLine(x, p[1], p[2], p[3], p[4], p[5], code - kAsymmetricLorentzian);
  if (code < 0 && theFit) return theFit->calcVal(x, p[1], p[2], p[3], p[4], p[5], -code);
  return 0.0;
}

double gconvl(double x, const double* p, int code, int reuse, ConvolutionCache& cache) {
  if (code <= 49 || isLaCode(code)) return dgslor(x, p, code);
  const int base = code - kConvolved;
  const double g = p[5];
  if (std::fabs(g) < 1e-18) return dgslor(x, p, base);
  const double kappa = 4.0 / (g * g);
  if (reuse == 0) rebuild(cache, p, base, g, kappa);
  return cache.step * cache.norm * weightedSum(x + cache.shift, p, base, cache, kappa);
}

void yfunx(double x, float* y, const float* a, const int* irel, const int* krel, const int* ifunc, int npar, int reuse,
           PeakCaches& caches) {
  y[0] = 0.0f;
  double p[6] = {};
  for (int k = 1; 5 * k <= npar; ++k) {
    peakParameters(k, a, irel, krel, p);
    y[k] = static_cast<float>(peakValue(x, p, ifunc[k], reuse, caches, k, 0));
    y[0] += y[k];
  }
}

void fnumdf(double x, const float* a, float& y, const float* da, const int* irel, const int* krel, const int* ifunc,
            float* dyda, int npar, int reuse, const char* needed, PeakCaches& caches) {
  y = 0.0f;
  double p[6] = {};
  for (int k = 1; 5 * k <= npar; ++k) {
    peakParameters(k, a, irel, krel, p);
    const double f0 = peakValue(x, p, ifunc[k], reuse, caches, k, 0);
    y += static_cast<float>(f0);
    for (int i = 1; i <= 5; ++i) dyda[5 * (k - 1) + i] = 0.0f;
    for (int i = 1; i <= 5; ++i) {
      const int target = irel[5 * (k - 1) + i];
      if (needed && !needed[target]) continue;
      const double keep = p[i];
      p[i] = keep + differenceStep(k, i, a, da, irel, krel);
      const double fi = peakValue(x, p, ifunc[k], reuse, caches, k, i);
      p[i] = keep;
      dyda[target] += static_cast<float>((fi - f0) / da[target]);
    }
  }
}

void prepareConvolutions(const float* a, const float* da, const int* irel, const int* krel, const int* ifunc, int npar,
                         const char* needed, PeakCaches& caches) {
  caches.reserve(npar / 5);
  double p[6] = {};
  for (int k = 1; 5 * k <= npar; ++k) {
    if (!isConvolvedCode(ifunc[k])) continue;
    peakParameters(k, a, irel, krel, p);
    rebuildConvolution(p, ifunc[k], caches.of(k, 0));
    for (int i = 1; i <= 5; ++i) {
      if (needed && !needed[irel[5 * (k - 1) + i]]) continue;
      const double keep = p[i];
      p[i] = keep + differenceStep(k, i, a, da, irel, krel);
      rebuildConvolution(p, ifunc[k], caches.of(k, i));
      p[i] = keep;
    }
  }
}

float fintgl(const float* pf, double h, double /*sigma*/, int code) {
  const double p[6] = {0.0, pf[1], pf[2], pf[3], pf[4], pf[5]};
  const double x0 = p[1];
  const bool convolved = isConvolvedCode(code);
  ConvolutionCache cache;
  const double peak = convolved ? gconvl(x0, p, code, 0, cache) : dgslor(x0, p, code);
  const double stopLevel = peak / 10000.0;
  const double half = std::fabs(peak) / 2.0;
  double dHalf = std::fabs(h);
  double area = 0.0;
  bool first = true;
  for (int sigma = -1; sigma <= 1; sigma += 2) {
    double step = sigma * h;
    double x = sigma < 0 ? x0 : x0 + h;
    for (int n = 0; n < 10000; ++n) {
      if (x <= 0.0) break;
      const double f = convolved ? gconvl(x, p, code, first ? 0 : 1, cache) : dgslor(x, p, code);
      first = false;
      area += f * h;
      if (f >= half) {
        dHalf = std::fabs(x - x0);
        x += step;
      } else {
        const double t = x + step / 2.0;
        step = (t - x0) * h / dHalf;
        x = t + step / 2.0;
      }
      if (f <= stopLevel) break;
    }
  }
  return static_cast<float>(area);
}

}  // namespace xyla::shapes
