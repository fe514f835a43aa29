#pragma once

#include <span>

#include "fit/background_sum.h"
#include "fit/peak_sum.h"

namespace xyla::fit {

// What the solver fits for a read table over the points x[1..n]: its peaks, and with
// them its background rows when the table has any. Every fit of a table (the document's,
// Monte-Carlo replicas, batches) takes its model from here, so none of them drops the
// backgrounds.
class TableModel {
 public:
  // `model` and the points must outlive this object.
  TableModel(const FitModel& model, std::span<const float> x, int threads,
             PeakSum::Evaluation evaluation = PeakSum::Evaluation::kBlocks)
      : peaks_(model, evaluation), backgrounds_(model, peaks_, x, threads) {}

  ModelFunction& function() { return backgrounds_.active() ? static_cast<ModelFunction&>(backgrounds_) : peaks_; }

 private:
  PeakSum peaks_;
  BackgroundSum backgrounds_;
};

}  // namespace xyla::fit
