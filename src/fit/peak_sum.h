#pragma once

#include <vector>

#include "fit/model_function.h"
#include "shapes/peak_model.h"

namespace xyla::fit {

struct FitModel;

// The peaks of a read fit table as a model for the solver: their sum by the line shapes
// and its derivatives by forward differences with the table's steps and ties. It keeps
// the Gaussian-convolution caches of its peaks, rebuilt at the start of every pass and
// only read while the points are evaluated, so blocks may run on several threads.
class PeakSum : public ModelFunction {
 public:
  // How the points of a block are taken: all at once, sharing what the parameters
  // determine (the default), or one after the other, each on its own.
  enum class Evaluation { kBlocks, kOnePoint };

  // `model` must outlive this object and keep its codes, ties and steps meanwhile.
  explicit PeakSum(const FitModel& model, Evaluation evaluation = Evaluation::kBlocks);

  void beginPass(const float* a, const char* needed) override;
  void evaluate(const ModelBlock& block) override;
  // The sum of the listed peaks alone (ascending, from 1; blocks only): the derivative
  // slots of the other peaks are left as they were.
  void evaluatePeaks(const ModelBlock& block, const std::vector<int>& peaks);
  // Not while user functions take part: each peak has one expression.
  bool concurrent() const override;
  double costPerPoint(int nactive) const override;

 private:
  const FitModel& m_;
  Evaluation evaluation_;
  shapes::PeakCaches caches_;
  // Difference steps of the pass: the table's, turned backwards for a parameter whose
  // forward step would leave its upper limit (where a shape clamps, so a forward
  // difference would see no change).
  std::vector<float> steps_;
};

}  // namespace xyla::fit
