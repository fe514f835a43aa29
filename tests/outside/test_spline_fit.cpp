// The smoothing-spline fit through the driver script and the spline programs.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/spline_fit.h"
#include "macro/macro_fixture.h"

namespace xyla::test {
namespace {

class SplineFit : public MacroFixture {
 protected:
  // y = sin(pi x) on 0 .. 10 with `n` points and Gaussian noise of 0.1.
  DataBuffer& noisySine(int n) {
    std::mt19937 gen(3);
    std::normal_distribution<double> g(0.0, 0.1);
    std::vector<double> x, y;
    for (int i = 0; i < n; ++i) x.push_back(10.0 * i / (n - 1)), y.push_back(std::sin(M_PI * x.back()) + g(gen));
    return addBuffer(x, y);
  }
};

TEST_F(SplineFit, NoisySineGivesNoiseLevelCurveAndDerivative) {
  noisySine(1001);
  SplineFitOptions o;
  o.corrMode = 0;
  o.exportDerivative = true;
  o.exportMinMax = false;
  o.points = 0;
  const SplineFitFeedback fb = splineFit(doc, 0, o, ui);
  ASSERT_TRUE(fb.ran);
  EXPECT_NEAR(fb.rms, 0.1, 0.008);
  ASSERT_EQ(doc.bufferCount(), 3);
  const DataBuffer& fit = *doc.buffer(1);
  const DataBuffer& der = *doc.buffer(2);
  EXPECT_EQ(fit.X, doc.buffer(0)->X);
  double worstY = 0, worstD = 0;
  for (int i = 100; i < 900; ++i) {
    worstY = std::max(worstY, std::fabs(fit.Y[i] - std::sin(M_PI * fit.X[i])));
    worstD = std::max(worstD, std::fabs(der.Y[i] - M_PI * std::cos(M_PI * der.X[i])));
  }
  EXPECT_LT(worstY, 0.06);
  EXPECT_LT(worstD, 0.5);
  EXPECT_EQ(fit.getSource(), "spline fit");
  EXPECT_EQ(fit.getComment().rfind("splinefit(0), rms=", 0), 0u);
  EXPECT_NE(fit.getComment().find(", dwi=0, ngf=0, area="), std::string::npos);
  EXPECT_EQ(der.getComment(), "splinefit(0), derivative");
  EXPECT_EQ(doc.splineresult.rfind("rms     = ", 0), 0u);
  EXPECT_NE(doc.splineresult.find("\noptions = -q -k 4 -i 1\n"), std::string::npos);
}

TEST_F(SplineFit, MacroCommandAppendsFitMinimaAndMaxima) {
  noisySine(501);
  run("splinefit 0 0 0 1 1 0 0 0 4 1 0 2001 0");
  ASSERT_EQ(doc.bufferCount(), 4);
  EXPECT_EQ(doc.buffer(1)->count(), 2001);
  const DataBuffer& minima = *doc.buffer(2);
  EXPECT_EQ(minima.getComment(), "splinefit(0), minima");
  EXPECT_EQ(doc.buffer(3)->getComment(), "splinefit(0), maxima");
  ASSERT_EQ(minima.count(), 5);
  EXPECT_NEAR(minima.X[0], 1.5, 0.1);
  EXPECT_TRUE(minima.plotsymbols && !minima.plotlines);
  EXPECT_EQ(minima.symbol, 8);
  EXPECT_EQ(minima.symbolsize, 5);
  EXPECT_EQ(minima.color.r, 0.501961);
  EXPECT_EQ(doc.buffer(3)->color.b, 0.504051);
}

TEST_F(SplineFit, OptionsReachThePrograms) {
  DataBuffer& b = noisySine(1001);
  b.Y[500] += 50;  // a spike at X = 5
  SplineFitOptions o;
  o.exportMinMax = false;
  o.useExclude = true;  // -X: the spike is left out
  o.excludeMin = 4.99;
  o.excludeMax = 5.01;
  o.corrMode = 2;  // -K: smoothing length 3 spacings
  o.corrFactor = 3;
  o.points = 101;  // -x: 101 points from 0 to 10
  splineFit(doc, 0, o, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  const DataBuffer& fit = *doc.buffer(1);
  ASSERT_EQ(fit.count(), 101);
  EXPECT_DOUBLE_EQ(fit.X[50], 5.0);
  EXPECT_NEAR(fit.Y[50], 0.0, 0.15);
  EXPECT_NE(fit.getComment().find(", ksi=0.03,"), std::string::npos) << fit.getComment();
}

// Every order up to 8 recovers the noise and the curve; higher orders are refused with
// a message and leave the document as it was.
TEST_F(SplineFit, OrdersUpToEightFitAndHigherOnesAreRefused) {
  noisySine(401);
  for (int order : {3, 6, 8, 9, 23}) {
    SCOPED_TRACE(order);
    SplineFitOptions o;
    o.corrMode = 0;
    o.exportMinMax = false;
    o.points = 0;
    o.order = order;
    ui.alerts.clear();
    const SplineFitFeedback fb = splineFit(doc, 0, o, ui);
    if (order > kMaxSplineFitOrder) {
      EXPECT_FALSE(fb.ran);
      ASSERT_EQ(ui.alerts.size(), 1u);
      EXPECT_EQ(ui.alerts[0].message,
                "Spline orders above 8 cannot be fitted in double precision; choose an order from 1 to 8");
      EXPECT_EQ(doc.bufferCount(), 1);
      continue;
    }
    EXPECT_TRUE(ui.alerts.empty()) << ui.alerts[0].message;
    EXPECT_NEAR(fb.rms, 0.1, 0.012);
    ASSERT_EQ(doc.bufferCount(), 2);
    const DataBuffer& fit = *doc.buffer(1);
    double worst = 0;
    for (int i = 40; i < 360; ++i) worst = std::max(worst, std::fabs(fit.Y[i] - std::sin(M_PI * fit.X[i])));
    EXPECT_LT(worst, 0.08);
    doc.DB.resize(1);
  }
}

TEST_F(SplineFit, WarningsAndMissingData) {
  addBuffer({0, 1}, {1, 2});
  SplineFitOptions o;
  ui.answer("Cancel");
  splineFit(doc, 0, o, ui);  // two points are too few for a cubic spline
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].message, "spline2 returns with an almost certainly wrong result");
  ui.answer("Ignore");
  splineFit(doc, 0, o, ui);
  ASSERT_EQ(ui.alerts.size(), 3u);
  EXPECT_EQ(ui.alerts[2].title, "Alert");
  EXPECT_EQ(ui.alerts[2].message, "evalsp did not return with data");
  EXPECT_EQ(doc.bufferCount(), 1);
}

}  // namespace
}  // namespace xyla::test
