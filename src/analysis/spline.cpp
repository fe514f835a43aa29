#include "analysis/spline.h"

#include <cmath>
#include <memory>

#include "analysis/dialog_fields.h"
#include "model/data_buffer.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// A tabulation longer than this is refused (about 800 MB of points).
constexpr double kMaxTabulated = 5e7;

}  // namespace

int trdiag(int n, const double* lower, double* diag, const double* upper, double* rhs) {
  if (n < 2) return 1;
  // Forward elimination, then back substitution; diag is overwritten.
  for (int i = 1; i < n; ++i) {
    if (diag[i - 1] == 0.0) return 2;
    const double f = lower[i] / diag[i - 1];
    diag[i] -= f * upper[i - 1];
    rhs[i] -= f * rhs[i - 1];
  }
  if (diag[n - 1] == 0.0) return 2;
  rhs[n - 1] /= diag[n - 1];
  for (int i = n - 2; i >= 0; --i) rhs[i] = (rhs[i] - upper[i] * rhs[i + 1]) / diag[i];
  return 0;
}

int spline(int m, const double* x, const double* y, int boundary, double alpha, double beta, double s,
           std::vector<double>& b, std::vector<double>& c, std::vector<double>& d) {
  if (boundary < 0 || boundary > 3) return kSplineBadBoundary;
  if (m < 3) return kSplineTooFewPoints;
  std::vector<double> h(m);
  for (int i = 0; i < m; ++i) {
    h[i] = x[i + 1] - x[i];
    if (!(h[i] > 0.0)) return kSplineEqualX;
  }
  // Equations for c[1..m-1]: row i - 1 holds
  //   h[i-1] c[i-1] + s (h[i-1] + h[i]) c[i] + h[i] c[i+1] = r[i-1],
  // with c[0] and c[m] eliminated by the boundary conditions.
  const int n = m - 1;
  std::vector<double> lo(n), di(n), up(n), r(n);
  for (int i = 1; i < m; ++i) {
    lo[i - 1] = h[i - 1];
    di[i - 1] = s * (h[i - 1] + h[i]);
    up[i - 1] = h[i];
    r[i - 1] = 3.0 * ((y[i + 1] - y[i]) / h[i] - (y[i] - y[i - 1]) / h[i - 1]);
  }
  const double h0 = h[0], h1 = h[1], hl = h[m - 1], hp = h[m - 2];
  switch (boundary) {
    case 0:  // not-a-knot: the third derivative is continuous at x[1] and x[m-1]
      r[0] *= h1 / (h0 + h1);
      r[n - 1] *= hp / (hp + hl);
      di[0] -= h0;
      up[0] -= h0;
      di[n - 1] -= hl;
      lo[n - 1] -= hl;
      break;
    case 1: {  // b[0] = alpha, b[m] = beta: 2 h0 c0 + h0 c1 = 3 ((y1-y0)/h0 - alpha)
      const double c0a = 1.5 * ((y[1] - y[0]) / h0 - alpha) / h0, c0b = -0.5;
      const double cma = 1.5 * (beta - (y[m] - y[m - 1]) / hl) / hl, cmb = -0.5;
      r[0] -= h0 * c0a;
      di[0] += h0 * c0b;
      r[n - 1] -= hl * cma;
      di[n - 1] += hl * cmb;
      break;
    }
    case 2:  // c[0] = alpha / 2, c[m] = beta / 2
      r[0] -= h0 * alpha / 2;
      r[n - 1] -= hl * beta / 2;
      break;
    case 3:  // 6 d[0] = alpha: c0 = c1 - alpha h0 / 2; c[m] = c[m-1] + beta hl / 2
      r[0] += h0 * alpha * h0 / 2;
      di[0] += h0;
      r[n - 1] -= hl * beta * hl / 2;
      di[n - 1] += hl;
      break;
  }
  if (n == 1) {
    if (di[0] == 0.0) return 3 + 2;
    r[0] /= di[0];
  } else if (const int st = trdiag(n, lo.data(), di.data(), up.data(), r.data())) {
    return 3 + st;
  }
  c.assign(m + 1, 0.0);
  for (int i = 1; i < m; ++i) c[i] = r[i - 1];
  switch (boundary) {
    case 0:
      c[0] = c[1] + (c[1] - c[2]) * h0 / h1;
      c[m] = c[m - 1] + (c[m - 1] - c[m - 2]) * hl / hp;
      break;
    case 1:
      c[0] = 1.5 * ((y[1] - y[0]) / h0 - alpha) / h0 - 0.5 * c[1];
      c[m] = 1.5 * (beta - (y[m] - y[m - 1]) / hl) / hl - 0.5 * c[m - 1];
      break;
    case 2:
      c[0] = alpha / 2;
      c[m] = beta / 2;
      break;
    case 3:
      c[0] = c[1] - alpha * h0 / 2;
      c[m] = c[m - 1] + beta * hl / 2;
      break;
  }
  b.assign(m + 1, 0.0);
  d.assign(m + 1, 0.0);
  for (int i = 0; i < m; ++i) {
    b[i] = (y[i + 1] - y[i]) / h[i] - h[i] * (2.0 * c[i] + c[i + 1]) / 3.0;
    d[i] = (c[i + 1] - c[i]) / (3.0 * h[i]);
  }
  b[m] = b[m - 1] + h[m - 1] * (2.0 * c[m - 1] + 3.0 * d[m - 1] * h[m - 1]);
  d[m] = d[m - 1];
  return kSplineOk;
}

