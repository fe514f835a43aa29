#include "shapes/xps_shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The Voigt function of libcerf: the convolution of a normalised Gaussian of standard
// deviation sigma and a normalised Lorentzian of half width gamma, at offset x. Declared
// here rather than through its header, which needs C99 complex numbers.
extern "C" double voigt(double x, double sigma, double gamma);

namespace xyla::shapes {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;

double fraction(double p) { return std::clamp(p, 0.0, 100.0) / 100.0; }

// Standard deviation and half width of the two parts of a Voigt line.
double sigmaOf(double wg) { return std::fabs(wg) / (2.0 * std::sqrt(2.0 * kLn2)); }
double gammaOf(double wl) { return 0.5 * std::fabs(wl); }

// The convolution of laLine: offsets out to this many standard deviations, at most this
// many of them.
constexpr double kLaReach = 5.0;
constexpr int kLaMaxOffsets = 4001;

// The line before the convolution.
double laBase(double x, double x0, double h, double w, double alpha, double beta) {
  const double u = 2.0 * (x - x0) / w;
  return h * std::exp(-(x > x0 ? alpha : beta) * std::log1p(u * u));
}

// Step of the convolution's offsets: a sixth of the smaller of the Gaussian's standard
// deviation and the line's half width.
double laStep(double sigma, double w) { return std::min(sigma, 0.5 * std::fabs(w)) / 6.0; }

}  // namespace

int laOffsets(double m) {
  if (!(m > 0.0)) return 1;
  const double sigma = m / 100.0 / (2.0 * std::sqrt(2.0 * kLn2));  // per unit width
  const double half = std::ceil(kLaReach * sigma / laStep(sigma, 1.0));
  return static_cast<int>(std::min<double>(2.0 * half + 1.0, kLaMaxOffsets));
}

double laLine(double x, double x0, double h, double w, double alpha, double beta, double m) {
  if (!(m > 0.0) || w == 0.0) return laBase(x, x0, h, w, alpha, beta);
  const double sigma = sigmaOf(m / 100.0 * w);
  const int n = laOffsets(m);
  const int half = n / 2;
  const double step = kLaReach * sigma / half;
  double sum = 0.0, weights = 0.0;
  for (int j = -half; j <= half; ++j) {
    const double t = j * step;
    const double g = std::exp(-0.5 * (t / sigma) * (t / sigma));
    weights += g;
    sum += g * laBase(x - t, x0, h, w, alpha, beta);
  }
  return sum / weights;
}

double laArea(double h, double w, double alpha, double beta) {
  if (!(alpha > 0.5) || !(beta > 0.5)) return std::numeric_limits<double>::infinity();
  auto side = [](double e) { return std::exp(std::lgamma(e - 0.5) - std::lgamma(e)); };
  return h * 0.5 * std::fabs(w) * 0.5 * std::sqrt(kPi) * (side(alpha) + side(beta));
}

double scaledErfc(double c) {
  if (c <= 100.0) return std::exp(c) * std::erfc(std::sqrt(c));
  const double x2 = 2.0 * c;
  double term = 1.0, sum = 1.0;
  for (int k = 1; k <= 12; ++k) {
    term *= -(2.0 * k - 1.0) / x2;
    sum += term;
  }
  return sum / std::sqrt(kPi * c);
}

double glp(double x, double x0, double h, double F, double p) {
  const double eta = fraction(p);
  const double u = (x - x0) / F;
  return h * std::exp(-4.0 * kLn2 * (1.0 - eta) * u * u) / (1.0 + 4.0 * eta * u * u);
}

double sgl(double x, double x0, double h, double F, double p) {
  const double eta = fraction(p);
  const double u = (x - x0) / F;
  return h * ((1.0 - eta) * std::exp(-4.0 * kLn2 * u * u) + eta / (1.0 + 4.0 * u * u));
}

double voigtLine(double x, double x0, double h, double wg, double wl) {
  const double s = sigmaOf(wg), g = gammaOf(wl);
  if (s == 0.0 && g == 0.0) return x == x0 ? h : 0.0;
  return h * voigt(x - x0, s, g) / voigt(0.0, s, g);
}

double glpArea(double h, double F, double p) {
  // In u = (x - x0)/F: exp(-a u^2)/(1 + b u^2) integrates to pi e^(a/b) erfc(sqrt(a/b))/sqrt(b).
  const double eta = fraction(p);
  const double a = 4.0 * kLn2 * (1.0 - eta), b = 4.0 * eta;
  const double integral = b <= 0.0   ? std::sqrt(kPi / a)
                          : a <= 0.0 ? kPi / std::sqrt(b)
                                     : kPi * scaledErfc(a / b) / std::sqrt(b);
  return h * std::fabs(F) * integral;
}

double sglArea(double h, double F, double p) {
  const double eta = fraction(p);
  return h * std::fabs(F) * ((1.0 - eta) * 0.5 * std::sqrt(kPi / kLn2) + eta * 0.5 * kPi);
}

double voigtArea(double h, double wg, double wl) {
  const double s = sigmaOf(wg), g = gammaOf(wl);
  if (s == 0.0 && g == 0.0) return 0.0;
  return h / voigt(0.0, s, g);  // the profile itself has area 1
}

double glpOf(double x, const double* p) { return glp(x, p[1], p[2], p[3], p[4]); }
double sglOf(double x, const double* p) { return sgl(x, p[1], p[2], p[3], p[4]); }
double voigtOf(double x, const double* p) { return voigtLine(x, p[1], p[2], p[3], p[4]); }
double laOf(double x, const double* p) { return laLine(x, p[1], p[2], p[3], p[4], p[5], p[6]); }

}  // namespace xyla::shapes
