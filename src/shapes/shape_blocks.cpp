// Compiled without contracting products and sums into fused operations (see
// CMakeLists.txt), so that everything but the exponential rounds as the one-point shapes
// do; the exponential's polynomial uses fused operations on purpose.
#include "shapes/shape_blocks.h"

#include <atomic>
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

// Four lanes of a block: a whole quad read and written in place, the last partial quad
// through a padded copy, so that every point of a block takes the same instructions
// wherever the block boundaries fall.
struct Lanes {
  std::size_t count;  // 4, or fewer at the end of a block
  __attribute__((target("avx2"))) __m256d load(const double* p, double pad) const {
    if (count == 4) return _mm256_loadu_pd(p);
    alignas(32) double t[4] = {pad, pad, pad, pad};
    for (std::size_t j = 0; j < count; ++j) t[j] = p[j];
    return _mm256_load_pd(t);
  }
  __attribute__((target("avx2"))) void store(double* p, __m256d v) const {
    if (count == 4) return _mm256_storeu_pd(p, v);
    alignas(32) double t[4];
    _mm256_store_pd(t, v);
    for (std::size_t j = 0; j < count; ++j) p[j] = t[j];
  }
};

inline Lanes lanesAt(std::size_t i, std::size_t n) { return Lanes{n - i < 4 ? n - i : 4}; }

__attribute__((target("avx2,fma"))) void expBlockAvx2(const double* in, std::size_t n, double* out) {
  for (std::size_t i = 0; i < n; i += 4) {
    const Lanes l = lanesAt(i, n);
    l.store(out + i, exp4(l.load(in + i, 0.0)));
  }
}

__attribute__((target("avx2"))) inline __m256d distance4(__m256d x, __m256d x0, __m256d w) {
  return _mm256_div_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), _mm256_sub_pd(x, x0)), w);
}

// The shape part of galo: the exponential and the denominator of four distances.
__attribute__((target("avx2,fma"))) inline void shape4(__m256d u, __m256d minusA, __m256d b, __m256d& e, __m256d& den) {
  e = exp4(_mm256_mul_pd(_mm256_mul_pd(minusA, u), u));
  den = _mm256_add_pd(_mm256_set1_pd(1.0), _mm256_mul_pd(_mm256_mul_pd(b, u), u));
}

__attribute__((target("avx2,fma"))) void galoBlockAvx2(const double* x, std::size_t n, double x0, double h, double w,
                                                       double m, double* out) {
  const Mixing mix(m);
  const __m256d vx0 = _mm256_set1_pd(x0), vw = _mm256_set1_pd(w), minusA = _mm256_set1_pd(-mix.a),
                b = _mm256_set1_pd(mix.b), vh = _mm256_set1_pd(h);
  for (std::size_t i = 0; i < n; i += 4) {
    const Lanes l = lanesAt(i, n);
    __m256d e, den;
    shape4(distance4(l.load(x + i, x0), vx0, vw), minusA, b, e, den);
    l.store(out + i, _mm256_div_pd(_mm256_mul_pd(vh, e), den));
  }
}

__attribute__((target("avx2"))) void galoDistanceBlockAvx2(const double* x, std::size_t n, double x0, double w,
                                                           double* u) {
  const __m256d vx0 = _mm256_set1_pd(x0), vw = _mm256_set1_pd(w);
  for (std::size_t i = 0; i < n; i += 4) {
    const Lanes l = lanesAt(i, n);
    l.store(u + i, distance4(l.load(x + i, x0), vx0, vw));
  }
}

__attribute__((target("avx2,fma"))) void galoShapeBlockAvx2(const double* u, std::size_t n, double h, double m,
                                                            double* e, double* den, double* out) {
  const Mixing mix(m);
  const __m256d minusA = _mm256_set1_pd(-mix.a), b = _mm256_set1_pd(mix.b), vh = _mm256_set1_pd(h);
  for (std::size_t i = 0; i < n; i += 4) {
    const Lanes l = lanesAt(i, n);
    __m256d ve, vden;
    shape4(l.load(u + i, 0.0), minusA, b, ve, vden);
    l.store(e + i, ve);
    l.store(den + i, vden);
    l.store(out + i, _mm256_div_pd(_mm256_mul_pd(vh, ve), vden));
  }
}

__attribute__((target("avx2"))) void galoHeightBlockAvx2(const double* e, const double* den, std::size_t n, double h,
                                                         double* out) {
  const __m256d vh = _mm256_set1_pd(h);
  for (std::size_t i = 0; i < n; i += 4) {
    const Lanes l = lanesAt(i, n);
    l.store(out + i, _mm256_div_pd(_mm256_mul_pd(vh, l.load(e + i, 0.0)), l.load(den + i, 1.0)));
  }
}

