#include "fit/background_sum.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "fit/fit_table.h"
#include "shapes/peak_model.h"

namespace xyla::fit {

namespace {

// Peak evaluations in one pass below which the points are not split among threads.
constexpr double kWorkForThreads = 2e5;

// The points x[1..n] for the background terms; none when the table has no background
// row, so a fit of peaks alone does not copy and sort its points for nothing.
std::vector<double> pointsOf(const FitModel& m, std::span<const float> x) {
  return hasBackgroundRows(m) && x.size() > 1 ? std::vector<double>(x.begin() + 1, x.end()) : std::vector<double>();
}

}  // namespace

BackgroundSum::BackgroundSum(const FitModel& model, PeakSum& peaks, std::span<const float> x, int threads)
    : m_(model),
      peaks_(peaks),
      x_(x.data()),
      n_(x.empty() ? 0 : static_cast<int>(x.size()) - 1),
      threads_(threads),
      terms_(model, pointsOf(model, x)) {}

bool BackgroundSum::concurrent() const { return terms_.wholeCurve() || peaks_.concurrent(); }

double BackgroundSum::costPerPoint(int nactive) const {
  // With whole-curve terms the blocks only copy what the pass's start computed.
  return terms_.wholeCurve() ? 1.0 : peaks_.costPerPoint(nactive) + 1.0;
}

void BackgroundSum::beginPass(const float* a, const char* needed) {
  needed_ = needed;
  stride_ = static_cast<std::size_t>(m_.nptab) + 1;
  peakNeeded_.assign(needed, needed + stride_);
  for (const BackgroundRow& row : terms_.rows())
    for (int s = 1; s <= 5; ++s) peakNeeded_[5 * (row.k - 1) + s] = 0;
  peaks_.beginPass(a, peakNeeded_.data());
  if (terms_.wholeCurve()) addWholeCurves(a);
}

void BackgroundSum::evaluatePeaks(const float* a) {
  y_.assign(n_, 0.0f);
  d_.assign(static_cast<std::size_t>(n_) * stride_, 0.0f);
  auto run = [&](int first, int count) {
    ModelBlock b;
    b.x = x_ + 1 + first;
    b.count = count;
    b.a = a;
    b.needed = peakNeeded_.data();
    b.y = y_.data() + first;
    b.dyda = d_.data() + static_cast<std::size_t>(first) * stride_;
    b.stride = stride_;
    peaks_.evaluate(b);
  };
  int nactive = 0;
  for (std::size_t j = 1; j < stride_; ++j) nactive += peakNeeded_[j] != 0;
  int threads = threads_ > 0 ? threads_ : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  if (!peaks_.concurrent() || n_ * peaks_.costPerPoint(nactive) < kWorkForThreads) threads = 1;
  threads = std::min(threads, std::max(n_, 1));
  if (threads <= 1) return run(0, n_);
  const int chunk = (n_ + threads - 1) / threads;
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) {
    const int first = t * chunk;
    if (first < n_) helpers.emplace_back(run, first, std::min(chunk, n_ - first));
  }
  run(0, std::min(chunk, n_));
  for (auto& h : helpers) h.join();
}

std::vector<double> BackgroundSum::peakColumn(int j) const {
  std::vector<double> c(n_);
  for (int i = 0; i < n_; ++i) c[i] = d_[static_cast<std::size_t>(i) * stride_ + j];
  return c;
}

void BackgroundSum::addColumn(float* row, const float* a, int j, double dv) const {
  const int target = m_.irel[j];
  if (!needed_[target]) return;
  const double factor = target == j || m_.krel[j] != 0 ? 1.0 : a[j];
  row[target] += static_cast<float>(dv * factor);
}

void BackgroundSum::addWholeCurves(const float* a) {
  evaluatePeaks(a);
  // The peaks alone, before any background is added to the totals.
  const std::vector<double> peaks(y_.begin(), y_.end());
  std::vector<std::vector<double>> columns(stride_);
  for (std::size_t j = 1; j < stride_; ++j)
    if (peakNeeded_[j]) columns[j] = peakColumn(static_cast<int>(j));
  for (const BackgroundRow& row : terms_.rows()) addRow(row, a, peaks, columns);
}

