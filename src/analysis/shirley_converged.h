#pragma once

#include <string>
#include <vector>

namespace xyla {

class Ui;
class XylaDocument;

// The Shirley background iterated to its fixed point: B(x) = low + (high - low) Q(x)/Q,
// with Q(x) the integral of the spectrum minus B from the low-binding-energy end to x
// and Q the whole integral. The end levels are means over several points, and the
// integrals use piecewise cubic interpolation of the points, so the result does not
// depend on the sampling as much as a rectangle sum would.
struct ShirleyResult {
  bool ok = false;
  std::string error;            // why not, for the user
  std::vector<double> background;  // from the low-binding-energy end
  double low = 0.0, high = 0.0;    // the end levels
  int iterations = 0;
};

// x, y from the low-binding-energy end to the high one; `endPoints` averaged at each end.
// Stops when no point moves by more than `tolerance` times the step high - low.
ShirleyResult convergedShirley(const std::vector<double>& x, const std::vector<double>& y, int endPoints,
                               double tolerance = 1e-9);

// Weights of the cumulative integral: integral of the cubic through the points around
// each interval, so that sum over i < k of w[i] . (y[i-1..i+2]) is the integral from
// x[0] to x[k]. Four weights per interval, for the points start[i] .. start[i] + 3.
struct CumulativeIntegral {
  explicit CumulativeIntegral(const std::vector<double>& x);
  // c[k] = integral of y from x[0] to x[k] (c[0] = 0), as a positive measure along the
  // direction of travel.
  void apply(const std::vector<double>& y, std::vector<double>& c) const;

 private:
  std::vector<int> start_;
  std::vector<double> w_;  // 4 per interval
};

// Appends the spectrum minus the converged Shirley background (" ShirleyConv") and the
// background (" ShirleyConvBg") of buffer `index` between x1 and x2; `highAtLargerX`
// names the high-binding-energy end. On bad input shows why and changes nothing.
// Answers the result (ok false on failure).
ShirleyResult doShirleyConverged(XylaDocument& doc, int index, double x1, double x2, int endPoints,
                                 bool highAtLargerX, Ui& ui);

}  // namespace xyla
