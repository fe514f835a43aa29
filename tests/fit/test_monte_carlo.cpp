// Monte-Carlo errors: for one peak whose noise the replicas draw as the data were made,
// the spread of the area agrees with the covariance error; the numbers depend on the
// seed and not on the threads; the end-point part sees what the background rule sees.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fit/monte_carlo.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

using fit::McOptions;
using fit::McResult;
using fit::McSpectrum;

// A background rule for the tests: the straight line through the measured values at the
// points nearest to the two end positions, on the points between them.
bool lineRule(const std::vector<double>& x, const std::vector<double>& y, double x1, double x2, int& first, int& last,
              std::vector<double>& bg) {
  auto nearest = [&x](double v) {
    int best = 0;
    for (int i = 1; i < static_cast<int>(x.size()); ++i)
      if (std::fabs(x[i] - v) < std::fabs(x[best] - v)) best = i;
    return best;
  };
  first = nearest(std::min(x1, x2));
  last = nearest(std::max(x1, x2));
  if (last - first < 2) return false;
  bg.clear();
  for (int i = first; i <= last; ++i)
    bg.push_back(y[first] + (y[last] - y[first]) * (x[i] - x[first]) / (x[last] - x[first]));
  return true;
}

// The fitted buffer as the spectrum of the replicas, without a background.
McSpectrum bufferSpectrum(const DataBuffer& b) {
  McSpectrum s;
  s.x = b.X;
  s.y = b.Y;
  s.last = b.count() - 1;
  return s;
}

fit::McWeights weightsOf(const fit::FitResult& r) { return {r.sigma, r.poisson, r.sigma * std::sqrt(r.reducedChisq)}; }

// One Gaussian of height 1000 and FWHM 1.5 at 285 on 301 points, noise as the case says.
struct ReferenceCase {
  const char* name;
  bool counts;   // Poisson counts fitted with counting weights; else Gaussian noise of sd 20
  double level;  // a flat background under the peak, fitted with it as a POLY row
};

TEST(MonteCarlo, AreaSpreadAgreesWithTheCovarianceError) {
  const ReferenceCase cases[] = {{"gaussian", false, 0.0}, {"counts", true, 0.0}, {"fitted level", false, 300.0}};
  for (const ReferenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    FitFixture f;
    std::mt19937 rng(99);
    std::vector<double> x(301), y(301);
    for (int i = 0; i < 301; ++i) {
      x[i] = 280.0 + 10.0 * i / 300;
      const double v = shapes::galo(x[i], 285.0, 1000.0, 1.5, 0.0) + c.level;
      y[i] = c.counts ? double(std::poisson_distribution<int>(v)(rng)) : v + std::normal_distribution<>(0.0, 20.0)(rng);
    }
    f.data(x, y);
    f.fit.panel.poisson = c.counts;
    f.row(0, "GL", "285.2~", "900~", "1.4~", "0");
    if (c.level > 0) f.row(1, "POLY", "250~", "0", "0", "0");
    f.fit.start();
    ASSERT_TRUE(f.fit.haveResult);
    const fit::FitResult& r = f.fit.result();
    McOptions o;
    o.replicas = 400;
    o.seed = 5;
    const McResult mc = fit::monteCarlo(f.fit.model(), weightsOf(r), bufferSpectrum(*f.doc.buffer(0)), o);
    ASSERT_TRUE(mc.ok);
    EXPECT_EQ(mc.poisson, c.counts);
    EXPECT_FALSE(mc.endPoints);
    EXPECT_EQ(mc.failed[fit::kMcNoise], 0);
    const fit::McSpread& s = mc.peaks[0].area[fit::kMcNoise];
    ASSERT_EQ(s.count, 400);
    // The standard deviation of a sample of n has a relative error of 1/sqrt(2(n-1)).
    const double cov = r.measures.peaks[0].areaError, tolerance = 3.0 * cov / std::sqrt(2.0 * (s.count - 1));
    EXPECT_NEAR(s.sd, cov, tolerance);
    const double area = r.measures.peaks[0].area;
    if (c.counts) {
      // Weights from the counts themselves favour low counts: the estimator, replicated
      // as the fit ran, comes out somewhat low.
      EXPECT_LT(s.mean, area);
      EXPECT_GT(s.mean, 0.98 * area);
    } else {
      EXPECT_NEAR(s.mean, area, 4.0 * cov / std::sqrt(double(s.count)));
    }
    EXPECT_LT(s.lo, s.mean);
    EXPECT_GT(s.hi, s.mean);
  }
}

