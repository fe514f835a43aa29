#pragma once

#include <string>
#include <vector>

#include "outside/child_process.h"

namespace xyla::outside {

// The data of a smoothing-spline fit: X, Y and, when `errors` is set, the Y errors.
struct SplineData {
  std::vector<double> x, y, ey;
  bool errors = false;
};

// Runs the spline driver: writes "input.dat" (X, Y and the Y error when there are
// errors) and "xaxis.dat" (X) into a fresh private directory, starts
//   /usr/bin/perl spline2.pl <directory> <spline2> <evalsp> <options1> <options2>
// there and answers what it printed. The directory is removed afterwards. A driver or
// program that cannot be found answers a run that did not start. A Cancel in the
// progress of `host` (when given) stops the run.
ChildResult runSplineDriver(const SplineData& data, const std::string& options1, const std::string& options2, Ui* host);

// Writes one number column per entry of `columns` (all the same length), tab-separated,
// one line per point, every value with 17 significant digits.
std::string numberTable(const std::vector<const std::vector<double>*>& columns);

}  // namespace xyla::outside
