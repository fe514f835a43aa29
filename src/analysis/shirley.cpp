#include "analysis/shirley.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "model/data_buffer.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

constexpr int kMaxPasses = 100;
constexpr double kMinSpacing = 1e-300;
constexpr double kFlatStep = 1e-99;
constexpr double kMinRelax = 0.1;

// The iteration's state over the m points of the chosen range. The background rises
// from `low` at the start end (first point when `rising`, last otherwise) to low + step.
struct ShirleyRun {
  const double* y = nullptr;  // Y of the range's first point
  int m = 0;
  bool rising = true;
  double low = 0.0;
  double step = 0.0;
  std::vector<double> R, B, P;  // residual, background, background before the pass
  std::vector<double> suffix;   // falling direction: sums of the pass's starting residuals
};

// Point index of position x: truncated toward zero and clamped to 0 .. n-1 (a NaN
// position counts as the first point).
int pointIndex(double x, double x0, double dx, int n) {
  const double t = std::trunc((x - x0) / dx);
  if (!(t >= 0.0)) return 0;
  if (t >= static_cast<double>(n)) return n - 1;
  return static_cast<int>(t);
}

// Residuals enter the integral clamped at zero (NaN stays as it is).
inline double clamped(double v) { return v < 0.0 ? 0.0 : v; }

// One pass over the range in index order; answers the largest |change| and sets `nextA`
// to the residual area the next pass starts from (the clamped new residuals summed in
// index order). The integral reads the residuals in their current state: points already
// updated in this pass with their new, unclamped residual, the others with the clamped
// residual the pass started from. Rising: a prefix sum grown as k advances gives the same
// sum, in the same order, as adding them up afresh; this chain through the division is
// the pass's critical path, so it carries nothing else. Falling: points k..m-1 are all
// still untouched, so a suffix sum of the starting residuals does the same. With no
// relaxation (relax = 1) the multiplication by it is exact and left out.
// What a pass reads and writes: the spectrum, the background before the pass, the new
// background and residuals, and the background's step and lowest level.
struct PassView {
  const double* y;
  const double* P;
  double* B;
  double* R;
  double step;
  double low;
};

PassView passView(ShirleyRun& r) { return {r.y, r.P.data(), r.B.data(), r.R.data(), r.step, r.low}; }

// The rising pass without relaxation. The new level v = S*step/A + low is, nearly
// always, the background itself: P + (v - P) gives v back exactly whenever v - P is
// exact. The chain into the next point's sum goes on with v, and the check that P + D is
// v runs beside it; where it is not, the residual is taken from P + D as always. Kept out
// of line so that the other loops keep their registers.
[[gnu::noinline]] double risingPass(ShirleyRun& r, double A, double& nextA) {
  double largest = 0.0;
  double area = 0.0;
  const auto [y, P, B, R, step, low] = passView(r);
  double updated = 0.0;
  for (int k = 0; k < r.m; ++k) {
    const double v = (updated + clamped(R[k])) * step / A + low;
    const double D = v - P[k];
    const double b = P[k] + D;
    double residual = y[k] - v;
    if (std::bit_cast<std::uint64_t>(b) != std::bit_cast<std::uint64_t>(v)) [[unlikely]]
      residual = y[k] - b;
    B[k] = b;
    R[k] = residual;
    const double change = std::fabs(D);
    largest = change > largest ? change : largest;
    updated += residual;
    area += clamped(residual);
  }
  nextA = area;
  return largest;
}

template <bool kRelaxed>
double shirleyPass(ShirleyRun& r, double A, double relax, double& nextA) {
  if constexpr (!kRelaxed) {
    if (r.rising) return risingPass(r, A, nextA);
  }
  double largest = 0.0;
  double area = 0.0;
  const auto [y, P, B, R, step, low] = passView(r);
  // Copied in by name: clang before 16 cannot capture structured bindings.
  auto update = [&, y = y, P = P, B = B, R = R, step = step, low = low](int k, double S) {
    double D = S * step / A + low - P[k];
    if constexpr (kRelaxed) D = D * relax;
    const double b = P[k] + D;
    B[k] = b;
    R[k] = y[k] - b;
    const double change = std::fabs(D);
    largest = change > largest ? change : largest;
  };
  if (r.rising) {
    double updated = 0.0;
    for (int k = 0; k < r.m; ++k) {
      update(k, updated + clamped(R[k]));
      updated += R[k];
      area += clamped(R[k]);
    }
  } else {
    double* suffix = r.suffix.data();
    suffix[r.m] = 0.0;
    for (int k = r.m - 1; k >= 0; --k) suffix[k] = suffix[k + 1] + clamped(R[k]);
    for (int k = 0; k < r.m; ++k) {
      update(k, suffix[k]);
      area += clamped(R[k]);
    }
  }
  nextA = area;
  return largest;
}

