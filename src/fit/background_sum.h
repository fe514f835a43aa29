#pragma once

#include <span>
#include <vector>

#include "fit/background_terms.h"
#include "fit/model_function.h"
#include "fit/peak_sum.h"

namespace xyla::fit {

// The fit's model when the table has background rows: the peaks' sum plus every
// background, with the derivatives of both. A polynomial is added point by point in the
// blocks. The whole-curve terms (Shirley, Tougaard) need the peaks at every point first:
// at the start of each pass the peaks and their derivatives are evaluated over all points
// (in parallel chunks where the peaks allow threads), the backgrounds and their
// derivatives follow from them (a peak parameter moves the background through the
// peaks' integral or loss sum, taken of the peaks' forward differences), and the blocks
// then only read the totals.
class BackgroundSum : public ModelFunction {
 public:
  // `x`: the problem's points x[1..n], into which the solver's blocks point. `peaks` and
  // `model` must outlive this object.
  BackgroundSum(const FitModel& model, PeakSum& peaks, std::span<const float> x, int threads);

  // True when the table has a background row (otherwise the peaks alone are the model).
  bool active() const { return !terms_.rows().empty(); }
  const BackgroundTerms& terms() const { return terms_; }

  void beginPass(const float* a, const char* needed) override;
  void evaluate(const ModelBlock& block) override;
  bool concurrent() const override;
  double costPerPoint(int nactive) const override;

 private:
  void evaluatePeaks(const float* a);
  void addWholeCurves(const float* a);
  // Adds one row to the totals; `peaks` and `columns` are the peaks alone and their
  // derivative by every wanted parameter j (columns[j]) at the points.
  void addRow(const BackgroundRow& row, const float* a, const std::vector<double>& peaks,
              const std::vector<std::vector<double>>& columns);
  // Adds dv, the derivative by parameter j of a background row, to its column (the
  // parameter j is tied to, scaled by a multiplicative tie's factor) when it is wanted.
  void addColumn(float* row, const float* a, int j, double dv) const;
  // The peaks' forward-difference derivative by parameter j at every point.
  std::vector<double> peakColumn(int j) const;

  const FitModel& m_;
  PeakSum& peaks_;
  const float* x_;  // x_[1..n]
  int n_;
  int threads_;
  BackgroundTerms terms_;
  const char* needed_ = nullptr;
  std::vector<char> peakNeeded_;  // the pass's wanted derivatives without the background rows'
  std::size_t stride_ = 0;
  // With whole-curve terms: the model and its derivatives at every point (stride_ per
  // point, point i - 1 for x_[i]).
  std::vector<float> y_, d_;
};

}  // namespace xyla::fit