// A spectrum with two peaks on a sloped background, fitted after the line background
// came off; the replicas know the rule.
struct Sloped : FitFixture {
  McSpectrum s;
  Sloped(double curvature, double noise) {
    std::mt19937 rng(3);
    for (int i = 0; i < 241; ++i) {
      const double x = 280.0 + 12.0 * i / 240, t = x - 286.0;
      s.x.push_back(x);
      s.y.push_back(shapes::galo(x, 285.0, 800.0, 1.2, 0.2) + shapes::galo(x, 287.0, 300.0, 1.2, 0.2) + 200.0 +
                    5.0 * t + curvature * t * t + (noise > 0 ? std::normal_distribution<>(0.0, noise)(rng) : 0.0));
    }
    s.x1 = 281.0;
    s.x2 = 291.0;
    s.rule = lineRule;
    EXPECT_TRUE(lineRule(s.x, s.y, s.x1, s.x2, s.first, s.last, s.background));
    std::vector<double> nx, ny;
    for (int i = s.first; i <= s.last; ++i) nx.push_back(s.x[i]), ny.push_back(s.y[i] - s.background[i - s.first]);
    data(nx, ny);
    row(0, "GL", "285~", "700~", "1~", "0.2");
    row(1, "GL", "287~", "250~", "1+0", "0.2");
    fit.start();
    EXPECT_TRUE(fit.haveResult);
  }
  McResult run(double window, std::uint64_t seed, int threads) {
    McOptions o;
    o.replicas = 24;
    o.window = window;
    o.seed = seed;
    o.threads = threads;
    return fit::monteCarlo(fit.model(), weightsOf(fit.result()), s, o);
  }
};

TEST(MonteCarlo, TheSeedAloneDecidesTheNumbers) {
  Sloped f(0.0, 4.0);
  const McResult one = f.run(0.5, 11, 1);
  ASSERT_TRUE(one.ok);
  ASSERT_TRUE(one.endPoints);
  for (int threads : {2, 3}) EXPECT_EQ(f.run(0.5, 11, threads).areas, one.areas) << threads;
  const McResult other = f.run(0.5, 12, 2);
  for (int part = 0; part < fit::kMcParts; ++part) EXPECT_NE(other.areas[part], one.areas[part]) << part;
}

// The end-point part moves the ends on the measured spectrum: a straight background made
// again at other ends is the same line, a curved one is not. Without a window only the
// noise part runs, and the total is the noise.
TEST(MonteCarlo, EndPointPartFollowsTheBackgroundRule) {
  struct Case {
    double curvature, window;
    bool ends, spread;
  };
  const Case cases[] = {{0.0, 0.5, true, false}, {3.0, 0.5, true, true}, {3.0, 0.0, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.curvature + c.window);
    Sloped f(c.curvature, 0.0);
    const McResult mc = f.run(c.window, 1, 2);
    ASSERT_TRUE(mc.ok);
    EXPECT_EQ(mc.endPoints, c.ends);
    const fit::McPeak& p = mc.peaks[0];
    const double area = f.fit.result().measures.peaks[0].area;
    if (c.ends) {
      EXPECT_EQ(p.area[fit::kMcEndPoints].sd > 1e-3 * area, c.spread);
    } else {
      EXPECT_TRUE(mc.areas[fit::kMcEndPoints].empty());
      EXPECT_EQ(mc.areas[fit::kMcBoth], mc.areas[fit::kMcNoise]);
    }
  }
}

TEST(MonteCarlo, SpreadsAndCountsByDefinition) {
  const double nan = std::nan("");
  struct Case {
    std::vector<double> values;
    int count;
    double mean, sd, lo, hi;
  };
  // Percentiles interpolate between order statistics at q (n - 1).
  const Case cases[] = {{{5, 1, 4, 2, 3}, 5, 3.0, std::sqrt(2.5), 1.1, 4.9},
                        {{2, nan, 4}, 2, 3.0, std::sqrt(2.0), 2.05, 3.95},
                        {{7}, 1, 7.0, 0.0, 7.0, 7.0},
                        {{nan}, 0, 0.0, 0.0, 0.0, 0.0}};
  for (const Case& c : cases) {
    const fit::McSpread s = fit::spreadOf(c.values);
    EXPECT_EQ(s.count, c.count);
    EXPECT_DOUBLE_EQ(s.mean, c.mean);
    EXPECT_DOUBLE_EQ(s.sd, c.sd);
    EXPECT_DOUBLE_EQ(s.lo, c.lo);
    EXPECT_DOUBLE_EQ(s.hi, c.hi);
  }
  struct Counts {
    std::vector<double> y;
    bool counts;
  };
  const Counts counts[] = {
      {{0, 3, 1900}, true}, {{0, 3.5, 1900}, false}, {{-1, 3}, false}, {{nan}, false}, {{}, false}};
  for (const Counts& c : counts) EXPECT_EQ(fit::looksLikeCounts(c.y, 0, static_cast<int>(c.y.size()) - 1), c.counts);
}

TEST(MonteCarlo, RefusesWhatGivesNoSpread) {
  Sloped f(0.0, 4.0);
  McOptions o;
  o.replicas = 1;
  EXPECT_FALSE(fit::monteCarlo(f.fit.model(), {}, f.s, o).ok);
  o.replicas = 10;
  McSpectrum tiny = f.s;
  tiny.first = 5;
  tiny.last = 6;
  const McResult r = fit::monteCarlo(f.fit.model(), {}, tiny, o);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
}

}  // namespace
}  // namespace xyla::test