// Residual area of the clamped residuals, summed in index order.
double residualArea(const ShirleyRun& r) {
  double A = 0.0;
  for (double v : r.R) A += clamped(v);
  return A;
}

// Puts the background back to where the rejected pass started.
void undoPass(ShirleyRun& r) {
  r.B = r.P;
  for (int k = 0; k < r.m; ++k) r.R[k] = r.y[k] - r.B[k];
}

// Relaxed fixed-point iteration until the largest change of a pass drops to `tol`. A
// pass whose largest change grows is undone and repeated with a smaller relaxation.
// Each pass keeps the background it starts from in P; it writes every B[k], so the two
// arrays are exchanged rather than copied.
int iterate(ShirleyRun& r, double tol) {
  double prev = 1e307;
  double relax = 1.0;
  int passes = 0;
  double A = residualArea(r);
  while (prev > tol) {
    if (++passes > kMaxPasses) return 2;
    if (A == 0.0) return -3;
    r.P.swap(r.B);
    double nextA = 0.0;
    const double M = relax == 1.0 ? shirleyPass<false>(r, A, relax, nextA) : shirleyPass<true>(r, A, relax, nextA);
    if (M > prev) {
      relax = relax * 0.91 * prev / M;
      if (relax < kMinRelax) return -4;
      undoPass(r);
      A = residualArea(r);
      --passes;
      continue;
    }
    prev = M;
    A = nextA;
  }
  return 1;
}

// Appends the range's X with `values` as Y (zero errors when `to` has errors) and
// recomputes the extent once.
void appendRange(const DataBuffer& in, int i1, const std::vector<double>& values, DataBuffer& to) {
  const bool errors = to.haserror();
  const auto first = in.X.begin() + i1;
  to.X.insert(to.X.end(), first, first + static_cast<std::ptrdiff_t>(values.size()));
  to.Y.insert(to.Y.end(), values.begin(), values.end());
  if (errors) {
    to.EX.resize(to.X.size(), 0.0);
    to.EY.resize(to.Y.size(), 0.0);
  }
  to.rescale();
}

}  // namespace

int calcShirley(const DataBuffer& in, DataBuffer* out, DataBuffer* bg, double x1, double y1, double x2, double y2) {
  if (y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int n = in.count();
  if (n < 3) return -1;
  const double dx = (in.X[n - 1] - in.X[0]) / (n - 1);
  if (std::fabs(dx) < kMinSpacing) return -2;
  int i1 = pointIndex(x1, in.X[0], dx, n);
  int i2 = pointIndex(x2, in.X[0], dx, n);
  if (i1 > i2) std::swap(i1, i2);
  ShirleyRun r;
  r.m = i2 - i1 + 1;
  if (r.m < 3) return -1;
  r.y = in.Y.data() + i1;
  r.rising = in.Y[i1] <= in.Y[i2];
  r.low = std::fmin(y1, y2);
  r.step = std::fabs(y2 - y1);
  r.R.resize(r.m);
  r.B.assign(r.m, 0.0);
  r.P.resize(r.m);
  if (!r.rising) r.suffix.resize(r.m + 1);
  double maxR = 0.0;
  for (int k = 0; k < r.m; ++k) {
    r.R[k] = r.y[k] - r.low;
    if (r.R[k] > maxR) maxR = r.R[k];
  }
  int status = 1;
  if (r.step < kFlatStep) {
    r.B.assign(r.m, r.low);
  } else {
    double tol = 0.003 * maxR;
    if (tol > 0.2 * r.step) tol = tol * 0.2;
    status = iterate(r, tol);
    if (status < 0) return status;
  }
  if (out) appendRange(in, i1, r.R, *out);
  if (bg && bg != out) appendRange(in, i1, r.B, *bg);
  return status;
}

XylaDocument& doShirley(XylaDocument& doc, int index, double x1, double y1, double x2, double y2, Ui& ui) {
  DataBuffer* in = doc.buffer(index);
  if (!in || !in->checkSort(ui)) return doc;
  auto out = std::make_unique<DataBuffer>();
  auto bg = std::make_unique<DataBuffer>();
  out->setComment(in->getComment() + " Shirley");
  bg->setComment(in->getComment() + " ShirleyBg");
  out->setSource("Shirley");
  bg->setSource("Shirley");
  if (calcShirley(*in, out.get(), bg.get(), x1, y1, x2, y2) <= 0) return doc;
  out->rescale();
  bg->rescale();
  doc.appendBuffer(std::move(out));
  doc.appendBuffer(std::move(bg));
  return doc;
}

}  // namespace xyla
