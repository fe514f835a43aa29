#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "smoothing_spline.h"

namespace xyla::test {
namespace {

namespace sf = splinefit;

// y = A sin(2 pi x / P) on n points with spacing dx, plus noise: Gaussian white noise of
// sigma, or AR(1) noise with lag-one correlation phi and the same marginal sigma.
struct Signal {
  std::vector<double> x, y, truth, slope, w;
};
Signal noisySine(int n, double dx, double sigma, double phi = 0.0, unsigned seed = 7) {
  Signal s;
  std::mt19937 gen(seed);
  std::normal_distribution<double> g(0.0, sigma * std::sqrt(1 - phi * phi));
  double e = std::normal_distribution<double>(0.0, sigma)(gen);
  const double P = 2.0, k = 2 * M_PI / P;
  for (int i = 0; i < n; ++i) {
    const double x = i * dx;
    e = phi * e + g(gen);
    s.x.push_back(x);
    s.truth.push_back(std::sin(k * x));
    s.slope.push_back(k * std::cos(k * x));
    s.y.push_back(s.truth.back() + e);
    s.w.push_back(1.0);
  }
  return s;
}

// Largest deviation of the spline (value or slope) from the truth, away from the ends.
double worst(const sf::FitResult& r, const Signal& s, bool slope) {
  double m = 0;
  const std::size_t n = s.x.size();
  for (std::size_t i = n / 10; i < n - n / 10; ++i) {
    double d = 0;
    const double v = sf::evaluate(r.spline, s.x[i] + 0.3 * (s.x[1] - s.x[0]), &d);
    const double xm = s.x[i] + 0.3 * (s.x[1] - s.x[0]);
    const double t = slope ? 2 * M_PI / 2.0 * std::cos(M_PI * xm) : std::sin(M_PI * xm);
    m = std::max(m, std::fabs((slope ? d : v) - t));
  }
  return m;
}

TEST(SmoothingSpline, CrossValidationRecoversNoiseAndCurveForEachOrder) {
  // Orders 2 (linear) to 8; the derivative is checked from the cubic spline on.
  const Signal s = noisySine(2000, 0.005, 0.1);
  struct Case {
    int m;
    double curve, slope, joint;  // joint: how well the slopes meet at the knots
  } cases[] = {{1, 0.08, 0, 0}, {2, 0.05, 0.5, 1e-9}, {3, 0.05, 0.5, 1e-6}, {4, 0.05, 0.5, 2e-3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.m);
    sf::FitOptions o;
    o.m = c.m;
    o.dx = 0.005;
    const sf::FitResult r = sf::fitSmoothingSpline(s.x, s.y, s.w, o);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.ngf, 0);
    EXPECT_NEAR(r.rms, 0.1, 0.006);
    EXPECT_NEAR(r.dws, 2.0, 0.25);
    EXPECT_LT(worst(r, s, false), c.curve);
    if (c.slope > 0) {
      EXPECT_LT(worst(r, s, true), c.slope);
    }
    // At every knot the value is the fitted one and the slope is continuous.
    for (std::size_t i = 1; i + 1 < s.x.size(); i += 97) {
      double left = 0, right = 0;
      EXPECT_NEAR(sf::evaluate(r.spline, s.x[i], &right), r.fitted[i], 1e-9);
      sf::evaluate(r.spline, std::nextafter(s.x[i], -1.0), &left);
      if (c.m > 1) {
      EXPECT_NEAR(left, right, c.joint);
    }
    }
  }
}

TEST(SmoothingSpline, CriteriaTable) {
  const Signal s = noisySine(1000, 0.01, 0.1);
  struct Case {
    sf::Criterion criterion;
    double variance, dof, ksi;
  } cases[] = {
      {sf::Criterion::KnownVariance, 0.01, 0, 0},
      {sf::Criterion::DegreesOfFreedom, 0, 25, 0},
      {sf::Criterion::Fixed, 0, 0, 0.1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.criterion));
    sf::FitOptions o;
    o.dx = 0.01;
    o.criterion = c.criterion;
    o.variance = c.variance;
    o.dof = c.dof;
    o.ksi = c.ksi;
    const sf::FitResult r = sf::fitSmoothingSpline(s.x, s.y, s.w, o);
    ASSERT_TRUE(r.ok);
    EXPECT_LT(worst(r, s, false), 0.08);
    if (c.criterion == sf::Criterion::DegreesOfFreedom) {
      EXPECT_NEAR(r.traceH, 25, 0.01);
    }
    if (c.criterion == sf::Criterion::Fixed) {
      EXPECT_NEAR(r.ksi, 0.1, 1e-9);
    }
  }
}

