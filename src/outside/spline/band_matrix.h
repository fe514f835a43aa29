#pragma once

#include <vector>

namespace xyla::splinefit {

// A symmetric band matrix of order n with p diagonals above the main one, stored by rows:
// at(i, d) is element (i, i + d) for d = 0..p.
class BandMatrix {
 public:
  BandMatrix() = default;
  BandMatrix(int n, int p) : n_(n), p_(p), a_(static_cast<std::size_t>(n) * (p + 1), 0.0) {}
  int order() const { return n_; }
  int bandwidth() const { return p_; }
  double& at(int i, int d) { return a_[static_cast<std::size_t>(i) * (p_ + 1) + d]; }
  double at(int i, int d) const { return a_[static_cast<std::size_t>(i) * (p_ + 1) + d]; }
  // Element (i, j) of the symmetric matrix; 0 outside the band.
  double get(int i, int j) const;

 private:
  int n_ = 0, p_ = 0;
  std::vector<double> a_;
};

// The factors A = U' D U of a symmetric positive definite band matrix: U unit upper
// triangular with the band of A (stored in the off-diagonal places), D in the diagonal.
class BandLdl {
 public:
  // False when a pivot is not positive (the matrix is not positive definite) or not finite.
  bool factor(const BandMatrix& a);
  // Solves A x = b in place.
  void solve(std::vector<double>& b) const;
  // The elements of the inverse of A inside the band, in the same storage (the recursion
  // of Hutchinson and de Hoog, 1985): O(n p^2).
  BandMatrix inverseBand() const;

 private:
  BandMatrix f_;
};

}  // namespace xyla::splinefit
