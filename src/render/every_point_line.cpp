#include "render/every_point_line.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <thread>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace xyla {

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// Doubles as integers in the same order (both zeros on 0), for searches over them.
constexpr std::int64_t toKey(double d) {
  if (!(d == d)) d = 0;  // a guess from a degenerate mapping
  const auto i = std::bit_cast<std::int64_t>(d);
  return i >= 0 ? i : std::numeric_limits<std::int64_t>::min() - i;
}

constexpr double fromKey(std::int64_t k) { return k >= 0 ? std::bit_cast<double>(k) : -std::bit_cast<double>(-k); }

// The keys of the largest finite doubles, and just beyond them.
constexpr std::int64_t kMaxKey = toKey(std::numeric_limits<double>::max());
constexpr std::int64_t kLowest = -kMaxKey - 1, kHighest = kMaxKey + 1;

// The smallest key in (low, high] for which `holds` is true, where `holds` is false up to
// some key and true from there on, and true at `high` (never asked at the ends beyond the
// finite doubles). Gallops from `guess`, then halves.
template <typename Holds>
std::int64_t firstTrue(std::int64_t low, std::int64_t high, std::int64_t guess, Holds holds) {
  auto test = [&](std::int64_t k) { return k >= kHighest || (k > kLowest && holds(k)); };
  // Distances between keys may pass the largest signed integer, so they are unsigned.
  auto apart = [](std::int64_t a, std::int64_t b) {
    return static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
  };
  auto move = [](std::int64_t k, std::uint64_t by, bool up) {
    return static_cast<std::int64_t>(up ? static_cast<std::uint64_t>(k) + by : static_cast<std::uint64_t>(k) - by);
  };
  guess = std::clamp(guess, low + 1, high);
  const bool above = test(guess);
  (above ? high : low) = guess;
  for (std::uint64_t step = 1; apart(low, high) > 1; step = std::min(2 * step, std::uint64_t{1} << 62)) {
    const std::int64_t k = move(above ? high : low, std::min(step, apart(low, high) - 1), !above);
    if (test(k) != above) {
      (above ? low : high) = k;
      break;
    }
    (above ? high : low) = k;
  }
  while (apart(low, high) > 1) {
    const std::int64_t mid = move(low, apart(low, high) / 2, true);
    (test(mid) ? high : low) = mid;
  }
  return high;
}

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
    haveColumn_ = false;
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
    if (haveAvx() && columnInData()) return streakAvx(i, end);
#endif
    return i;
  }

  // The column of the open run as an interval [left_, right_] of data X: placing X is
  // monotone (each rounded operation is), so the values whose column is the run's are
  // all those between the first and the last of them. They are found once per run, from
  // the inverse mapping's guess, by a galloping and then halving search over the
  // ordered doubles. False when the mapping is degenerate (a range or frame of no width).
  bool columnInData() {
    if (haveColumn_) return true;
    if (!(std::isfinite(xs_.length) && std::isfinite(xs_.span) && xs_.length != 0 && xs_.span != 0)) return false;
    const bool rising = (xs_.length > 0) == (xs_.span > 0);
    const double c = column_;
    auto column = [&](std::int64_t k) { return std::floor(xs_.toView(fromKey(k)) / cell_); };
    // Guesses at the data values of the column's edges.
    auto guess = [&](double edge) { return toKey(xs_.lo + (edge * cell_ - xs_.offset) * xs_.span / xs_.length); };
    const std::int64_t at = toKey(x_[first_]);
    const std::int64_t lowEdge = guess(rising ? c : c + 1), highEdge = guess(rising ? c + 1 : c);
    // The first value in the column and the first one past it.
    left_ = fromKey(firstTrue(kLowest, at, lowEdge, [&](std::int64_t k) {
      const double g = column(k);
      return rising ? g >= c : g <= c;
    }));
    right_ = fromKey(firstTrue(at, kHighest, highEdge,
                               [&](std::int64_t k) {
                                 const double g = column(k);
                                 return rising ? g > c : g < c;
                               }) -
                     1);
    haveColumn_ = true;
    return true;
  }

#if defined(__x86_64__)
  static bool haveAvx() {
    static const bool have = [] {
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
  }

  // Four points at a time: X tested against the run's column in data values, Y placed
  // with the same operations as toView and tested for being finite, and each lane keeps
  // its first lowest and first highest point. Of the lanes' candidates the lowest value
  // wins, and among equal values the earliest point, which is the point the thinner
  // keeps.
  __attribute__((target("avx2"))) std::size_t streakAvx(std::size_t i, std::size_t end) {
    const __m256d ylo = _mm256_set1_pd(ys_.lo), ylen = _mm256_set1_pd(ys_.length);
    const __m256d yspan = _mm256_set1_pd(ys_.span), yoff = _mm256_set1_pd(ys_.offset);
    const __m256d left = _mm256_set1_pd(left_), right = _mm256_set1_pd(right_);
    const __m256d zero = _mm256_setzero_pd(), four = _mm256_set1_pd(4.0);
    __m256d lowV = _mm256_set1_pd(lowY_), highV = _mm256_set1_pd(highY_);
    __m256d lowI = _mm256_set1_pd(static_cast<double>(low_)), highI = _mm256_set1_pd(static_cast<double>(high_));
    const double base = static_cast<double>(i);
    __m256d index = _mm256_setr_pd(base, base + 1, base + 2, base + 3);
    const std::size_t from = i;
    for (; end - i >= kLanes; i += kLanes) {
      const __m256d x = _mm256_loadu_pd(x_ + i);
      const __m256d py =
          _mm256_add_pd(_mm256_div_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(y_ + i), ylo), ylen), yspan), yoff);
      const __m256d inside = _mm256_and_pd(_mm256_cmp_pd(x, left, _CMP_GE_OQ), _mm256_cmp_pd(x, right, _CMP_LE_OQ));
      const __m256d finite = _mm256_cmp_pd(_mm256_sub_pd(py, py), zero, _CMP_EQ_OQ);
      if (_mm256_movemask_pd(_mm256_and_pd(inside, finite)) != 0xF) break;
      const __m256d lower = _mm256_cmp_pd(py, lowV, _CMP_LT_OQ), higher = _mm256_cmp_pd(py, highV, _CMP_GT_OQ);
      lowV = _mm256_blendv_pd(lowV, py, lower);
      lowI = _mm256_blendv_pd(lowI, index, lower);
      highV = _mm256_blendv_pd(highV, py, higher);
      highI = _mm256_blendv_pd(highI, index, higher);
      index = _mm256_add_pd(index, four);
      // Kept as it is: rebuilt from the loop counter it would cost four conversions.
      asm("" : "+x"(index));
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
  bool open_ = false, haveColumn_ = false;
  double column_ = 0, lowY_ = 0, highY_ = 0;
  double left_ = 0, right_ = 0;  // the open run's column in data X, once found
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
