// Areas and widths measured on peak curves, against closed forms of the Gaussian and
// the Lorentzian and against slow fine-grid sums of the same line shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "fit/peak_measures.h"
#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"

namespace xyla::fit {
namespace {

const double kPi = std::acos(-1.0);

// Trapezoid sum of f over [a, b] with n intervals: slow, but independent of the code.
double fineSum(const std::function<double(double)>& f, double a, double b, int n = 400000) {
  const double h = (b - a) / n;
  double s = 0.5 * (f(a) + f(b));
  for (int i = 1; i < n; ++i) s += f(a + i * h);
  return s * h;
}

struct Case {
  const char* name;
  int code;
  double p[6];
  double lo, hi;                               // window (used by DS lines only)
  std::function<double(const double*)> area;   // expected area
  std::function<double(const double*)> fwhm;   // expected FWHM (null: measured by a fine search)
};

// Full width at half maximum by a fine scan of the curve: slow and independent.
double scannedFwhm(int code, const double* p) {
  shapes::ConvolutionCache cache;
  auto f = [&](double x) { return code > 50 ? shapes::gconvl(x, p, code, 1, cache) : shapes::dgslor(x, p, code); };
  if (code > 50) shapes::gconvl(p[1], p, code, 0, cache);
  double top = 0.0;
  for (double x = p[1] - 3 * p[3]; x <= p[1] + 3 * p[3]; x += 1e-5 * p[3]) top = std::max(top, f(x));
  double left = p[1], right = p[1];
  while (f(left) >= top / 2) left -= 1e-6 * p[3];
  while (f(right) >= top / 2) right += 1e-6 * p[3];
  return right - left;
}

TEST(PeakMeasures, AreasAndWidthsMatchIndependentReferences) {
  const Case cases[] = {
      // GL with mixing 1 is exp(-4 x^2/w^2): a Gaussian of sigma w/(2 sqrt 2).
      {"gaussian",
       0,
       {0, 10, 3, 2, 1, 0},
       0,
       0,
       [](const double* p) { return p[2] * p[3] / (2 * std::sqrt(2.0)) * std::sqrt(2 * kPi); },
       [](const double* p) { return p[3] * std::sqrt(std::log(2.0)); }},
      {"lorentzian",
       0,
       {0, 284, 100, 1.5, 0, 0},
       0,
       0,
       [](const double* p) { return p[2] * kPi * p[3] / 2; },
       [](const double* p) { return p[3]; }},
      {"mixed",
       0,
       {0, 5, 7, 0.8, 0.3, 0},
       0,
       0,
       [](const double* p) {
         return fineSum([p](double x) { return shapes::galo(x, p[1], p[2], p[3], p[4]); }, -45, 55, 200000);
       },
       nullptr},
      // DS without asymmetry is a Lorentzian: its area over a window is an arctangent.
      {"ds symmetric",
       1,
       {0, 30, 50, 1, 0, 0},
       25,
       36,
       [](const double* p) { return p[2] * p[3] / 2 * (std::atan(2 * 6 / p[3]) + std::atan(2 * 5 / p[3])); },
       [](const double* p) { return p[3]; }},
      {"ds asymmetric",
       1,
       {0, 31.4, 80, 0.6, 0.15, 0},
       26,
       40,
       [](const double* p) {
         return fineSum([p](double x) { return shapes::dosu(x, p[1], p[2], p[3], p[4]); }, 26, 40);
       },
       nullptr},
      // Tail towards higher X, asymmetry beyond the clip at 0.5.
      {"ds clipped",
       1,
       {0, 31.4, 80, 0.6, -0.7, 0},
       26,
       40,
       [](const double* p) {
         return fineSum([p](double x) { return shapes::dosu(x, p[1], p[2], p[3], p[4]); }, 26, 40);
       },
       nullptr},
      {"tailed",
       2,
       {0, 50, 20, 1.2, 0.4, 0.3},
       0,
       0,
       [](const double* p) {
         return fineSum([p](double x) { return shapes::tail(x, p[1], p[2], p[3], p[4], p[5]); }, 0, 100, 400000);
       },
       nullptr},
      {"gl convolved",
       100,
       {0, 20, 5, 1, 0.5, 0.7},
       0,
       0,
       [](const double* p) {
         shapes::ConvolutionCache c;
         shapes::gconvl(p[1], p, 100, 0, c);
         return fineSum([&](double x) { return shapes::gconvl(x, p, 100, 1, c); }, -80, 120, 100000);
       },
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PeakMeasure m = measurePeak(c.code, c.p, c.lo, c.hi);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.windowed, c.code % 100 == 1);
    EXPECT_NEAR(m.area, c.area(c.p), 1e-7 * std::fabs(c.area(c.p)));
    const double w = c.fwhm ? c.fwhm(c.p) : scannedFwhm(c.code, c.p);
    EXPECT_NEAR(m.fwhm, w, c.fwhm ? 1e-9 * w : 1e-5 * w);
  }
}

TEST(PeakMeasures, GaussLorentzAreaHoldsOverTheWholeMixingRange) {
  // The closed form switches to its asymptotic series near the Gaussian end.
  for (double m : {0.2, 0.5, 0.9, 0.99, 0.999, 1.0}) {
    SCOPED_TRACE(m);
    const double sum = fineSum([m](double x) { return shapes::galo(x, 0, 1, 1, m); }, -60, 60, 200000);
    EXPECT_NEAR(galoArea(1, 1, m), sum, 1e-7 * sum);
  }
}

TEST(PeakMeasures, RefusesWhatHasNoArea) {
  const double zeroWidth[6] = {0, 1, 1, 0, 0.5, 0};
  const double negativeHeight[6] = {0, 1, -1, 1, 0.5, 0};
  const double fine[6] = {0, 1, 1, 1, 0.5, 0};
  EXPECT_FALSE(measurePeak(0, zeroWidth, 0, 2).ok);
  EXPECT_FALSE(measurePeak(0, negativeHeight, 0, 2).ok);
  EXPECT_FALSE(measurePeak(-1, fine, 0, 2).ok);  // user functions
  EXPECT_FALSE(measurePeak(1, fine, 2, 2).ok);   // a DS line without a window
  EXPECT_TRUE(measurePeak(0, fine, 0, 2).ok);
}

}  // namespace
}  // namespace xyla::fit
