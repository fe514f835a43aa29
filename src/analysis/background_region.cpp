#include "analysis/background_region.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "model/data_buffer.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Index of the point nearest to x in monotonic X.
int nearestIndex(const std::vector<double>& X, double x) {
  const int n = static_cast<int>(X.size());
  int best = 0;
  double bestDistance = std::fabs(X[0] - x);
  // Monotonic data: a binary search on the direction of the data.
  const bool rising = X[n - 1] >= X[0];
  int lo = 0, hi = n - 1;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if ((X[mid] < x) == rising) lo = mid;
    else hi = mid;
  }
  for (int i : {lo, hi}) {
    if (std::fabs(X[i] - x) < bestDistance) best = i, bestDistance = std::fabs(X[i] - x);
  }
  return best;
}

}  // namespace

bool findRegion(const DataBuffer& b, double x1, double x2, bool highAtLargerX, bool highEndInside,
                BackgroundRegion& region, std::string& error) {
  return findRegion(b.X, b.Y, x1, x2, highAtLargerX, highEndInside, region, error);
}

bool findRegion(const std::vector<double>& X, const std::vector<double>& Y, double x1, double x2, bool highAtLargerX,
                bool highEndInside, BackgroundRegion& region, std::string& error) {
  const int n = X.size() == Y.size() ? static_cast<int>(X.size()) : 0;
  if (n < 3) {
    error = "The buffer holds fewer than 3 points";
    return false;
  }
  if (!std::isfinite(x1) || !std::isfinite(x2)) {
    error = "The region's ends are not numbers";
    return false;
  }
  const bool rising = X[n - 1] > X[0];
  for (int i = 1; i < n; ++i) {
    if (!(rising ? X[i] > X[i - 1] : X[i] < X[i - 1])) {
      error = "The X values must rise or fall steadily";
      return false;
    }
  }
  const double lo = std::fmin(x1, x2), hi = std::fmax(x1, x2);
  if (highEndInside) {
    const double halfStep = 0.5 * std::fabs(X[n - 1] - X[0]) / (n - 1);
    const double dataLo = std::fmin(X[0], X[n - 1]), dataHi = std::fmax(X[0], X[n - 1]);
    const double end = highAtLargerX ? hi : lo;
    if (end > dataHi + halfStep || end < dataLo - halfStep) {
      error = "The region has no high-energy end inside the data";
      return false;
    }
  }
  int i1 = nearestIndex(X, lo), i2 = nearestIndex(X, hi);
  if (i1 > i2) std::swap(i1, i2);
  region.first = i1;
  region.last = i2;
  // Point `last` has the larger X when X rise.
  region.highAtLast = rising == highAtLargerX;
  if (region.size() < 3) {
    error = "The region holds fewer than 3 points";
    return false;
  }
  for (int i = i1; i <= i2; ++i) {
    if (!std::isfinite(Y[i])) {
      error = "The region holds values that are not numbers";
      return false;
    }
  }
  return true;
}

void regionFromLowEnd(const DataBuffer& b, const BackgroundRegion& r, std::vector<double>& x, std::vector<double>& y) {
  x.assign(b.X.begin() + r.first, b.X.begin() + r.last + 1);
  y.assign(b.Y.begin() + r.first, b.Y.begin() + r.last + 1);
  if (!r.highAtLast) {
    std::reverse(x.begin(), x.end());
    std::reverse(y.begin(), y.end());
  }
}

double endMean(const std::vector<double>& v, int count) {
  const int c = std::max(1, std::min(count, static_cast<int>(v.size())));
  double s = 0.0;
  for (int i = 0; i < c; ++i) s += v[i];
  return s / c;
}

bool checkEndPoints(int count, int regionSize, std::string& error) {
  if (count >= 1 && 2 * count + 1 <= regionSize) return true;
  char buf[160];
  if (count < 1)
    std::snprintf(buf, sizeof buf, "At least one point must be averaged at each end");
  else
    std::snprintf(buf, sizeof buf, "Averaging %d points at each end needs at least %d points in the region", count,
                  2 * count + 1);
  error = buf;
  return false;
}

void appendBackgroundPair(XylaDocument& doc, const DataBuffer& in, const BackgroundRegion& r,
                          const std::vector<double>& background, const std::string& source, const std::string& suffix) {
  auto net = std::make_unique<DataBuffer>();
  auto bg = std::make_unique<DataBuffer>();
  const int m = r.size();
  for (int k = 0; k < m; ++k) {
    const int i = r.first + k;
    const double b = background[r.highAtLast ? k : m - 1 - k];
    net->quickAddDoubleValue(in.X[i], in.Y[i] - b);
    bg->quickAddDoubleValue(in.X[i], b);
  }
  net->setComment(in.getComment() + " " + suffix);
  bg->setComment(in.getComment() + " " + suffix + "Bg");
  net->setSource(source);
  bg->setSource(source);
  net->rescale();
  bg->rescale();
  doc.appendBuffer(std::move(net));
  doc.appendBuffer(std::move(bg));
}

void backgroundAlert(Ui& ui, const std::string& message) { ui.alert("XPS Background", message, {"OK"}); }

}  // namespace xyla
