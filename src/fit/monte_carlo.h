#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fit/fit_table.h"

// Monte-Carlo errors of a fit: replicas of the fitted spectrum, each with fresh counting
// noise around the fitted model plus background, or with the background's end points
// moved within a window, or both; every replica is refitted from the fit's result and
// the spread of the peaks' true areas and percentages is what the analyst's data and
// choices leave open. Replicas run in parallel, each with its own problem and its own
// random stream, so the numbers depend on the seed and not on the threads.
namespace xyla::fit {

// Recomputes a background of the spectrum x, y (whole) between the end positions x1 and
// x2: the points first..last it covers and its values there (from `first` on). False
// when it cannot be made.
using BackgroundRule = std::function<bool(const std::vector<double>& x, const std::vector<double>& y, double x1,
                                          double x2, int& first, int& last, std::vector<double>& background)>;

// How a converged Shirley background made a net spectrum from a measured one, kept so
// the replicas can make it again at other end points.
struct BackgroundOrigin {
  const void* document = nullptr;  // the document both buffers belong to
  int source = -1, net = -1;       // the measured buffer and the net spectrum's
  double x1 = 0.0, x2 = 0.0;       // the end positions chosen
  int endPoints = 1;               // points averaged at each end
  bool highAtLargerX = true;       // the high-binding-energy end has the larger X
};

// What the replicas are drawn from.
struct McSpectrum {
  std::vector<double> x, y;  // the measured spectrum the fitted points came from
  int first = 0, last = -1;  // the fitted points within it
  // The background under the fitted points (from `first` on); empty when the fitted
  // points are the measured ones themselves.
  std::vector<double> background;
  double x1 = 0.0, x2 = 0.0;  // the background's end positions
  BackgroundRule rule;        // empty: the end points cannot be varied
};

// How the fit weighed its points: one common sigma, or counting weights (then the
// replicas are weighted by their own counts).
struct McWeights {
  double sigma = 1.0;
  bool counting = false;
  // The scatter of the points around the fitted model (the root of the residual sum of
  // squares per degree of freedom): the width of Gaussian noise under one common sigma.
  double scatter = 1.0;
};

struct McOptions {
  int replicas = 100;   // per part
  double window = 0.0;  // end positions drawn uniformly within +-window
  std::uint64_t seed = 1;
  int threads = 0;  // 0: one per processor
  int maxIterations = 200;
};

// The parts of the spread: noise and end points together, noise alone, end points alone.
enum McPart : int { kMcBoth = 0, kMcNoise = 1, kMcEndPoints = 2, kMcParts = 3 };

// Mean, standard deviation and the central 95 % interval (2.5 and 97.5 percentiles) of
// the values of the replicas that succeeded.
struct McSpread {
  int count = 0;
  double mean = 0.0, sd = 0.0, lo = 0.0, hi = 0.0;
};

// One peak's spreads by part.
struct McPeak {
  int row = 0;  // 0-based table row
  McSpread area[kMcParts], percent[kMcParts];
};

struct McResult {
  bool ok = false;
  std::string error;
  bool poisson = false;    // noise drawn from Poisson counts (integer data), else Gaussian
  bool endPoints = false;  // the end-point part ran
  int replicas = 0;
  int failed[kMcParts] = {0, 0, 0};
  // The true areas of each replica by part: areas[part][replica][peak]; NaN for a replica
  // whose fit failed. Parts that did not run are empty.
  std::vector<std::vector<std::vector<double>>> areas;
  std::vector<McPeak> peaks;
};

// Runs the replicas of the fit whose table is `fitted` (its values the fit's result).
McResult monteCarlo(const FitModel& fitted, const McWeights& weights, const McSpectrum& spectrum,
                    const McOptions& options);

// The spread of `values`, skipping NaN.
McSpread spreadOf(std::vector<double> values);

// True when every value is a whole number of at least 0: counts, whose noise is Poisson.
bool looksLikeCounts(const std::vector<double>& y, int first, int last);

}  // namespace xyla::fit
