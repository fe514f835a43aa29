#include "shapes/peak_blocks.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "shapes/shape_blocks.h"

namespace xyla::shapes {

namespace {

// Points taken at once: the working arrays below stay in the first-level cache.
constexpr int kChunk = 256;

// One peak as every point of a block sees it: its parameters with the ties resolved and,
// for each slot whose derivative is wanted, the perturbed value and where its
// difference quotient goes.
struct PeakPlan {
  int k = 0, code = 0;
  double p[6] = {};
  bool wanted[6] = {};
  double moved[6] = {};
  int target[6] = {};
  double divisor[6] = {};
};

PeakPlan planPeak(int k, const float* a, const float* da, const int* irel, const int* krel, const int* ifunc,
                  const char* needed) {
  PeakPlan plan;
  plan.k = k;
  plan.code = ifunc[k];
  peakParameters(k, a, irel, krel, plan.p);
  for (int i = 1; i <= 5; ++i) {
    const int target = irel[5 * (k - 1) + i];
    plan.target[i] = target;
    plan.wanted[i] = !needed || needed[target];
    if (!plan.wanted[i]) continue;
    plan.moved[i] = plan.p[i] + differenceStep(k, i, a, da, irel, krel);
    plan.divisor[i] = da[target];
  }
  return plan;
}

// Working arrays of one chunk of points.
struct Chunk {
  int n = 0;
  double x[kChunk];
  double f0[kChunk], f[kChunk];               // the peak, and with one parameter perturbed
  double u0[kChunk], e0[kChunk], d0[kChunk];  // Gauss-Lorentz parts of f0
  double u[kChunk], e[kChunk], den[kChunk];
  float quotient[kChunk];
};

// A Gauss-Lorentz peak at the chunk's points: f0, and its parts for the perturbations.
void galoValue(const PeakPlan& pl, Chunk& c) {
  galoDistanceBlock(c.x, c.n, pl.p[1], pl.p[3], c.u0);
  galoShapeBlock(c.u0, c.n, pl.p[2], pl.p[4], c.e0, c.d0, c.f0);
}

// The Gauss-Lorentz peak with slot i perturbed, into f: the height reuses the shape
// terms of f0 and the mixing its distances; E does not enter the shape.
void galoMoved(const PeakPlan& pl, int i, Chunk& c) {
  const double* p = pl.p;
  switch (i) {
    case 1:
      galoDistanceBlock(c.x, c.n, pl.moved[1], p[3], c.u);
      return galoShapeBlock(c.u, c.n, p[2], p[4], c.e, c.den, c.f);
    case 2:
      return galoHeightBlock(c.e0, c.d0, c.n, pl.moved[2], c.f);
    case 3:
      galoDistanceBlock(c.x, c.n, p[1], pl.moved[3], c.u);
      return galoShapeBlock(c.u, c.n, p[2], p[4], c.e, c.den, c.f);
    case 4:
      return galoShapeBlock(c.u0, c.n, p[2], pl.moved[4], c.e, c.den, c.f);
    default:
      std::copy(c.f0, c.f0 + c.n, c.f);
  }
}

// Any other shape, one point at a time.
void pointValue(const PeakPlan& pl, int i, Chunk& c, PeakCaches& caches) {
  double p[6];
  std::copy(pl.p, pl.p + 6, p);
  if (i > 0) p[i] = pl.moved[i];
  double* out = i > 0 ? c.f : c.f0;
  for (int j = 0; j < c.n; ++j) out[j] = peakValue(c.x[j], p, pl.code, 1, caches, pl.k, i);
}

// A Gauss-Lorentz peak convolved with a Gaussian, with slot i perturbed (0: none), into
// f0 or f: all points of the chunk at once where the slot's cache holds the weights of its
// Gaussian width (as prepareConvolutions leaves them), otherwise one point at a time.
void convolvedGaloValue(const PeakPlan& pl, int i, Chunk& c, PeakCaches& caches) {
  double q[6];
  std::copy(pl.p, pl.p + 6, q);
  if (i > 0) q[i] = pl.moved[i];
  const ConvolutionCache& cache = caches.of(pl.k, i);
  const double g = q[5];
  if (std::fabs(g) < 1e-18 || !cache.holdsWeightsOf(4.0 / (g * g))) return pointValue(pl, i, c, caches);
  double* out = i > 0 ? c.f : c.f0;
  for (int j = 0; j < c.n; ++j) c.u[j] = c.x[j] + cache.shift;
  galoConvolvedBlock(c.u, c.n, q[1], q[2], q[3], q[4], cache.range, cache.step, cache.weights.data(),
                     cache.weights.size(), out);
  const double scale = cache.step * cache.norm;
  for (int j = 0; j < c.n; ++j) out[j] = scale * out[j];
}

// The value of peak `pl` with slot i perturbed (0: none) into f0 or f, by the cheapest
// way its shape has.
void peakBlockValue(const PeakPlan& pl, int i, Chunk& c, PeakCaches& caches) {
  if (pl.code == kGaussLorentz) return i == 0 ? galoValue(pl, c) : galoMoved(pl, i, c);
  if (pl.code == kConvolved + kGaussLorentz) return convolvedGaloValue(pl, i, c, caches);
  pointValue(pl, i, c, caches);
}

// Adds peak `pl` to the chunk's sums and derivatives, in the order fnumdf adds them at
// each point.
void addPeak(const PeakPlan& pl, Chunk& c, float* y, float* dyda, std::size_t stride, PeakCaches& caches) {
  peakBlockValue(pl, 0, c, caches);
  for (int j = 0; j < c.n; ++j) {
    y[j] += static_cast<float>(c.f0[j]);
    float* row = dyda + j * stride + 5 * (pl.k - 1);
    for (int i = 1; i <= 5; ++i) row[i] = 0.0f;
  }
  for (int i = 1; i <= 5; ++i) {
    if (!pl.wanted[i]) continue;
    peakBlockValue(pl, i, c, caches);
    differenceBlock(c.f, c.f0, c.n, pl.divisor[i], c.quotient);
    float* column = dyda + pl.target[i];
    for (int j = 0; j < c.n; ++j) column[j * stride] += c.quotient[j];
  }
}

}  // namespace

void fnumdfBlock(const float* x, int count, const float* a, float* y, const float* da, const int* irel, const int* krel,
                 const int* ifunc, float* dyda, std::size_t stride, int npar, const char* needed, PeakCaches& caches,
                 const std::vector<int>* only) {
  std::vector<PeakPlan> plans;
  if (only) {
    for (int k : *only)
      if (k >= 1 && 5 * k <= npar) plans.push_back(planPeak(k, a, da, irel, krel, ifunc, needed));
  } else {
    for (int k = 1; 5 * k <= npar; ++k) plans.push_back(planPeak(k, a, da, irel, krel, ifunc, needed));
  }
  Chunk c;
  for (int first = 0; first < count; first += kChunk) {
    c.n = std::min(kChunk, count - first);
    for (int j = 0; j < c.n; ++j) c.x[j] = x[first + j];
    std::fill(y + first, y + first + c.n, 0.0f);
    for (const PeakPlan& plan : plans) addPeak(plan, c, y + first, dyda + first * stride, stride, caches);
  }
}

}  // namespace xyla::shapes
