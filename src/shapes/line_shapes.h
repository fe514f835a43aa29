#pragma once

// Peak line shapes of the curve fit and the expression language. Pure functions of their
// arguments; x, x0 and widths share one unit (for XPS: eV).
namespace xyla::shapes {

// Gaussian of height h at x0 with full width at half maximum w.
double gau(double x, double x0, double h, double w);
// Lorentzian of height h at x0 with full width at half maximum w.
double lor(double x, double x0, double h, double w);
// Gauss-Lorentz product with mixing m (clamped to 0..1): m = 0 is a Lorentzian of full
// width w, m = 1 the Gaussian exp(-4(x-x0)^2/w^2).
double galo(double x, double x0, double h, double w, double m);
// galo with an exponential tail of length 10|t| towards lower x (t > 0) or higher x (t < 0).
double tail(double x, double x0, double h, double w, double m, double t);
// The gamma function: sign of Gamma(x) times exp(lgamma(x)).
double dgamma(double x);
// Doniach-Sunjic metal line with asymmetry alpha (|alpha| clipped to 0.5), maximum at x0.
double dosu(double x, double x0, double h, double w, double alpha);

// The shapes above in the registry's form: x and the parameters p[1..] (p[0] unused).
// Defined beside the shapes so each inlines its shape.
double gauOf(double x, const double* p);
double lorOf(double x, const double* p);
double galoOf(double x, const double* p);
double tailOf(double x, const double* p);
double dosuOf(double x, const double* p);

// dosu with its parameters fixed, for evaluating one line at many points: the constants
// that depend only on the parameters are computed once.
class DoniachSunjic {
 public:
  DoniachSunjic(double x0, double h, double w, double alpha);
  double operator()(double x) const;

 private:
  double x0_, w_, s_, phase_, q_, shift_, scale_;
};

}  // namespace xyla::shapes
