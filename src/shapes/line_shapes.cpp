#include "shapes/line_shapes.h"

#include <cmath>

namespace xyla::shapes {

double gau(double x, double x0, double h, double w) {
  const double u = (x - x0) / w;
  return h * std::exp(-4.0 * std::log(2.0) * u * u);
}

double lor(double x, double x0, double h, double w) {
  const double u = (x - x0) / w;
  return h / (1.0 + 4.0 * u * u);
}

double galo(double x, double x0, double h, double w, double m) {
  double a = m, b = 1.0 - m;
  if (m < 0.0) {
    a = 0.0;
    b = 1.0;
  } else if (m > 1.0) {
    a = 1.0;
    b = 0.0;
  }
  const double u = 2.0 * (x - x0) / w;
  return h * std::exp(-a * u * u) / (1.0 + b * u * u);
}

double tail(double x, double x0, double h, double w, double m, double t) {
  const double g = galo(x, x0, h, w, m);
  if (std::fabs(t) < 1e-18) return g;
  const double d = (x0 - x) * (t >= 0.0 ? 1.0 : -1.0);
  if (d < 0.0) return g;
  return g + (h - g) * std::exp(-std::fabs(0.1 * d / t));
}

double dgamma(double x) {
  int sign = 1;
  const double l = lgamma_r(x, &sign);
  return sign * std::exp(l);
}

DoniachSunjic::DoniachSunjic(double x0, double h, double w, double alpha) : x0_(x0), w_(w) {
  // The phase and amplitude constants are the historical ones of this line shape
  // (3.14 and 1.57 rather than pi and pi/2); fitted results depend on them.
  s_ = alpha >= 0.0 ? 1.0 : -1.0;
  double a = std::fabs(alpha);
  double amp;
  if (a > 0.5) {
    a = 0.5;
    phase_ = 0.785;
    amp = 1.0 - 0.299234;
  } else {
    phase_ = 1.57 * a;
    amp = 1.0 - 0.598468 * a;
  }
  q_ = 1.0 - a;
  shift_ = a > 1e-30 ? 0.5 * s_ * w / std::tan(3.14 / (2.0 - a)) : 0.0;
  scale_ = dgamma(q_) * amp * h;
}

double DoniachSunjic::operator()(double x) const {
  const double u = 2.0 * (x + shift_ - x0_) / w_;
  return std::cos(q_ * std::atan(s_ * u) + phase_) * scale_ * std::pow(1.0 / (1.0 + u * u), q_ / 2.0);
}

double dosu(double x, double x0, double h, double w, double alpha) { return DoniachSunjic(x0, h, w, alpha)(x); }

double gauOf(double x, const double* p) { return gau(x, p[1], p[2], p[3]); }
double lorOf(double x, const double* p) { return lor(x, p[1], p[2], p[3]); }
double galoOf(double x, const double* p) { return galo(x, p[1], p[2], p[3], p[4]); }
double tailOf(double x, const double* p) { return tail(x, p[1], p[2], p[3], p[4], p[5]); }
double dosuOf(double x, const double* p) { return dosu(x, p[1], p[2], p[3], p[4]); }

}  // namespace xyla::shapes
