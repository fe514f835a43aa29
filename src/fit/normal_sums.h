#pragma once

#include <cstddef>
#include <vector>

namespace xyla::fit {

// The sums of the normal equations over the points of a fit: alpha (lower triangle), beta,
// chi-square and the sum of squares, for the active parameters list[1..nactive]. Every sum
// takes the points in their order with the operations of the textbook loop, so the
// results do not depend on how the work is split. Points arrive in blocks: each point's
// derivatives are first gathered into a row of one of two buffers (gather), then any
// share of the alpha rows may be added by one thread while other threads add other rows
// of the same points, eight entries at a time with AVX2 where the processor has it. The
// entries being added stay in registers for the whole block, and each point's weighted
// derivative is formed where it is used, so a block's only memory traffic is reading its
// gathered rows. With two buffers, one block can be gathered while the one before is added.
class NormalSums {
 public:
  // Eight entries of alpha that are added together: row `row` (1-based), columns col + 1 ..
  // col + 8, kept at offset `at` of the sums.
  struct Lane {
    int row, col;
    std::size_t at;
  };

  // Ready for blocks of up to `blockPoints` points. `vectors` false keeps to plain
  // instructions even where AVX2 is present (the sums are the same either way).
  NormalSums(const int* list, int nactive, int blockPoints, bool vectors = true);

  // Row `slot` of buffer `buffer` (0 or 1): the wanted derivatives of the point from its
  // full derivative row dyda[1..ma], its residual dy and its weight wi.
  void gather(int buffer, int slot, const float* dyda, float dy, float wi);

  // Adds alpha rows first..last (1-based, inclusive) of the first `count` slots of a buffer.
  void addRows(int buffer, int first, int last, int count);
  // Adds beta, chi-square and the sum of squares of the first `count` slots of a buffer.
  void addRest(int buffer, int count);

  // The number of active parameters (alpha rows).
  int size() const { return n_; }

  // Copies the sums out: alpha[j][k] for k <= j (the caller mirrors it), beta[1..n].
  template <class Matrix>
  void result(Matrix& alpha, float* beta, float& chisq, float& sumsq) const {
    for (int j = 1; j <= n_; ++j) {
      for (int k = 1; k <= j; ++k) alpha[j][k] = acc_[offset_[j] + k - 1];
      beta[j] = beta_[j - 1];
    }
    chisq = chisq_;
    sumsq = sumsq_;
  }

 private:
  // Gathered points: per slot the derivatives (width_ of them), the residual and the weight.
  struct Rows {
    std::vector<float> g, dy, wi;
  };

  const int* list_;
  int n_, width_;
  Rows rows_[2];
  std::vector<float> acc_, beta_;  // rows of alpha padded to whole lanes, and beta
  std::vector<std::size_t> offset_;
  std::vector<Lane> lanes_;     // the lanes of rows 1..n_ in order
  std::vector<int> firstLane_;  // row j's lanes start at lanes_[firstLane_[j]]
  float chisq_ = 0.0f, sumsq_ = 0.0f;
  bool vectors_ = false;
};

}  // namespace xyla::fit
