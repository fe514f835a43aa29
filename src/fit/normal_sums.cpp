// Compiled without contracting products and sums into fused operations (see
// CMakeLists.txt): every sum rounds as the plain loop over the points does.
#include "fit/normal_sums.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace xyla::fit {

namespace {

constexpr int kLanes = 8;

int lanesFor(int n) { return (n + kLanes - 1) / kLanes * kLanes; }

// acc[0 .. lanes-1] += w * g[0 ..] for each slot's weight w = ws[j - 1], row by row.
void addRowsPlain(float* acc, const std::size_t* offset, int first, int last, const float* g, const float* w, int width,
                  int count) {
  for (int s = 0; s < count; ++s) {
    const float* gs = g + static_cast<std::size_t>(s) * width;
    const float* ws = w + static_cast<std::size_t>(s) * width;
    for (int j = first; j <= last; ++j) {
      const float wt = ws[j - 1];
      float* r = acc + offset[j];
      for (int k = 0; k < j; ++k) r[k] += wt * gs[k];
    }
  }
}

#if defined(__x86_64__)
bool haveAvx2() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
  }();
  return have;
}

__attribute__((target("avx2"))) void addRowsAvx2(float* acc, const std::size_t* offset, int first, int last,
                                                 const float* g, const float* w, int width, int count) {
  for (int s = 0; s < count; ++s) {
    const float* gs = g + static_cast<std::size_t>(s) * width;
    const float* ws = w + static_cast<std::size_t>(s) * width;
    for (int j = first; j <= last; ++j) {
      const __m256 wt = _mm256_broadcast_ss(ws + j - 1);
      float* r = acc + offset[j];
      for (int k = 0; k < j; k += kLanes)
        _mm256_storeu_ps(r + k, _mm256_add_ps(_mm256_loadu_ps(r + k), _mm256_mul_ps(wt, _mm256_loadu_ps(gs + k))));
    }
  }
}

__attribute__((target("avx2"))) void addBetaAvx2(float* beta, const float* w, float dy, int width) {
  const __m256 vdy = _mm256_set1_ps(dy);
  for (int j = 0; j < width; j += kLanes)
    _mm256_storeu_ps(beta + j, _mm256_add_ps(_mm256_loadu_ps(beta + j), _mm256_mul_ps(vdy, _mm256_loadu_ps(w + j))));
}
#endif

void addBeta(float* beta, const float* w, float dy, int width, bool vectors) {
#if defined(__x86_64__)
  if (vectors) return addBetaAvx2(beta, w, dy, width);
#endif
  for (int j = 0; j < width; ++j) beta[j] += dy * w[j];
}

}  // namespace

NormalSums::NormalSums(const int* list, int nactive, int blockPoints, bool vectors)
    : list_(list), n_(nactive), width_(lanesFor(std::max(nactive, 1))) {
#if defined(__x86_64__)
  vectors_ = vectors && haveAvx2();
#else
  (void)vectors;
#endif
  const std::size_t slots = static_cast<std::size_t>(std::max(blockPoints, 1));
  for (Rows& r : rows_) {
    r.g.assign(slots * width_, 0.0f);
    r.w.assign(slots * width_, 0.0f);
    r.dy.assign(slots, 0.0f);
    r.wi.assign(slots, 0.0f);
  }
  offset_.assign(n_ + 1, 0);
  std::size_t at = 0;
  for (int j = 1; j <= n_; ++j) {
    offset_[j] = at;
    at += lanesFor(j);
  }
  acc_.assign(at, 0.0f);
  beta_.assign(width_, 0.0f);
}

void NormalSums::gather(int buffer, int slot, const float* dyda, float dy, float wi) {
  Rows& r = rows_[buffer];
  float* g = r.g.data() + static_cast<std::size_t>(slot) * width_;
  float* w = r.w.data() + static_cast<std::size_t>(slot) * width_;
  for (int j = 1; j <= n_; ++j) {
    g[j - 1] = dyda[list_[j]];
    w[j - 1] = wi * g[j - 1];
  }
  r.dy[slot] = dy;
  r.wi[slot] = wi;
}

void NormalSums::addRows(int buffer, int first, int last, int count) {
  const Rows& r = rows_[buffer];
#if defined(__x86_64__)
  if (vectors_) return addRowsAvx2(acc_.data(), offset_.data(), first, last, r.g.data(), r.w.data(), width_, count);
#endif
  addRowsPlain(acc_.data(), offset_.data(), first, last, r.g.data(), r.w.data(), width_, count);
}

void NormalSums::addRest(int buffer, int count) {
  const Rows& r = rows_[buffer];
  for (int s = 0; s < count; ++s) {
    const float dy = r.dy[s];
    const float* w = r.w.data() + static_cast<std::size_t>(s) * width_;
    addBeta(beta_.data(), w, dy, width_, vectors_);
    chisq_ += dy * dy * r.wi[s];
    sumsq_ += dy * dy;
  }
}

std::vector<int> NormalSums::shares(int parts) const {
  // Row j costs its lanes; the first share also carries beta and chi-square.
  std::vector<double> cost(n_ + 1, 0.0);
  for (int j = 1; j <= n_; ++j) cost[j] = cost[j - 1] + lanesFor(j) / kLanes;
  std::vector<int> bounds(parts + 1, n_);
  bounds[0] = 0;
  const double extra = width_ / kLanes;
  for (int t = 1; t < parts; ++t) {
    const double goal = (cost[n_] + extra) * t / parts - extra;
    int j = bounds[t - 1];
    while (j < n_ && cost[j] < goal) ++j;
    bounds[t] = j;
  }
  return bounds;
}

}  // namespace xyla::fit
