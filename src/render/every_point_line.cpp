#include "render/every_point_line.h"

#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace xyla {

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// The thinner's work on the points of [begin, end), with each column run held as the
// indexes of its first, lowest, highest and last point; the points are placed again
// (to the same values) only when a run is written out.
class RunThinner {
 public:
  RunThinner(const LinearView& xs, const LinearView& ys, const double* x, const double* y, double cell,
             std::vector<PointF>& out)
      : xs_(xs), ys_(ys), x_(x), y_(y), cell_(cell), out_(out) {}

  void thin(std::size_t begin, std::size_t end) {
    std::size_t i = begin;
    while (i < end) {
      if (open_ && end - i >= kLanes) {
        const std::size_t from = i;
        i = streak(i, end);
        if (end - i < kLanes) continue;
        // The block that ended the streak goes point by point; after a streak that made
        // no progress (points hopping between columns) a few more blocks go that way too.
        const std::size_t scalar = i == from ? 4 * kLanes : kLanes;
        for (const std::size_t stop = std::min(end, i + scalar); i < stop; ++i) add(i);
        continue;
      }
      add(i++);
    }
    flush();
  }

 private:
  static constexpr std::size_t kLanes = 4;

  PointF at(std::size_t i) const { return {xs_.toView(x_[i]), ys_.toView(y_[i])}; }

  // One point, as PolylineThinner::add or gap would take it.
  void add(std::size_t i) {
    const double px = xs_.toView(x_[i]), py = ys_.toView(y_[i]);
    if (!(std::isfinite(px) && std::isfinite(py))) {
      flush();
      if (!out_.empty() && !std::isnan(out_.back().x)) out_.push_back({kGap, kGap});
      return;
    }
    const double column = std::floor(px / cell_);
    if (open_ && column == column_) {
      if (py < lowY_) lowY_ = py, low_ = i;
      if (py > highY_) highY_ = py, high_ = i;
      last_ = i;
      return;
    }
    flush();
    open_ = true;
    column_ = column;
    first_ = last_ = low_ = high_ = i;
    lowY_ = highY_ = py;
  }

  // Writes out the open run: its first point, its lowest and highest in their order
  // where they are not an end, and its last.
  void flush() {
    if (!open_) return;
    open_ = false;
    out_.push_back(at(first_));
    const bool lowFirst = low_ <= high_;
    const std::size_t a = lowFirst ? low_ : high_, b = lowFirst ? high_ : low_;
    if (a != first_ && a != last_) out_.push_back(at(a));
    if (b != first_ && b != last_ && b != a) out_.push_back(at(b));
    if (last_ != first_) out_.push_back(at(last_));
  }

  // Extends the open run over whole blocks of points that all lie in its column; answers
  // the index where that stops.
  std::size_t streak(std::size_t i, std::size_t end) {
#if defined(__x86_64__)
    // Column edges are exact products when the column number is a moderate integer.
    if (haveAvx() && std::fabs(column_) < 0x1p50) return streakAvx(i, end);
#endif
    return i;
  }

#if defined(__x86_64__)
  static bool haveAvx() {
    static const bool have = [] {
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx") != 0;
    }();
    return have;
  }

