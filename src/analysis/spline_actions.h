#pragma once

#include <string>

namespace xyla {

class Manager;

// The Spline page: points per interval and strength fields.
void splineAction(Manager& m, const std::string& points, const std::string& strength);

// The Spline Fit page as the dialog shows it: popup tags, check boxes and field texts.
struct SplineFitFields {
  int corrMode = 1;
  std::string corrFactor = "1";
  int corrFunction = 1;
  int sigmaMode = 0;
  std::string sigmaValue;
  std::string order = "4";
  bool exportMinMax = true, exportDerivative = false;
  bool useExclude = false;
  std::string excludeMin, excludeMax;
  std::string points = "2001";
  bool fromInput = false;
};

// The defaults button.
SplineFitFields splineFitDefaults();

// Stores the page under its "SPF..." keys, then fits every selected buffer (behind the
// selection guard). After a fit the sigma field shows the noise level found (sigma mode
// 0) and the correlation factor the smoothing length in spacings (modes other than 2).
void splineFitAction(Manager& m, SplineFitFields& f);

}  // namespace xyla
