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

}  // namespace xyla::shapes