  // Four points at a time: placed with the same operations as toView, tested for being
  // finite and inside the column [column * cell, (column + 1) * cell) (which is
  // floor(px / cell) == column, as cell is a power of two), and each lane keeps its
  // first lowest and first highest point. Of the lanes' candidates the lowest value
  // wins, and among equal values the earliest point, which is the point the thinner
  // keeps.
  __attribute__((target("avx"))) std::size_t streakAvx(std::size_t i, std::size_t end) {
    const __m256d xlo = _mm256_set1_pd(xs_.lo), xlen = _mm256_set1_pd(xs_.length);
    const __m256d xspan = _mm256_set1_pd(xs_.span), xoff = _mm256_set1_pd(xs_.offset);
    const __m256d ylo = _mm256_set1_pd(ys_.lo), ylen = _mm256_set1_pd(ys_.length);
    const __m256d yspan = _mm256_set1_pd(ys_.span), yoff = _mm256_set1_pd(ys_.offset);
    const __m256d left = _mm256_set1_pd(column_ * cell_), right = _mm256_set1_pd((column_ + 1) * cell_);
    const __m256d zero = _mm256_setzero_pd(), four = _mm256_set1_pd(4.0);
    __m256d lowV = _mm256_set1_pd(lowY_), highV = _mm256_set1_pd(highY_);
    __m256d lowI = _mm256_set1_pd(static_cast<double>(low_)), highI = _mm256_set1_pd(static_cast<double>(high_));
    const double base = static_cast<double>(i);
    __m256d index = _mm256_setr_pd(base, base + 1, base + 2, base + 3);
    const std::size_t from = i;
    for (; end - i >= kLanes; i += kLanes) {
      const __m256d px =
          _mm256_add_pd(_mm256_div_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(x_ + i), xlo), xlen), xspan), xoff);
      const __m256d py =
          _mm256_add_pd(_mm256_div_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(y_ + i), ylo), ylen), yspan), yoff);
      const __m256d inside = _mm256_and_pd(_mm256_cmp_pd(px, left, _CMP_GE_OQ), _mm256_cmp_pd(px, right, _CMP_LT_OQ));
      const __m256d finite = _mm256_cmp_pd(_mm256_sub_pd(py, py), zero, _CMP_EQ_OQ);
      if (_mm256_movemask_pd(_mm256_and_pd(inside, finite)) != 0xF) break;
      const __m256d lower = _mm256_cmp_pd(py, lowV, _CMP_LT_OQ), higher = _mm256_cmp_pd(py, highV, _CMP_GT_OQ);
      lowV = _mm256_blendv_pd(lowV, py, lower);
      lowI = _mm256_blendv_pd(lowI, index, lower);
      highV = _mm256_blendv_pd(highV, py, higher);
      highI = _mm256_blendv_pd(highI, index, higher);
      index = _mm256_add_pd(index, four);
    }
    if (i == from) return i;
    alignas(32) double lv[4], li[4], hv[4], hi[4];
    _mm256_store_pd(lv, lowV);
    _mm256_store_pd(li, lowI);
    _mm256_store_pd(hv, highV);
    _mm256_store_pd(hi, highI);
    for (int k = 0; k < 4; ++k) {
      const auto l = static_cast<std::size_t>(li[k]), h = static_cast<std::size_t>(hi[k]);
      if (lv[k] < lowY_ || (lv[k] == lowY_ && l < low_)) lowY_ = lv[k], low_ = l;
      if (hv[k] > highY_ || (hv[k] == highY_ && h < high_)) highY_ = hv[k], high_ = h;
    }
    last_ = i - 1;
    return i;
  }
#endif

  const LinearView xs_, ys_;
  const double* x_;
  const double* y_;
  const double cell_;
  std::vector<PointF>& out_;
  bool open_ = false;
  double column_ = 0, lowY_ = 0, highY_ = 0;
  std::size_t first_ = 0, last_ = 0, low_ = 0, high_ = 0;
};

// An index near the middle where the line can be cut between two threads without
// changing the result: points i - 1 and i both placed and in different columns, so the
// thinner closes a run there whatever came before. 0 when none is found nearby.
std::size_t splitPoint(const LinearView& xs, const LinearView& ys, const double* x, const double* y, std::size_t n,
                       double cell) {
  auto column = [&](std::size_t i) {
    const double px = xs.toView(x[i]), py = ys.toView(y[i]);
    return std::isfinite(px) && std::isfinite(py) ? std::floor(px / cell) : kGap;
  };
  const std::size_t from = n / 2, to = std::min(n, from + (std::size_t{1} << 16));
  double before = column(from - 1);
  for (std::size_t i = from; i < to; ++i) {
    const double here = column(i);
    if (!std::isnan(before) && !std::isnan(here) && here != before) return i;
    before = here;
  }
  return 0;
}

constexpr std::size_t kTwoThreadsFrom = std::size_t{1} << 20;

}  // namespace

void thinEveryPoint(const LinearView& xs, const LinearView& ys, const double* x, const double* y, std::size_t n,
                    double cell, std::vector<PointF>& out) {
  const std::size_t split =
      n >= kTwoThreadsFrom && std::thread::hardware_concurrency() > 1 ? splitPoint(xs, ys, x, y, n, cell) : 0;
  if (split == 0) {
    RunThinner(xs, ys, x, y, cell, out).thin(0, n);
    return;
  }
  std::vector<PointF> later;
  std::thread second;
  try {
    second = std::thread([&] { RunThinner(xs, ys, x, y, cell, later).thin(split, n); });
  } catch (const std::system_error&) {
    RunThinner(xs, ys, x, y, cell, later).thin(split, n);  // no thread to be had: in turn
  }
  RunThinner(xs, ys, x, y, cell, out).thin(0, split);
  if (second.joinable()) second.join();
  out.insert(out.end(), later.begin(), later.end());
}

}  // namespace xyla
