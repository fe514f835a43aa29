#pragma once

// What a paper reports about one fitted peak, measured on the peak's own curve rather
// than read off its parameters: the maximum, the full width at half maximum and the
// area. The width parameter C of the Gauss-Lorentz product is not its FWHM (between
// 0.83 and 1 times it, by the mixing), and the rectangle sums of the fit's own area
// fall short on long tails, so these are computed afresh.
namespace xyla::fit {

struct PeakMeasure {
  bool ok = false;        // false for user functions, a width or height <= 0, or a failed search
  double height = 0.0;    // the maximum of the curve
  double fwhm = 0.0;      // full width at half maximum, same unit as X
  double area = 0.0;      // Y unit x X unit
  bool windowed = false;  // the area is over the fitted X range (lines without a finite area)
};

// Measures the peak of shape `code` (0 GL, 1 DS, 2 ET, 100-102 the same convolved with a
// Gaussian) with parameters p[1..5]. Gauss-Lorentz lines use the closed-form area;
// Doniach-Sunjic lines, whose area is infinite for any asymmetry, are integrated in
// closed form over lo..hi (the fitted X range); tailed lines by adaptive quadrature to
// 1e-10 relative. Convolved lines use the area of the base line times the weight of the
// discrete convolution, which is exact for the convolution the model evaluates.
PeakMeasure measurePeak(int code, const double* p, double lo, double hi);

// Area of the Gauss-Lorentz product (height h, width w, mixing m clamped to 0..1).
double galoArea(double h, double w, double m);

// Area of the Doniach-Sunjic line (position x0, height h, width w, asymmetry alpha)
// between lo and hi.
double dosuArea(double x0, double h, double w, double alpha, double lo, double hi);

}  // namespace xyla::fit
