// Compiled without contracting products and sums into fused operations (see
// CMakeLists.txt), so that everything but the exponential rounds as the one-point shapes
// do; the exponential's polynomial uses fused operations on purpose.
#include "shapes/shape_blocks.h"

#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace xyla::shapes {

namespace {

// The mixing of galo as its two weights, clamped as galo clamps them.
struct Mixing {
  double a, b;
  explicit Mixing(double m) : a(m), b(1.0 - m) {
    if (m < 0.0) {
      a = 0.0;
      b = 1.0;
    } else if (m > 1.0) {
      a = 1.0;
      b = 0.0;
    }
  }
};

#if defined(__x86_64__)

bool haveAvx2Fma() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  }();
  return have;
}

// 2^e for four exponents of normal numbers.
__attribute__((target("avx2,fma"))) inline __m256d power(__m128i e) {
  const __m256i biased = _mm256_add_epi64(_mm256_cvtepi32_epi64(e), _mm256_set1_epi64x(1023));
  return _mm256_castsi256_pd(_mm256_slli_epi64(biased, 52));
}

// exp of four values: x = k ln 2 + r with |r| <= ln 2 / 2 (ln 2 in two parts, so r is
// nearly exact), exp(r) by its Taylor polynomial to r^13 (truncation below 2e-16
// relative), then times 2^k in two steps, so results below the smallest normal number
// round once, as they do in the standard function.
__attribute__((target("avx2,fma"))) __m256d exp4(__m256d x) {
  const __m256d lowest = _mm256_set1_pd(-746.0), highest = _mm256_set1_pd(710.0);
  const __m256d big = _mm256_cmp_pd(x, highest, _CMP_GT_OQ), tiny = _mm256_cmp_pd(x, lowest, _CMP_LT_OQ);
  const __m256d nan = _mm256_cmp_pd(x, x, _CMP_UNORD_Q);
  const __m256d v = _mm256_max_pd(_mm256_min_pd(x, highest), lowest);
  const __m256d k = _mm256_round_pd(_mm256_mul_pd(v, _mm256_set1_pd(1.4426950408889634)),
                                    _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  __m256d r = _mm256_fnmadd_pd(k, _mm256_set1_pd(6.93147180369123816490e-01), v);
  r = _mm256_fnmadd_pd(k, _mm256_set1_pd(1.90821492927058770002e-10), r);
  static constexpr double kInverseFactorials[] = {1.0 / 6227020800.0,
                                                  1.0 / 479001600.0,
                                                  1.0 / 39916800.0,
                                                  1.0 / 3628800.0,
                                                  1.0 / 362880.0,
                                                  1.0 / 40320.0,
                                                  1.0 / 5040.0,
                                                  1.0 / 720.0,
                                                  1.0 / 120.0,
                                                  1.0 / 24.0,
                                                  1.0 / 6.0,
                                                  0.5,
                                                  1.0,
                                                  1.0};
  __m256d p = _mm256_set1_pd(kInverseFactorials[0]);
  for (int i = 1; i < 14; ++i) p = _mm256_fmadd_pd(p, r, _mm256_set1_pd(kInverseFactorials[i]));
  // 2^k as 2^(k/2) * 2^(k - k/2), each a normal number for every k from -1080 to 1030.
  const __m128i ki = _mm256_cvtpd_epi32(k);
  const __m128i half = _mm_srai_epi32(ki, 1), rest = _mm_sub_epi32(ki, half);
  __m256d y = _mm256_mul_pd(_mm256_mul_pd(p, power(half)), power(rest));
  y = _mm256_blendv_pd(y, _mm256_set1_pd(HUGE_VAL), big);
  y = _mm256_blendv_pd(y, _mm256_setzero_pd(), tiny);
  return _mm256_blendv_pd(y, x, nan);
}

__attribute__((target("avx2,fma"))) void expBlockAvx2(const double* in, std::size_t n, double* out) {
  std::size_t i = 0;
  for (; n - i >= 4; i += 4) _mm256_storeu_pd(out + i, exp4(_mm256_loadu_pd(in + i)));
  if (i == n) return;
  alignas(32) double tail[4] = {0, 0, 0, 0};
  for (std::size_t j = i; j < n; ++j) tail[j - i] = in[j];
  _mm256_store_pd(tail, exp4(_mm256_load_pd(tail)));
  for (std::size_t j = i; j < n; ++j) out[j] = tail[j - i];
}

// galo at four points, the parameters' shared parts given.
struct GaloLanes {
  __m256d x0, w, minusA, b, h;
};

__attribute__((target("avx2,fma"))) inline __m256d galo4(const GaloLanes& g, __m256d x) {
  const __m256d u = _mm256_div_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), _mm256_sub_pd(x, g.x0)), g.w);
  const __m256d e = exp4(_mm256_mul_pd(_mm256_mul_pd(g.minusA, u), u));
  return _mm256_div_pd(_mm256_mul_pd(g.h, e),
                       _mm256_add_pd(_mm256_set1_pd(1.0), _mm256_mul_pd(_mm256_mul_pd(g.b, u), u)));
}

__attribute__((target("avx2,fma"))) void galoBlockAvx2(const double* x, std::size_t n, double x0, double h, double w,
                                                       double m, double* out) {
  const Mixing mix(m);
  const GaloLanes g{_mm256_set1_pd(x0), _mm256_set1_pd(w), _mm256_set1_pd(-mix.a), _mm256_set1_pd(mix.b),
                    _mm256_set1_pd(h)};
  std::size_t i = 0;
  for (; n - i >= 4; i += 4) _mm256_storeu_pd(out + i, galo4(g, _mm256_loadu_pd(x + i)));
  if (i == n) return;
  alignas(32) double tail[4] = {x0, x0, x0, x0};
  for (std::size_t j = i; j < n; ++j) tail[j - i] = x[j];
  _mm256_store_pd(tail, galo4(g, _mm256_load_pd(tail)));
  for (std::size_t j = i; j < n; ++j) out[j] = tail[j - i];
}

#endif

}  // namespace

bool shapeBlocksVectorised() {
#if defined(__x86_64__)
  return haveAvx2Fma();
#else
  return false;
#endif
}

void expBlock(const double* in, std::size_t n, double* out) {
#if defined(__x86_64__)
  if (haveAvx2Fma()) return expBlockAvx2(in, n, out);
#endif
  for (std::size_t i = 0; i < n; ++i) out[i] = std::exp(in[i]);
}

void galoBlock(const double* x, std::size_t n, double x0, double h, double w, double m, double* out) {
#if defined(__x86_64__)
  if (haveAvx2Fma()) return galoBlockAvx2(x, n, x0, h, w, m, out);
#endif
  const Mixing mix(m);
  for (std::size_t i = 0; i < n; ++i) {
    const double u = 2.0 * (x[i] - x0) / w;
    out[i] = h * std::exp(-mix.a * u * u) / (1.0 + mix.b * u * u);
  }
}

}  // namespace xyla::shapes
