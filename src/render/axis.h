#pragma once

#include <string>
#include <vector>

namespace xyla {

// Tick values of one axis for one drawing pass: linear, logarithmic or time scale.
// Created, initialised with one of the three init functions, read, and dropped; it keeps
// nothing between passes. A refused range leaves both lists empty. Minor counts read from
// the user are clamped to 0..1000.
class Axis {
 public:
  // Linear scale over a..b (either order). The strings are the axis's user overrides;
  // an empty string keeps the automatic value.
  void initWithRange(double a, double b, const std::string& scalstart, const std::string& scalend,
                     const std::string& scalspace, const std::string& scalminticks, const std::string& trigger);
  // Logarithmic scale over a..b; both must be positive.
  void initForLogWithRange(double a, double b, const std::string& scalstart, const std::string& scalend,
                           const std::string& scalspace, const std::string& scalminticks);
  // Time scale over a..b (seconds since 2001-01-01 00:00:00 GMT, calendar in the local
  // time zone). `dateFormat` is the user's date format used to read scalstart/scalend.
  void initForTimeWithRange(double a, double b, const std::string& scalstart, const std::string& scalend,
                            const std::string& scalspace, const std::string& scalminticks,
                            const std::string& dateFormat);

  double start = 0.0;   // first candidate tick (decade exponent on log scales)
  double end = 0.0;     // last candidate tick (decade exponent on log scales)
  double step = 0.0;    // major step: value units, decades or seconds
  double min = 0.0, max = 0.0;    // the range, sorted
  double fmin = 0.0, fmax = 0.0;  // smaller and larger absolute value of the range ends
  double mintick = 0.0;           // minor-tick count
  double expo = 0.0;              // linear only: decade of the range's middle
  double dx = 0.0;                // preset major step (zero: automatic)
  double dxy = 0.0;               // target number of major intervals
  double lmo = 0.0;               // log only: smallest major value (0 with fewer than two)
  std::vector<double> A;          // major tick values, increasing
  std::vector<double> MA;         // minor tick values
  std::string format;             // time only: calendar format of the numbers

 private:
  // Empties the lists and the results of an earlier initialisation; keeps `dx`.
  void reset();
};

}  // namespace xyla