__attribute__((target("avx2,fma"))) void galoConvolvedBlockAvx2(const double* x, std::size_t n, double x0, double h,
                                                                double w, double m, double range, double step,
                                                                const double* weights, std::size_t offsets,
                                                                double* out) {
  const Mixing mix(m);
  const __m256d vx0 = _mm256_set1_pd(x0), vw = _mm256_set1_pd(w), minusA = _mm256_set1_pd(-mix.a),
                b = _mm256_set1_pd(mix.b), vh = _mm256_set1_pd(h);
  for (std::size_t i = 0; i < n; i += 4) {
    const Lanes l = lanesAt(i, n);
    const __m256d xi = l.load(x + i, x0);
    __m256d sum = _mm256_setzero_pd();
    for (std::size_t j = 0; j < offsets; ++j) {
      const double t = -range + static_cast<double>(j) * step;
      __m256d e, den;
      shape4(distance4(_mm256_add_pd(xi, _mm256_set1_pd(t)), vx0, vw), minusA, b, e, den);
      const __m256d g = _mm256_div_pd(_mm256_mul_pd(vh, e), den);
      sum = _mm256_add_pd(sum, _mm256_mul_pd(g, _mm256_set1_pd(weights[j])));
    }
    l.store(out + i, sum);
  }
}

__attribute__((target("avx2"))) void differenceBlockAvx2(const double* f, const double* f0, std::size_t n, double step,
                                                         float* out) {
  const __m256d vs = _mm256_set1_pd(step);
  std::size_t i = 0;
  for (; n - i >= 4; i += 4)
    _mm_storeu_ps(out + i,
                  _mm256_cvtpd_ps(_mm256_div_pd(_mm256_sub_pd(_mm256_loadu_pd(f + i), _mm256_loadu_pd(f0 + i)), vs)));
  for (; i < n; ++i) out[i] = static_cast<float>((f[i] - f0[i]) / step);
}

#endif

}  // namespace

namespace {

std::atomic<bool> vectorsAllowed{true};

bool useVectors() {
#if defined(__x86_64__)
  return vectorsAllowed.load(std::memory_order_relaxed) && haveAvx2Fma();
#else
  return false;
#endif
}

}  // namespace

bool shapeBlocksVectorised() { return useVectors(); }

void allowVectorisedShapeBlocks(bool allow) { vectorsAllowed.store(allow, std::memory_order_relaxed); }

#if defined(__x86_64__)
#define XYLA_VECTOR_CALL(call) \
  if (useVectors()) return call
#else
#define XYLA_VECTOR_CALL(call)
#endif

void expBlock(const double* in, std::size_t n, double* out) {
  XYLA_VECTOR_CALL(expBlockAvx2(in, n, out));
  for (std::size_t i = 0; i < n; ++i) out[i] = std::exp(in[i]);
}

void galoBlock(const double* x, std::size_t n, double x0, double h, double w, double m, double* out) {
  XYLA_VECTOR_CALL(galoBlockAvx2(x, n, x0, h, w, m, out));
  const Mixing mix(m);
  for (std::size_t i = 0; i < n; ++i) {
    const double u = 2.0 * (x[i] - x0) / w;
    out[i] = h * std::exp(-mix.a * u * u) / (1.0 + mix.b * u * u);
  }
}

void galoDistanceBlock(const double* x, std::size_t n, double x0, double w, double* u) {
  XYLA_VECTOR_CALL(galoDistanceBlockAvx2(x, n, x0, w, u));
  for (std::size_t i = 0; i < n; ++i) u[i] = 2.0 * (x[i] - x0) / w;
}

void galoShapeBlock(const double* u, std::size_t n, double h, double m, double* e, double* den, double* out) {
  XYLA_VECTOR_CALL(galoShapeBlockAvx2(u, n, h, m, e, den, out));
  const Mixing mix(m);
  for (std::size_t i = 0; i < n; ++i) {
    e[i] = std::exp(-mix.a * u[i] * u[i]);
    den[i] = 1.0 + mix.b * u[i] * u[i];
    out[i] = h * e[i] / den[i];
  }
}

void galoHeightBlock(const double* e, const double* den, std::size_t n, double h, double* out) {
  XYLA_VECTOR_CALL(galoHeightBlockAvx2(e, den, n, h, out));
  for (std::size_t i = 0; i < n; ++i) out[i] = h * e[i] / den[i];
}

void galoConvolvedBlock(const double* x, std::size_t n, double x0, double h, double w, double m, double range,
                        double step, const double* weights, std::size_t offsets, double* out) {
  XYLA_VECTOR_CALL(galoConvolvedBlockAvx2(x, n, x0, h, w, m, range, step, weights, offsets, out));
  const Mixing mix(m);
  for (std::size_t i = 0; i < n; ++i) {
    double sum = 0.0;
    for (std::size_t j = 0; j < offsets; ++j) {
      const double t = -range + static_cast<double>(j) * step;
      const double u = 2.0 * (x[i] + t - x0) / w;
      sum += h * std::exp(-mix.a * u * u) / (1.0 + mix.b * u * u) * weights[j];
    }
    out[i] = sum;
  }
}

void differenceBlock(const double* f, const double* f0, std::size_t n, double step, float* out) {
  XYLA_VECTOR_CALL(differenceBlockAvx2(f, f0, n, step, out));
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<float>((f[i] - f0[i]) / step);
}

}  // namespace xyla::shapes
