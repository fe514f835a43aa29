#pragma once

#include <vector>

#include "fit/fit_table.h"

// The measured numbers of every fitted peak with standard errors propagated from the
// fit's covariance: position, height, FWHM, true area and the percentage of the true
// areas. Derivatives with respect to the free parameters are taken by central
// differences through the ties, so tied widths or positions carry their share.
namespace xyla::fit {

struct PeakNumbers {
  int row = 0;             // 0-based table row
  bool ok = false;         // measured (see PeakMeasure)
  bool errorsOk = false;   // the errors below are known
  bool windowed = false;   // area over the fitted X range
  double position = 0.0, positionError = 0.0;
  double height = 0.0, heightError = 0.0;
  double fwhm = 0.0, fwhmError = 0.0;
  double area = 0.0, areaError = 0.0;
  double percent = 0.0, percentError = 0.0;  // of the weighted true areas
  bool hasPercent = false;
  double fitArea = 0.0;  // the fit's own rectangle-sum area, as computed with the fit
};

struct PeakTable {
  std::vector<PeakNumbers> peaks;      // per peak, in peak order
  std::vector<double> areaCovariance;  // npix x npix, row-major; empty when unknown
};

// The standard errors and the covariance of the parameters after a fit: the solver's
// covariance `covar` (parameter order) scaled by the reduced chi-square. Tied parameters
// inherit their target's error (times the factor of a multiplicative tie), fixed ones 0.
// The covariance is (nptab+1)^2, row-major, and empty when any entry is not finite.
struct ParameterErrors {
  std::vector<double> standardError, covariance;
};
ParameterErrors parameterErrors(const FitModel& model, const Matrix1<float>& covar, double reducedChisq);

// Measures every peak of `model` at its current parameters. `covariance` is the
// (nptab+1)^2 row-major covariance of the parameters (already scaled as the errors are
// reported), or empty: then no errors. lo..hi is the fitted X range. Percentages use the
// table's weights; when no measured peak has a weight, every measured peak counts once.
PeakTable measurePeaks(const FitModel& model, const std::vector<double>& covariance, double lo, double hi);

}  // namespace xyla::fit
