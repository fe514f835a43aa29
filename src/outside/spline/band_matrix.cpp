#include "band_matrix.h"

#include <algorithm>
#include <cmath>

namespace xyla::splinefit {

double BandMatrix::get(int i, int j) const {
  if (i > j) std::swap(i, j);
  return j - i > p_ ? 0.0 : at(i, j - i);
}

bool BandLdl::factor(const BandMatrix& a) {
  const int n = a.order(), p = a.bandwidth();
  f_ = a;
  for (int i = 0; i < n; ++i) {
    // Row i of U and d_i from the rows above that reach it.
    for (int d = 0; d <= p && i + d < n; ++d) {
      double v = a.at(i, d);
      for (int k = std::max(0, i + d - p); k < i; ++k) {
        if (i - k > p) continue;
        v -= f_.at(k, i - k) * f_.at(k, i + d - k) * f_.at(k, 0);
      }
      if (d == 0) {
        if (!(v > 0.0) || !std::isfinite(v)) return false;
        f_.at(i, 0) = v;
      } else {
        f_.at(i, d) = v / f_.at(i, 0);
      }
    }
  }
  return true;
}

void BandLdl::solve(std::vector<double>& b) const {
  const int n = f_.order(), p = f_.bandwidth();
  // U' z = b (unit lower triangular), then D, then U x = z.
  for (int i = 0; i < n; ++i)
    for (int k = std::max(0, i - p); k < i; ++k) b[i] -= f_.at(k, i - k) * b[k];
  for (int i = 0; i < n; ++i) b[i] /= f_.at(i, 0);
  for (int i = n - 1; i >= 0; --i)
    for (int d = 1; d <= p && i + d < n; ++d) b[i] -= f_.at(i, d) * b[i + d];
}

BandMatrix BandLdl::inverseBand() const {
  const int n = f_.order(), p = f_.bandwidth();
  BandMatrix s(n, p);
  // U S = D^-1 U'^-1 is lower triangular with diagonal 1/d: row by row from the bottom,
  // S(i, j) = delta_ij / d_i - sum_k U(i, k) S(k, j) for j >= i, every S(k, j) needed
  // lying inside the band already computed.
  for (int i = n - 1; i >= 0; --i) {
    for (int d = p; d >= 0; --d) {
      const int j = i + d;
      if (j >= n) continue;
      double v = d == 0 ? 1.0 / f_.at(i, 0) : 0.0;
      for (int k = i + 1; k <= i + p && k < n; ++k) v -= f_.at(i, k - i) * s.get(k, j);
      s.at(i, d) = v;
    }
  }
  return s;
}

}  // namespace xyla::splinefit