void BackgroundSum::addRow(const BackgroundRow& row, const float* a, const std::vector<double>& peaks,
                           const std::vector<std::vector<double>>& columns) {
  double p[6];
  shapes::peakParameters(row.k, a, m_.irel.base(), m_.krel.base(), p);
  const int j0 = 5 * (row.k - 1);
  auto rowOf = [&](int i) { return d_.data() + static_cast<std::size_t>(i) * stride_; };
  if (row.code == kPolynomialBackground) {
    for (int i = 0; i < n_; ++i) {
      double d[6];
      y_[i] += static_cast<float>(terms_.polynomial(x_[i + 1], p, d));
      for (int s = 1; s <= 5; ++s) addColumn(rowOf(i), a, j0 + s, d[s]);
    }
    return;
  }
  // The row's shape over the points: the Shirley fraction F(x)/F or the loss sum, and the
  // coefficient that turns a change of it into a change of the background.
  const bool shirley = row.code == kShirleyBackground;
  std::vector<double> part(n_), byC(shirley ? 0 : n_), partColumn(n_);
  const double C = tougaardC(p);
  const bool largerX = tougaardLargerX(p);
  const double total = shirley ? terms_.cumulative(peaks.data(), part.data()) : 0.0;
  const bool usable = !shirley || (total != 0.0 && std::isfinite(total));
  if (shirley)
    for (double& v : part) v = usable ? v / total : 0.0;
  else
    terms_.lossSum(peaks.data(), C, largerX, part.data(), byC.data());
  const double scale = shirley ? p[2] - p[1] : p[1];
  for (int i = 0; i < n_; ++i) {
    float* r = rowOf(i);
    if (shirley) {
      y_[i] += static_cast<float>(p[1] + scale * part[i]);
      addColumn(r, a, j0 + 1, 1.0 - part[i]);
      addColumn(r, a, j0 + 2, part[i]);
    } else {
      y_[i] += static_cast<float>(p[2] + scale * part[i]);
      addColumn(r, a, j0 + 1, part[i]);
      addColumn(r, a, j0 + 2, 1.0);
      if (p[3] > 0.0) addColumn(r, a, j0 + 3, scale * byC[i]);
    }
  }
  if (!usable) return;
  // Every peak parameter moves the background through the peaks it changes.
  std::vector<int> wanted;
  for (int j = 1; j <= m_.nptab; ++j)
    if (peakNeeded_[j]) wanted.push_back(j);
  if (shirley) {
    for (int j : wanted) {
      const double dTotal = terms_.cumulative(columns[j].data(), partColumn.data());
      for (int i = 0; i < n_; ++i)
        rowOf(i)[j] += static_cast<float>(scale * (partColumn[i] - part[i] * dTotal) / total);
    }
    return;
  }
  // The loss sums of all wanted columns in one sweep over the pairs of points.
  const std::size_t w = wanted.size();
  std::vector<double> in(n_ * w), out(n_ * w);
  for (std::size_t c = 0; c < w; ++c)
    for (int i = 0; i < n_; ++i) in[i * w + c] = columns[wanted[c]][i];
  terms_.lossSums(in.data(), static_cast<int>(w), C, largerX, out.data());
  for (int i = 0; i < n_; ++i)
    for (std::size_t c = 0; c < w; ++c) rowOf(i)[wanted[c]] += static_cast<float>(scale * out[i * w + c]);
}

void BackgroundSum::evaluate(const ModelBlock& b) {
  if (terms_.wholeCurve()) {
    // The blocks point into the problem's points: the pass's start has their totals.
    const std::ptrdiff_t first = b.x - (x_ + 1);
    for (int i = 0; i < b.count; ++i) {
      const std::size_t at = static_cast<std::size_t>(first + i);
      b.y[i] = y_[at];
      std::copy_n(d_.data() + at * stride_, stride_, b.dyda + i * b.stride);
    }
    return;
  }
  ModelBlock peaks = b;
  peaks.needed = peakNeeded_.data();
  peaks_.evaluate(peaks);
  for (const BackgroundRow& row : terms_.rows()) {
    double p[6];
    shapes::peakParameters(row.k, b.a, m_.irel.base(), m_.krel.base(), p);
    for (int i = 0; i < b.count; ++i) {
      double d[6];
      b.y[i] += static_cast<float>(terms_.polynomial(b.x[i], p, d));
      for (int s = 1; s <= 5; ++s) addColumn(b.dyda + i * b.stride, b.a, 5 * (row.k - 1) + s, d[s]);
    }
  }
}

}  // namespace xyla::fit
