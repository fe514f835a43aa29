// Compiled without contracting products and sums into fused operations (see
// CMakeLists.txt): every sum rounds as the plain loop over the points does.
#include "fit/normal_sums.h"

#include <algorithm>
#include <array>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace xyla::fit {

namespace {

constexpr int kLanes = 8;
// Lanes whose sums stay in registers while a block's points go by: with the weight and
// the loaded derivatives this fills the sixteen AVX2 registers.
constexpr int kLanesInRegisters = 12;

int lanesFor(int n) { return (n + kLanes - 1) / kLanes * kLanes; }

using Lane = NormalSums::Lane;

// acc[lane] += (wi * g[row - 1]) * g[col ..] over the slots, slot by slot, for each lane.
void addLanesPlain(float* acc, const Lane* lanes, int nlanes, const float* g, const float* wi, int width, int count) {
  for (int s = 0; s < count; ++s) {
    const float* gs = g + static_cast<std::size_t>(s) * width;
    for (int v = 0; v < nlanes; ++v) {
      const float wt = wi[s] * gs[lanes[v].row - 1];
      float* r = acc + lanes[v].at;
      for (int k = 0; k < kLanes; ++k) r[k] += wt * gs[lanes[v].col + k];
    }
  }
}

// beta[0 .. width-1] += dy * (wi * g) over the slots; chi-square and the sum of squares.
void addRestPlain(float* beta, float& chisq, float& sumsq, const float* g, const float* dy, const float* wi, int width,
                  int count) {
  for (int s = 0; s < count; ++s) {
    const float* gs = g + static_cast<std::size_t>(s) * width;
    for (int j = 0; j < width; ++j) beta[j] += dy[s] * (wi[s] * gs[j]);
    chisq += dy[s] * dy[s] * wi[s];
    sumsq += dy[s] * dy[s];
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

// V lanes at once, their sums in registers from the first slot to the last.
template <int V>
__attribute__((target("avx2"))) void addLanesAvx2(float* acc, const Lane* lanes, const float* g, const float* wi,
                                                  int width, int count) {
  __m256 sum[V];
  int row[V], col[V];
#pragma GCC unroll 16
  for (int v = 0; v < V; ++v) {
    sum[v] = _mm256_loadu_ps(acc + lanes[v].at);
    row[v] = lanes[v].row - 1;
    col[v] = lanes[v].col;
  }
  for (int s = 0; s < count; ++s) {
    const float* gs = g + static_cast<std::size_t>(s) * width;
    const float w = wi[s];
#pragma GCC unroll 16
    for (int v = 0; v < V; ++v) {
      const __m256 wt = _mm256_set1_ps(w * gs[row[v]]);
      sum[v] = _mm256_add_ps(sum[v], _mm256_mul_ps(wt, _mm256_loadu_ps(gs + col[v])));
    }
  }
#pragma GCC unroll 16
  for (int v = 0; v < V; ++v) _mm256_storeu_ps(acc + lanes[v].at, sum[v]);
}

using LaneKernel = void (*)(float*, const Lane*, const float*, const float*, int, int);

template <std::size_t... V>
constexpr std::array<LaneKernel, sizeof...(V)> laneKernels(std::index_sequence<V...>) {
  return {&addLanesAvx2<static_cast<int>(V) + 1>...};
}

// kLaneKernels[v - 1] adds v lanes.
constexpr auto kLaneKernels = laneKernels(std::make_index_sequence<kLanesInRegisters>());

void addLanesAvx2(float* acc, const Lane* lanes, int nlanes, const float* g, const float* wi, int width, int count) {
  for (int v = 0; v < nlanes; v += kLanesInRegisters)
    kLaneKernels[std::min(kLanesInRegisters, nlanes - v) - 1](acc, lanes + v, g, wi, width, count);
}

// V lanes of beta in registers over the slots.
template <int V>
__attribute__((target("avx2"))) void addBetaAvx2(float* beta, const float* g, const float* dy, const float* wi,
                                                 int width, int count) {
  __m256 sum[V];
#pragma GCC unroll 16
  for (int v = 0; v < V; ++v) sum[v] = _mm256_loadu_ps(beta + v * kLanes);
  for (int s = 0; s < count; ++s) {
    const float* gs = g + static_cast<std::size_t>(s) * width;
    const __m256 w = _mm256_set1_ps(wi[s]), d = _mm256_set1_ps(dy[s]);
#pragma GCC unroll 16
    for (int v = 0; v < V; ++v)
      sum[v] = _mm256_add_ps(sum[v], _mm256_mul_ps(d, _mm256_mul_ps(w, _mm256_loadu_ps(gs + v * kLanes))));
  }
#pragma GCC unroll 16
  for (int v = 0; v < V; ++v) _mm256_storeu_ps(beta + v * kLanes, sum[v]);
}

using BetaKernel = void (*)(float*, const float*, const float*, const float*, int, int);

template <std::size_t... V>
constexpr std::array<BetaKernel, sizeof...(V)> betaKernels(std::index_sequence<V...>) {
  return {&addBetaAvx2<static_cast<int>(V) + 1>...};
}

constexpr auto kBetaKernels = betaKernels(std::make_index_sequence<kLanesInRegisters>());

void addRestAvx2(float* beta, float& chisq, float& sumsq, const float* g, const float* dy, const float* wi, int width,
                 int count) {
  for (int v = 0; v < width / kLanes; v += kLanesInRegisters)
    kBetaKernels[std::min(kLanesInRegisters, width / kLanes - v) - 1](beta + v * kLanes, g + v * kLanes, dy, wi, width,
                                                                      count);
  for (int s = 0; s < count; ++s) {
    chisq += dy[s] * dy[s] * wi[s];
    sumsq += dy[s] * dy[s];
  }
}
#endif

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
    r.dy.assign(slots, 0.0f);
    r.wi.assign(slots, 0.0f);
  }
  offset_.assign(n_ + 1, 0);
  firstLane_.assign(n_ + 2, 0);
  std::size_t at = 0;
  for (int j = 1; j <= n_; ++j) {
    offset_[j] = at;
    firstLane_[j] = static_cast<int>(lanes_.size());
    for (int k = 0; k < j; k += kLanes) lanes_.push_back({j, k, at + k});
    at += lanesFor(j);
  }
  firstLane_[n_ + 1] = static_cast<int>(lanes_.size());
  acc_.assign(at, 0.0f);
  beta_.assign(width_, 0.0f);
}

void NormalSums::gather(int buffer, int slot, const float* dyda, float dy, float wi) {
  Rows& r = rows_[buffer];
  float* g = r.g.data() + static_cast<std::size_t>(slot) * width_;
  for (int j = 1; j <= n_; ++j) g[j - 1] = dyda[list_[j]];
  r.dy[slot] = dy;
  r.wi[slot] = wi;
}

void NormalSums::addRows(int buffer, int first, int last, int count) {
  if (first > last) return;
  const Rows& r = rows_[buffer];
  const Lane* lanes = lanes_.data() + firstLane_[first];
  const int nlanes = firstLane_[last + 1] - firstLane_[first];
#if defined(__x86_64__)
  if (vectors_) return addLanesAvx2(acc_.data(), lanes, nlanes, r.g.data(), r.wi.data(), width_, count);
#endif
  addLanesPlain(acc_.data(), lanes, nlanes, r.g.data(), r.wi.data(), width_, count);
}

void NormalSums::addRest(int buffer, int count) {
  const Rows& r = rows_[buffer];
#if defined(__x86_64__)
  if (vectors_) return addRestAvx2(beta_.data(), chisq_, sumsq_, r.g.data(), r.dy.data(), r.wi.data(), width_, count);
#endif
  addRestPlain(beta_.data(), chisq_, sumsq_, r.g.data(), r.dy.data(), r.wi.data(), width_, count);
}

}  // namespace xyla::fit
