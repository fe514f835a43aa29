#pragma once

#include <string>
#include <vector>

#include "fit/monte_carlo.h"
#include "fit/peak_errors.h"

// The Monte-Carlo errors beside the covariance errors of the fit: one line per peak and
// quantity (true area, percentage), as a printed table and as comma-separated values.
namespace xyla::fit {

// One quantity of one peak: the fit's value and covariance error, and the spreads.
struct McLine {
  int row = 0;  // 1-based table row
  std::string name, quantity;
  double value = 0.0, covarianceError = 0.0;
  bool haveCovariance = false;
  McSpread spread[kMcParts];
};

// The lines for every peak of `measures` (the fit's own numbers) and `mc`. `names` holds
// the peaks' names where known. Background rows of `model` have no area and get no line.
std::vector<McLine> mcLines(const FitModel& model, const McResult& mc, const PeakTable& measures,
                            const std::vector<std::string>& names);

// The printed table: a heading that says how the replicas were drawn, then per line
// value, covariance error, Monte-Carlo standard deviation (total, noise, end points) and
// the 95 % interval.
std::string mcText(const McResult& mc, const McOptions& options, const std::vector<McLine>& lines);

// The same as comma-separated values with a header line; unknown numbers stay empty.
std::string mcCsv(const McResult& mc, const std::vector<McLine>& lines);

}  // namespace xyla::fit
