#pragma once

#include <string>
#include <vector>

#include "fit/fit_data.h"
#include "fit/model_function.h"
#include "fit/peak_errors.h"
#include "fit/peak_sum.h"

// Several spectra fitted together: one fit table whose peaks belong to the spectra in
// groups, one parameter vector, so ties of the table join the spectra (one splitting,
// one width, linked areas). Each spectrum's points see only its own peaks.
namespace xyla::fit {

// The model of a joint fit: the points of all spectra one after the other, each run of
// points summing the peaks of its spectrum.
class JointModel : public ModelFunction {
 public:
  // `model` and `x` must outlive this object; x[1..] are the problem's points (the
  // blocks the solver hands over point into it), `starts[g]` the first point of spectrum
  // g (from 1, ascending) and `peaks[g]` its peaks (ascending, from 1).
  JointModel(const FitModel& model, const std::vector<float>& x, std::vector<int> starts,
             std::vector<std::vector<int>> peaks);

  void beginPass(const float* a, const char* needed) override;
  void evaluate(const ModelBlock& block) override;
  bool concurrent() const override { return peaks_.concurrent(); }
  double costPerPoint(int nactive) const override { return peaks_.costPerPoint(nactive); }

 private:
  PeakSum peaks_;
  const std::vector<float>& x_;
  std::vector<int> starts_;
  std::vector<std::vector<int>> groups_;
};

// One spectrum of a joint fit and its peaks (1-based peak numbers of the model).
struct JointGroup {
  FitData data;
  std::vector<int> peaks;
};

// Per spectrum: its points, chi-square and rms deviation at the joint result.
struct JointPart {
  int points = 0;
  double chisq = 0.0, rms = 0.0;
};

struct JointResult {
  bool ok = false;
  std::string error;
  int iterations = 0;
  double chisq = 0.0, reducedChisq = 0.0;
  int dof = 0;
  std::vector<double> parameters;  // fitted a[1..nptab]
  ParameterErrors errors;
  PeakTable measures;  // percentages of the weighted true areas within each spectrum
  std::vector<JointPart> parts;
};

// Fits `model` (its values the start) to the groups together; the points of each group
// are weighted by its own sigma (or their counting weights, when the data carry them).
JointResult fitJoint(const FitModel& model, const std::vector<JointGroup>& groups, int threads, int maxIterations);

}  // namespace xyla::fit
