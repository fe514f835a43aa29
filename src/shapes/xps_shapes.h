#pragma once

// Line shapes in the conventions XPS programs document, with p the Lorentzian
// percentage (0 a Gaussian, 100 a Lorentzian), and the true Voigt profile. Each has its
// maximum h at x0. The fit's own "GL" keeps its Gaussian share m (exp(-4u^2) at m = 1).
namespace xyla::shapes {

// Product form GL(p): h exp(-4 ln2 (1 - p/100) u^2) / (1 + 4 (p/100) u^2), u = (x - x0)/F,
// p clamped to 0..100. GL(0) is the Gaussian and GL(100) the Lorentzian of FWHM F.
double glp(double x, double x0, double h, double F, double p);
// Sum form SGL(p): h [(1 - p/100) exp(-4 ln2 u^2) + (p/100)/(1 + 4u^2)]; its FWHM is F
// for every p.
double sgl(double x, double x0, double h, double F, double p);
// Voigt profile of height h at x0: a Gaussian of FWHM wg convolved with a Lorentzian of
// FWHM wl (Faddeeva function), scaled to its maximum. wl = 0 is the Gaussian, wg = 0 the
// Lorentzian.
double voigtLine(double x, double x0, double h, double wg, double wl);

// The asymmetric Lorentzian LA(alpha, beta, m): h (1 + u^2)^-alpha for x > x0 and
// h (1 + u^2)^-beta for x < x0 with u = 2 (x - x0)/w (so w is the FWHM of the plain
// Lorentzian alpha = beta = 1), convolved with a Gaussian of FWHM m/100 w (m in percent
// of w; m = 0 no convolution). h is the height of the line before the convolution. The
// convolution is a sum over offsets with weights that add up to 1, so it keeps the
// line's area, which is finite for alpha, beta > 1/2.
double laLine(double x, double x0, double h, double w, double alpha, double beta, double m);
// Offsets the convolution of laLine sums over (1 without convolution).
int laOffsets(double m);
// Area of laLine: h (w/2) (sqrt(pi)/2) (G(alpha - 1/2)/G(alpha) + G(beta - 1/2)/G(beta)),
// infinite (inf) when an exponent is 1/2 or less.
double laArea(double h, double w, double alpha, double beta);

// exp(c) erfc(sqrt(c)) for c >= 0, with its asymptotic series where exp(c) would spoil
// the product's accuracy (the areas of Gauss-Lorentz products need it).
double scaledErfc(double c);

// Areas in closed form.
double glpArea(double h, double F, double p);
double sglArea(double h, double F, double p);
double voigtArea(double h, double wg, double wl);

// Registry forms: x and p[1..4] = x0, h, width, fourth parameter.
double glpOf(double x, const double* p);
double sglOf(double x, const double* p);
double voigtOf(double x, const double* p);
// x and p[1..6] = x0, h, width, alpha, beta, m.
double laOf(double x, const double* p);

}  // namespace xyla::shapes
