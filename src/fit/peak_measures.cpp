#include "fit/peak_measures.h"

#include <cmath>
#include <complex>
#include <functional>

#include "fit/quadrature.h"
#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"
#include "shapes/shape_registry.h"
#include "shapes/xps_shapes.h"

namespace xyla::fit {

namespace {

constexpr double kPi = 3.14159265358979323846;

using shapes::scaledErfc;

// A primitive of cos(q atan v + phase) (1 + v^2)^(-q/2) with q = 1 - a: the real part of
// e^(i phase) i ((1 - i v)^a - 1) / a, written with expm1 so that a -> 0 tends to atan v.
double dsPrimitive(double v, double a, double phase) {
  const std::complex<double> L(0.5 * std::log1p(v * v), -std::atan(v));
  std::complex<double> E = L;
  if (a > 1e-30) {
    const std::complex<double> z = a * L;
    const double sy = std::sin(0.5 * z.imag());
    const std::complex<double> em1(std::expm1(z.real()) * std::cos(z.imag()) - 2.0 * sy * sy,
                                   std::exp(z.real()) * std::sin(z.imag()));
    E = em1 / a;
  }
  return (std::polar(1.0, phase) * std::complex<double>(0.0, 1.0) * E).real();
}

// Position of the largest value of f near x0 (within two widths): a grid, then a golden
// section around its best point.
double locateMaximum(const std::function<double(double)>& f, double x0, double w) {
  constexpr int kGrid = 80;
  const double step = 4.0 * w / kGrid;
  double best = x0, bestValue = f(x0);
  for (int i = 0; i <= kGrid; ++i) {
    const double x = x0 - 2.0 * w + i * step;
    const double v = f(x);
    if (v > bestValue) best = x, bestValue = v;
  }
  const double g = 0.5 * (std::sqrt(5.0) - 1.0);
  double a = best - step, b = best + step;
  double c = b - g * (b - a), d = a + g * (b - a);
  double fc = f(c), fd = f(d);
  for (int i = 0; i < 200 && b - a > 1e-13 * (std::fabs(best) + w); ++i) {
    if (fc > fd) {
      b = d, d = c, fd = fc;
      c = b - g * (b - a), fc = f(c);
    } else {
      a = c, c = d, fc = fd;
      d = a + g * (b - a), fd = f(d);
    }
  }
  const double x = 0.5 * (a + b);
  return f(x) >= bestValue ? x : best;
}

// Where f falls to `level` walking from xm in `direction`; NaN when it never does within
// a million widths.
double halfCrossing(const std::function<double(double)>& f, double xm, double w, int direction, double level) {
  double inside = xm, d = w / 16.0, outside = xm + direction * d;
  int steps = 0;
  while (f(outside) >= level) {
    if (++steps > 200 || d > 1e6 * w) return std::nan("");
    inside = outside;
    d *= 1.6;
    outside = xm + direction * d;
  }
  for (int i = 0; i < 200 && std::fabs(outside - inside) > 1e-14 * (std::fabs(xm) + w); ++i) {
    const double mid = 0.5 * (inside + outside);
    (f(mid) >= level ? inside : outside) = mid;
  }
  return 0.5 * (inside + outside);
}

// Area of the tailed line: the tail makes a kink at x0, so each side is integrated on
// its own, over a scale that follows the longer of the width and the tail.
double tailArea(const double* p) {
  auto f = [p](double x) { return shapes::tail(x, p[1], p[2], p[3], p[4], p[5]); };
  const double w = std::fabs(p[3]);
  const double tailSide = p[5] >= 0.0 ? -1.0 : 1.0;
  const double longScale = std::fmax(w, 10.0 * std::fabs(p[5]));
  double area = 0.0;
  for (int dir = -1; dir <= 1; dir += 2) {
    const QuadratureResult r = integrateTail(f, p[1], dir, dir == tailSide ? longScale : w);
    if (!r.ok) return std::nan("");
    area += r.value;
  }
  return area;
}

// Area of the unconvolved line `base` over lo..hi (DS) or everywhere (GL, ET).
double baseArea(int base, const double* p, double lo, double hi) {
  switch (base) {
    case shapes::kGaussLorentz: return galoArea(p[2], p[3], p[4]);
    case shapes::kDoniachSunjic: return dosuArea(p[1], p[2], p[3], p[4], lo, hi);
    case shapes::kTailed: return tailArea(p);
    case shapes::kGaussLorentzPercent:
      return shapes::glpArea(p[2], p[3], p[4]);
    case shapes::kSumGaussLorentz:
      return shapes::sglArea(p[2], p[3], p[4]);
    case shapes::kVoigt:
      return shapes::voigtArea(p[2], p[3], p[4]);
    default: return std::nan("");
  }
}

// Area of a convolved line: the model sums step * norm * weight_i * base(x + shift + t_i),
// so its area is that sum of the base line's areas over shifted windows.
double convolvedArea(int base, const double* p, const shapes::ConvolutionCache& c, double lo, double hi) {
  double factor = 0.0;
  for (double w : c.weights) factor += w;
  factor *= c.step * c.norm;
  if (base != shapes::kDoniachSunjic) return factor * baseArea(base, p, lo, hi);
  double sum = 0.0;
  for (std::size_t i = 0; i < c.weights.size(); ++i) {
    const double t = -c.range + static_cast<double>(i) * c.step + c.shift;
    sum += c.weights[i] * dosuArea(p[1], p[2], p[3], p[4], lo + t, hi + t);
  }
  return sum * c.step * c.norm;
}

// LA(alpha, beta, m): the maximum of the plain line is h at x0; a convolved one is found
// on the curve. The area is in closed form, which the convolution (its weights add up
// to 1) keeps.
PeakMeasure measureLa(int percent, const double* p) {
  PeakMeasure m;
  const double w = p[3];
  auto f = [&](double x) { return shapes::laLine(x, p[1], p[2], w, p[4], p[5], percent); };
  const double xm = percent == 0 ? p[1] : locateMaximum(f, p[1], w);
  m.height = f(xm);
  m.fwhm = halfCrossing(f, xm, w, +1, 0.5 * m.height) - halfCrossing(f, xm, w, -1, 0.5 * m.height);
  m.area = shapes::laArea(p[2], w, p[4], p[5]);
  m.ok = std::isfinite(m.fwhm) && m.fwhm > 0.0 && std::isfinite(m.area) && std::isfinite(m.height) && m.height > 0.0;
  return m;
}

}  // namespace

double galoArea(double h, double w, double m) {
  const double a = m < 0.0 ? 0.0 : m > 1.0 ? 1.0 : m;
  const double b = 1.0 - a;
  // In u = 2(x - x0)/w the line is h exp(-a u^2)/(1 + b u^2), whose integral is
  // pi exp(a/b) erfc(sqrt(a/b)) / sqrt(b), and sqrt(pi/a) for b = 0.
  const double integral = b <= 0.0 ? std::sqrt(kPi / a) : kPi * scaledErfc(a / b) / std::sqrt(b);
  return h * 0.5 * std::fabs(w) * integral;
}

double dosuArea(double x0, double h, double w, double alpha, double lo, double hi) {
  const shapes::DoniachSunjicConstants k(h, w, alpha);
  // v = s u with u = 2(x + shift - x0)/w; dx = (w/2) s dv.
  auto v = [&](double x) { return k.s * 2.0 * (x + k.shift - x0) / w; };
  return k.scale * 0.5 * w * k.s * (dsPrimitive(v(hi), k.a, k.phase) - dsPrimitive(v(lo), k.a, k.phase));
}

PeakMeasure measurePeak(int code, const double* p, double lo, double hi) {
  PeakMeasure m;
  const double w = p[3], h = p[2];
  if (code < 0 || !(w > 0.0) || !(h > 0.0) || !std::isfinite(w) || !std::isfinite(h) || !std::isfinite(p[1])) return m;
  if (shapes::isLaCode(code)) return measureLa(code - shapes::kAsymmetricLorentzian, p);
  const bool convolved = code >= 50 && std::fabs(p[5]) >= 1e-18;
  const int base = code >= 50 ? code - shapes::kConvolved : code;
  if (base < 0 || base >= shapes::kFitCodes) return m;
  shapes::ConvolutionCache cache;
  if (convolved) shapes::gconvl(p[1], p, code, 0, cache);
  std::function<double(double)> f = [&](double x) {
    return convolved ? shapes::gconvl(x, p, code, 1, cache) : shapes::dgslor(x, p, base);
  };
  // Gauss-Lorentz and tailed lines have their maximum h at x0 exactly.
  const bool exactTop = !convolved && base != shapes::kDoniachSunjic;
  const double xm = exactTop ? p[1] : locateMaximum(f, p[1], w);
  m.height = exactTop ? h : f(xm);
  const double right = halfCrossing(f, xm, w, +1, 0.5 * m.height);
  const double left = halfCrossing(f, xm, w, -1, 0.5 * m.height);
  m.fwhm = right - left;
  m.windowed = base == shapes::kDoniachSunjic;
  if (m.windowed && !(lo < hi)) return m;
  m.area = convolved ? convolvedArea(base, p, cache, lo, hi) : baseArea(base, p, lo, hi);
  m.ok = std::isfinite(m.fwhm) && m.fwhm > 0.0 && std::isfinite(m.area) && std::isfinite(m.height) && m.height > 0.0;
  return m;
}

}  // namespace xyla::fit
