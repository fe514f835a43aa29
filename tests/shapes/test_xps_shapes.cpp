// The line shapes in the Lorentzian-percentage conventions and the Voigt profile,
// against their limiting cases, closed forms computed another way, and quadrature.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "shapes/line_shapes.h"
#include "shapes/xps_shapes.h"

namespace xyla::shapes {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The integral over the whole line of f (centred at 0, width about F) by Simpson's rule
// in x = F tan(theta), which takes even Lorentzian tails to a finite interval.
double wholeArea(const std::function<double(double)>& f, double F) {
  // Lorentzian tails leave the integrand finite at the ends: they are taken just inside.
  const int n = 200000;
  const double end = kPi / 2 - 1e-9, h = 2 * end / n;
  auto g = [&](double t) {
    const double c = std::cos(t);
    return f(F * std::tan(t)) * F / (c * c);
  };
  double sum = g(-end) + g(end);
  for (int i = 1; i < n; ++i) sum += (i % 2 ? 4.0 : 2.0) * g(-end + i * h);
  return sum * h / 3.0;
}

// Where f (maximum at 0, falling on both sides) is half of f(0), right minus left.
double fwhmOf(const std::function<double(double)>& f, double F) {
  auto crossing = [&](double dir) {
    double in = 0.0, out = dir * 10.0 * F;
    for (int i = 0; i < 200; ++i) {
      const double mid = 0.5 * (in + out);
      (f(mid) >= 0.5 * f(0.0) ? in : out) = mid;
    }
    return in;
  };
  return crossing(1.0) - crossing(-1.0);
}

TEST(XpsShapes, LimitsAreTheGaussianAndTheLorentzian) {
  struct Case {
    const char* name;
    std::function<double(double)> shape, reference;
  };
  const double x0 = 284.8, h = 1000, F = 1.3;
  const Case cases[] = {
      {"GL(0)", [&](double x) { return glp(x, x0, h, F, 0); }, [&](double x) { return gau(x, x0, h, F); }},
      {"GL(100)", [&](double x) { return glp(x, x0, h, F, 100); }, [&](double x) { return lor(x, x0, h, F); }},
      {"GL(-5) clamps", [&](double x) { return glp(x, x0, h, F, -5); }, [&](double x) { return gau(x, x0, h, F); }},
      {"SGL(0)", [&](double x) { return sgl(x, x0, h, F, 0); }, [&](double x) { return gau(x, x0, h, F); }},
      {"SGL(100)", [&](double x) { return sgl(x, x0, h, F, 100); }, [&](double x) { return lor(x, x0, h, F); }},
      {"Voigt without Lorentzian", [&](double x) { return voigtLine(x, x0, h, F, 0); },
       [&](double x) { return gau(x, x0, h, F); }},
      {"Voigt without Gaussian", [&](double x) { return voigtLine(x, x0, h, 0, F); },
       [&](double x) { return lor(x, x0, h, F); }},
      {"SGL(40) is the weighted sum", [&](double x) { return sgl(x, x0, h, F, 40); },
       [&](double x) { return 0.6 * gau(x, x0, h, F) + 0.4 * lor(x, x0, h, F); }},
  };
  for (const Case& c : cases)
    for (double x = x0 - 3 * F; x <= x0 + 3 * F; x += 0.1 * F)
      EXPECT_NEAR(c.shape(x), c.reference(x), 1e-9 * h) << c.name << " at " << x;
}

// The Voigt maximum in closed form: V(0) = erfcx(gamma/(sigma sqrt 2))/(sigma sqrt(2 pi)),
// so the area of a line of height h is h / V(0); its FWHM follows the Olivero-Longbothum
// approximation to its stated 0.02 %.
TEST(XpsShapes, VoigtAgainstClosedFormsAndQuadrature) {
  const double pairs[][2] = {{1.0, 0.2}, {0.8, 0.8}, {0.3, 1.5}, {2.0, 0.05}};
  for (const auto& pr : pairs) {
    const double wg = pr[0], wl = pr[1], h = 250.0;
    const double sigma = wg / (2 * std::sqrt(2 * std::log(2.0))), gamma = wl / 2;
    const double z = gamma / (sigma * std::sqrt(2.0));
    const double peak = std::exp(z * z) * std::erfc(z) / (sigma * std::sqrt(2 * kPi));
    EXPECT_NEAR(voigtArea(h, wg, wl), h / peak, 1e-9 * h / peak) << wg << " " << wl;
    auto f = [&](double x) { return voigtLine(x, 0.0, h, wg, wl); };
    EXPECT_NEAR(wholeArea(f, wg + wl), voigtArea(h, wg, wl), 1e-7 * voigtArea(h, wg, wl)) << wg << " " << wl;
    const double approx = 0.5346 * wl + std::sqrt(0.2166 * wl * wl + wg * wg);
    EXPECT_NEAR(fwhmOf(f, wg + wl), approx, 2.5e-4 * approx) << wg << " " << wl;
  }
}

TEST(XpsShapes, AreasMatchQuadratureAndWidthsTheirDefinition) {
  for (double p : {0.0, 10.0, 30.0, 50.0, 90.0, 100.0}) {
    const double F = 1.4, h = 80;
    auto product = [&](double x) { return glp(x, 0.0, h, F, p); };
    auto sum = [&](double x) { return sgl(x, 0.0, h, F, p); };
    EXPECT_NEAR(wholeArea(product, F), glpArea(h, F, p), 1e-7 * glpArea(h, F, p)) << p;
    EXPECT_NEAR(wholeArea(sum, F), sglArea(h, F, p), 1e-7 * sglArea(h, F, p)) << p;
    // The sum form keeps its FWHM at F for every p; the product form only at the ends.
    EXPECT_NEAR(fwhmOf(sum, F), F, 1e-9) << p;
    if (p == 0.0 || p == 100.0) {
      EXPECT_NEAR(fwhmOf(product, F), F, 1e-9) << p;
    } else {
      EXPECT_LT(fwhmOf(product, F), F) << p;
    }
  }
}

// LA(alpha, beta, m): its exponents on their sides, its area in closed form against
// Simpson's rule over the whole line (the convolved line as evaluated), and its FWHM
// measured where the plain line's is known: 2 sqrt(2^(1/e) - 1) (w/2) per side. The
// exponents stay from 1 up: slower tails defeat the quadrature of the reference.
TEST(XpsShapes, AsymmetricLorentzianAreaAndSides) {
  const struct {
    double alpha, beta, m;
  } cases[] = {{1.0, 1.0, 0},  {1.5, 2.5, 0},   {2.5, 1.5, 0},   {1.05, 3.0, 0},
               {1.5, 2.5, 50}, {1.1, 2.4, 200}, {1.0, 1.0, 400}, {3.0, 1.2, 25}};
  const double x0 = 33.5, h = 700, w = 0.9;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.alpha << " " << c.beta << " " << c.m);
    auto f = [&](double x) { return laLine(x0 + x, x0, h, w, c.alpha, c.beta, c.m); };
    const double area = laArea(h, w, c.alpha, c.beta);
    EXPECT_NEAR(wholeArea(f, w), area, 1e-5 * area);
    if (c.m > 0) continue;
    // alpha on the larger-X side, beta on the smaller.
    EXPECT_DOUBLE_EQ(f(0.0), h);
    EXPECT_NEAR(f(w / 2), h * std::pow(2.0, -c.alpha), 1e-12 * h);
    EXPECT_NEAR(f(-w / 2), h * std::pow(2.0, -c.beta), 1e-12 * h);
    auto half = [&](double e) { return w / 2 * std::sqrt(std::pow(2.0, 1.0 / e) - 1.0); };
    EXPECT_NEAR(fwhmOf(f, w), half(c.alpha) + half(c.beta), 1e-9);
  }
  // Exponents of 1/2 or less have no finite area.
  EXPECT_TRUE(std::isinf(laArea(h, w, 0.5, 2.0)));
  EXPECT_TRUE(std::isinf(laArea(h, w, 2.0, 0.3)));
}

// LA(1, 1, m) is the Lorentzian of FWHM w convolved with a Gaussian of FWHM m/100 w: a
// Voigt profile (libcerf's Faddeeva function) of the Lorentzian's area h pi w / 2.
TEST(XpsShapes, SymmetricLaIsTheVoigtProfile) {
  const double h = 500, w = 1.2;
  for (double m : {10.0, 50.0, 120.0, 400.0}) {
    const double wg = m / 100 * w;
    const double heightOfVoigt = h * kPi * w / 2 / voigtArea(1.0, wg, w);
    for (double x = -4 * w; x <= 4 * w; x += 0.05 * w)
      EXPECT_NEAR(laLine(x, 0.0, h, w, 1.0, 1.0, m), voigtLine(x, 0.0, heightOfVoigt, wg, w), 1e-4 * heightOfVoigt)
          << m << " at " << x;
  }
}

}  // namespace
}  // namespace xyla::shapes