int spline_tab(int m, int points, double from, double to, const double* x, const double* a,
               const std::vector<double>& b, const std::vector<double>& c, const std::vector<double>& d,
               std::vector<double>& xtab, std::vector<double>& ytab) {
  xtab.clear();
  ytab.clear();
  if (from > to) return 1;
  if (points < 1) return 2;
  // The interval whose polynomial serves X: x[i] <= X < x[i+1], clamped to 0..m-1.
  auto interval = [&](double v) {
    int lo = 0, hi = m - 1;
    while (lo < hi) {
      const int mid = (lo + hi + 1) / 2;
      if (x[mid] <= v) lo = mid;
      else hi = mid - 1;
    }
    return lo;
  };
  auto value = [&](int i, double v) {
    const double t = v - x[i];
    return a[i] + t * (b[i] + t * (c[i] + t * d[i]));
  };
  const double density = to > from ? points / (to - from) : 0.0;
  const int first = interval(from), last = interval(to);
  xtab.reserve(static_cast<std::size_t>(points) + (last - first) + 2);
  ytab.reserve(xtab.capacity());
  for (int i = first; i <= last; ++i) {
    if (x[i + 1] - x[i] == 0.0) return 3;
    const double lo = i == first ? from : x[i], hi = i == last ? to : x[i + 1];
    const double length = hi - lo;
    // ceil of density x length, forgiving the last bits of rounding (10 x 1.0 is 10 steps).
    const double want = density * length;
    const long steps = std::max(1L, static_cast<long>(std::ceil(want - 1e-9 * want)));
    if (length <= 0.0) continue;
    for (long k = 0; k < steps; ++k) {
      const double v = lo + length * static_cast<double>(k) / static_cast<double>(steps);
      xtab.push_back(v);
      ytab.push_back(value(i, v));
    }
  }
  xtab.push_back(to);
  ytab.push_back(value(last, to));
  return 0;
}

void spline(XylaDocument& doc, int index, int perInterval, double strength, Ui& ui) {
  DataBuffer* src = doc.buffer(index);
  if (!src || !src->checkSort(ui)) return;
  const int m = src->count() - 1;
  const std::vector<double> x(src->X.begin(), src->X.begin() + (m + 1)), y(src->Y.begin(), src->Y.begin() + (m + 1));
  std::vector<double> b, c, d, xt, yt;
  int status = spline(m, x.data(), y.data(), 0, 0.0, 0.0, strength, b, c, d);
  bool tabulated = false;
  // The point count in floating point: a huge or negative count per interval must not
  // wrap the int product (none below one point is tabulated).
  const double points = static_cast<double>(m) * perInterval;
  if (status == kSplineOk && points <= kMaxTabulated)
    tabulated = spline_tab(m, points < 1 ? 0 : static_cast<int>(points), src->getXmin(), src->getXmax(), x.data(),
                           y.data(), b, c, d, xt, yt) == 0;
  if (!tabulated) {
    ui.alert("Error in spline calculation for buffer " + std::to_string(index),
             status == kSplineEqualX ? "Can not calculate spline interpolation for data with equal X-values"
                                     : "Can not calculate spline interpolation",
             {"Ok"});
    return;
  }
  auto out = std::make_unique<DataBuffer>();
  out->copyStyle(*src);
  out->X = std::move(xt);
  out->Y = std::move(yt);
  out->setSource("Spline");
  out->setComment(src->getComment() + ", spline(" + std::to_string(index) + "," + std::to_string(perInterval) + "," +
                  formatG(strength) + ")");
  out->rescale();
  doc.appendBuffer(std::move(out));
  setLastBuffer(doc, doc.bufferCount() - 1);
  doc.replot();
}

}  // namespace xyla
