#pragma once

#include <string>
#include <vector>

namespace xyla::splinefit {

// How the smoothing is chosen.
enum class Criterion {
  Gcv,               // generalized cross-validation: the noise level is unknown
  KnownVariance,     // the noise variance is known: minimise the unbiased risk estimate
  DegreesOfFreedom,  // the trace of the influence matrix is prescribed
  Fixed,             // the smoothing length is prescribed
};

// The models of serially correlated noise, rho(d) for a lag d and correlation length xi.
enum class Correlation { Exponential = 1, Gaussian = 2, Triangular = 3, Cauchy = 4 };

struct FitOptions {
  int m = 2;  // half order: the spline has degree 2m - 1 and penalises the m-th derivative
  Criterion criterion = Criterion::Gcv;
  double variance = 0.0;    // KnownVariance: the noise variance in weight units (w = 1/sigma^2 gives 1)
  double dof = 0.0;         // DegreesOfFreedom
  double ksi = 0.0;         // Fixed: the smoothing length in X units
  bool correlated = false;  // allow for serially correlated noise (estimated from the residuals)
  Correlation correlation = Correlation::Exponential;
  double dx = 1.0;  // mean spacing of the whole input, the unit of the smoothing length
};

// The fitted spline as a piecewise polynomial: on [x[i], x[i+1]) the value is
// sum_k taylor[i][k] t^k with t = (X - x[i]) / dx. Left of x[0] and right of the last
// knot only the terms k < m count (the natural spline is a polynomial of degree m - 1
// there).
struct Piecewise {
  int m = 2;
  double dx = 1.0;
  std::vector<double> x;
  std::vector<std::vector<double>> taylor;
};

struct FitResult {
  bool ok = false;           // a spline was computed
  Piecewise spline;
  std::vector<double> fitX;  // the points used (after exclusion, equal X merged)
  std::vector<double> fitted;
  double rms = 0.0;        // residual rms corrected for the degrees of freedom of the fit
  double dws = 0.0;        // Durbin-Watson statistic of the residuals
  double ksi = 0.0;        // smoothing length: the width of the spline's equivalent kernel
  double acf = 0.0;        // lag-one autocorrelation of the residuals
  double traceH = 0.0;     // degrees of freedom of the fit
  double noiseXi = 0.0;    // estimated correlation length of the noise (correlated mode)
  int dwi = 0;             // the Durbin-Watson statistic contradicts the noise model
  int ngf = 0;             // the result is almost certainly wrong
  std::string note;        // why ngf is set
};

// Fits a natural smoothing spline of degree 2m - 1 to (x, y) with weights w (x in
// ascending order; equal X values are merged): minimises
//   sum w_i (y_i - s(x_i))^2 + lambda * integral s^(m)(x)^2 dx
// with the smoothing parameter chosen by the criterion (Woltring 1986; the band
// algorithm of Hutchinson and de Hoog 1985 for the trace of the influence matrix).
FitResult fitSmoothingSpline(const std::vector<double>& x, const std::vector<double>& y, std::vector<double> w,
                             const FitOptions& options);

// Value of the spline at X; `derivative`, when given, receives dS/dX.
double evaluate(const Piecewise& s, double x, double* derivative = nullptr);
// Integral of the spline from a to b.
double integrate(const Piecewise& s, double a, double b);
// rho(d) of a correlation model (xi <= 0: white noise, rho = 0 for d > 0).
double correlationAt(Correlation f, double d, double xi);

// Minima and maxima of the spline inside [a, b]: places where the derivative changes
// sign, found on a grid of `perInterval` samples per knot interval and refined by
// bisection.
struct Extrema {
  std::vector<double> minX, minY, maxX, maxY;
};
Extrema findExtrema(const Piecewise& s, double a, double b, int perInterval = 8);

// The spline file handed from spline2 to evalsp: "xyla-spline 1", then "m n dx xmin
// xmax" (xmin, xmax: the range of the whole input), then one line per knot: x and the
// 2m Taylor coefficients, all with 17 digits.
std::string writeSplineFile(const Piecewise& s, double xmin, double xmax);
bool readSplineFile(const std::string& text, Piecewise& s, double& xmin, double& xmax);

}  // namespace xyla::splinefit