TEST(SmoothingSpline, CorrelatedNoiseIsNotFittedWhenAllowedFor) {
  const Signal s = noisySine(2000, 0.005, 0.1, 0.8);
  sf::FitOptions o;
  o.dx = 0.005;
  const sf::FitResult white = sf::fitSmoothingSpline(s.x, s.y, s.w, o);
  o.correlated = true;
  const sf::FitResult corr = sf::fitSmoothingSpline(s.x, s.y, s.w, o);
  ASSERT_TRUE(white.ok && corr.ok);
  // Cross-validation that takes correlated noise for signal follows it; allowing for the
  // correlation smooths more and comes closer to the truth.
  EXPECT_GT(corr.ksi, 2 * white.ksi);
  EXPECT_LT(worst(corr, s, false), worst(white, s, false));
  EXPECT_NEAR(corr.noiseXi, -0.005 / std::log(0.8), 0.01);
  EXPECT_EQ(corr.dwi, 0) << corr.dws;
}

TEST(SmoothingSpline, StraightLinesStayStraightAndAreaIsExact) {
  // Heavy smoothing of a line gives the line; its integral is exact.
  std::vector<double> x, y, w;
  for (int i = 0; i < 50; ++i) x.push_back(i * 0.3 + 0.01 * (i % 3)), y.push_back(2 * x.back() - 1), w.push_back(1);
  for (int m : {1, 2, 3}) {
    sf::FitOptions o;
    o.m = m;
    o.dx = (x.back() - x.front()) / 49;
    const sf::FitResult r = sf::fitSmoothingSpline(x, y, w, o);
    ASSERT_TRUE(r.ok);
    double d = 0;
    EXPECT_NEAR(sf::evaluate(r.spline, 5.05, &d), 9.1, 1e-6);
    EXPECT_NEAR(d, 2, 1e-6);
    EXPECT_NEAR(sf::integrate(r.spline, 0, 10), 90, 1e-5);
  }
}

TEST(SmoothingSpline, ExtremaOfASineAndFileRoundTrip) {
  const Signal s = noisySine(1000, 0.01, 0.02);
  sf::FitOptions o;
  o.dx = 0.01;
  const sf::FitResult r = sf::fitSmoothingSpline(s.x, s.y, s.w, o);
  const sf::Extrema e = sf::findExtrema(r.spline, 0, 9.99);
  ASSERT_EQ(e.maxX.size(), 5u);
  ASSERT_EQ(e.minX.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_NEAR(e.maxX[i], 0.5 + 2.0 * i, 0.05);
    EXPECT_NEAR(e.minY[i], -1, 0.03);
  }
  sf::Piecewise back;
  double a = 0, b = 0;
  ASSERT_TRUE(sf::readSplineFile(sf::writeSplineFile(r.spline, 0, 9.99), back, a, b));
  EXPECT_EQ(b, 9.99);
  EXPECT_EQ(sf::evaluate(back, 3.3333), sf::evaluate(r.spline, 3.3333));
  EXPECT_FALSE(sf::readSplineFile("xyla-spline 1\n2 3 1 0 1\n0 1 2\n", back, a, b));
}

TEST(SmoothingSpline, TooFewPointsOrNoSpreadFail) {
  sf::FitOptions o;
  o.m = 3;
  EXPECT_EQ(sf::fitSmoothingSpline({0, 1, 2}, {1, 2, 3}, {1, 1, 1}, o).ngf, 1);
  o.dx = 0;
  EXPECT_FALSE(sf::fitSmoothingSpline({0, 1, 2, 3}, {1, 2, 3, 4}, {1, 1, 1, 1}, o).ok);
}

}  // namespace
}  // namespace xyla::test
