#pragma once

#include <string>
#include <vector>

namespace xyla {

class Manager;
class Ui;
class XylaDocument;

// The arguments of a smoothing-spline fit, as the dialog and the macro command give them.
// The highest spline order the fit accepts. Above it (degree 9 and up) the band system
// of the m-th divided differences loses all precision of doubles: its condition grows
// like the point count to the power 2m, and the lower derivatives rebuilt from the m-th
// one no longer meet at the knots.
constexpr int kMaxSplineFitOrder = 8;

struct SplineFitOptions {
  bool useExclude = false;
  double excludeMin = 0.0, excludeMax = 0.0;
  int corrMode = 1;          // 0 white noise, 1 estimate the noise correlation, 2 fixed smoothing length
  double corrFactor = 1.0;   // mode 2: the smoothing length in mean point spacings
  int corrFunction = 1;      // noise correlation model 1..4
  int sigmaMode = 0;         // 0 unknown (cross-validation), 1 from the Y errors, 2 known sigma, 3 degrees of freedom
  double sigmaValue = 0.0;
  int order = 4;  // spline order (degree + 1), at most kMaxSplineFitOrder
  bool exportMinMax = true;
  bool exportDerivative = false;
  int points = 2001;         // 0: at the input X values; otherwise the number of grid points
};

// The two option strings handed to the driver script.
std::string splineFitOptions1(const SplineFitOptions& o, double dx);
std::string splineFitOptions2(const SplineFitOptions& o, double xmin, double xmax);

// What the driver printed, split at ":".
struct SplineFitOutput {
  double rms = 0, dws = 0, ksi = 0, acffit = 0, area = 0;
  int dwi = 0, ngf = 0;
  std::vector<double> x, y, derivative;  // the k evaluated points (complete triples only)
  std::vector<double> minX, minY, maxX, maxY;
};
// False when fewer than the eight leading fields are there.
bool parseSplineFitOutput(const std::string& text, SplineFitOutput& out);

// What the dialog gets back: the noise level and the smoothing length in spacings.
struct SplineFitFeedback {
  bool ran = false;
  double rms = 0.0;
  double corrFactor = 0.0;  // ksi / dx
};

// Document operation: fits buffer `index` (sorted X, two points or more) through the
// outside spline programs and appends the fit, its derivative and its minima and
// maxima as asked, with the statistics in the fit's comment and in `splineresult`.
SplineFitFeedback splineFit(XylaDocument& doc, int index, const SplineFitOptions& o, Ui& ui);

}  // namespace xyla
