// The converged Shirley and the Tougaard background against spectra whose backgrounds
// are known in closed form, the fast Tougaard sum against the literal one, and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/shirley_converged.h"
#include "analysis/tougaard.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"

namespace xyla {
namespace {

struct Gauss {
  double x0, h, s;
  double value(double x) const { return h * std::exp(-0.5 * (x - x0) * (x - x0) / (s * s)); }
  // Integral from -infinity to x.
  double below(double x) const { return h * s * std::sqrt(M_PI / 2) * (1 + std::erf((x - x0) / (s * std::sqrt(2.0)))); }
};

const Gauss kPeaks[] = {{284.5, 1000, 0.5}, {286.2, 400, 0.6}};

// A spectrum whose Shirley background is known exactly: the background at x is
// low + step times the share of the peak area on the low-energy side of x.
void shirleyFixedPoint(std::vector<double>& x, std::vector<double>& y, std::vector<double>& bg, int n, double low,
                       double step) {
  const double from = 278, to = 292;
  double total = 0;
  for (const Gauss& g : kPeaks) total += g.below(1e9);
  for (int i = 0; i < n; ++i) {
    x.push_back(from + (to - from) * i / (n - 1));
    double peak = 0, share = 0;
    for (const Gauss& g : kPeaks) peak += g.value(x.back()), share += g.below(x.back());
    bg.push_back(low + step * share / total);
    y.push_back(peak + bg.back());
  }
}

TEST(ConvergedShirley, ReachesTheExactFixedPoint) {
  for (int n : {281, 1401}) {
    SCOPED_TRACE(n);
    std::vector<double> x, y, bg;
    shirleyFixedPoint(x, y, bg, n, 150, 60);
    const ShirleyResult r = convergedShirley(x, y, 1);
    ASSERT_TRUE(r.ok) << r.error;
    double worst = 0;
    for (int i = 0; i < n; ++i) worst = std::max(worst, std::fabs(r.background[i] - bg[i]));
    EXPECT_LT(worst, 1e-6 * 60);
    EXPECT_GT(r.iterations, 1);
  }
}

// The command's view: buffers in either X order, the high end named on either side.
TEST(ConvergedShirley, FollowsTheNamedHighEndInEitherPointOrder) {
  std::vector<double> x, y, bg;
  shirleyFixedPoint(x, y, bg, 561, 150, 60);
  for (bool reversed : {false, true}) {
    for (bool kinetic : {false, true}) {
      SCOPED_TRACE(testing::Message() << reversed << kinetic);
      test::ScriptedUi ui;
      XylaDocument doc;
      DataBuffer& b = doc.newBuffer();
      for (int k = 0; k < 561; ++k) {
        const int i = reversed ? 560 - k : k;
        // A kinetic-energy axis runs the other way: x' = 1000 - x.
        b.addDoubleValue(kinetic ? 1000 - x[i] : x[i], y[i]);
      }
      const ShirleyResult r = doShirleyConverged(doc, 0, b.X.front(), b.X.back(), 1, !kinetic, ui);
      ASSERT_TRUE(r.ok) << r.error;
      ASSERT_EQ(doc.bufferCount(), 3);
      const DataBuffer& background = *doc.buffer(2);
      for (int k = 0; k < 561; k += 40) {
        const int i = reversed ? 560 - k : k;
        EXPECT_NEAR(background.Y[k], bg[i], 1e-5);
        EXPECT_NEAR(doc.buffer(1)->Y[k], y[i] - bg[i], 1e-5);
      }
      EXPECT_NE(doc.buffer(1)->getComment().find("ShirleyConv"), std::string::npos);
    }
  }
}

TEST(Tougaard, FastSumEqualsTheLiteralSum) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0, 1000);
  for (int n : {100, 1201}) {  // summed directly, and through the Fourier transform
    std::vector<double> x(n), j(n);
    for (int i = 0; i < n; ++i) x[i] = 100 + 0.05 * i, j[i] = u(rng);
    const TougaardResult r = tougaardBackground(x, j, 2866, kTougaardC, 1);
    ASSERT_TRUE(r.ok);
    std::vector<double> shifted(n);
    for (int i = 0; i < n; ++i) shifted[i] = j[i] - r.offset;
    const std::vector<double> literal = tougaardLossSum(x, shifted, kTougaardC);
    EXPECT_EQ(r.fourier, true);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(r.background[i], r.offset + 2866 * literal[i], 1e-9 * (std::fabs(r.background[i]) + 1));
  }
}

// A spectrum of one Gaussian line and a smooth step above a flat level; its loss
// background is summed by a fine quadrature of the universal cross-section,
// independently of the bins.
TEST(Tougaard, MatchesTheCrossSectionIntegralAndFitsB) {
  const Gauss line{20, 5000, 0.8};
  const double level = 300, B = 2866;
  auto above = [&](double e) { return line.value(e) + 400 * (1 + std::erf((e - 26) / 3)); };
  auto losses = [&](double e) {  // integral of K(e - e') above(e') de' for B = 1
    double s = 0;
    const double h = 1e-4;
    for (double t = 0.5 * h; t < e; t += h) s += t / std::pow(kTougaardC + t * t, 2) * above(e - t) * h;
    return s;
  };
  std::vector<double> x, y;
  for (int i = 0; i <= 600; ++i) {
    x.push_back(0.1 * i);
    y.push_back(level + above(x.back()));
  }
  const TougaardResult given = tougaardBackground(x, y, B, kTougaardC, 1);
  ASSERT_TRUE(given.ok);
  for (std::size_t i = 0; i < x.size(); i += 75) {
    const double expect = level + B * losses(x[i]);
    EXPECT_NEAR(given.background[i], expect, 0.01 * (expect - level) + 0.5) << x[i];
  }
  // Fitted, B makes the background meet the spectrum at the high-energy end.
  const TougaardResult fitted = tougaardBackground(x, y, 0, kTougaardC, 1);
  ASSERT_TRUE(fitted.ok);
  EXPECT_NEAR(fitted.background.back(), y.back(), 1e-9 * y.back());
  const double want = (y.back() - level) / losses(x.back());
  EXPECT_NEAR(fitted.B, want, 0.01 * want);
}

TEST(XpsBackgrounds, BadInputChangesNothingAndSaysWhy) {
  struct Bad {
    std::vector<double> x, y;
    double x1, x2;
    int ends;
    bool tougaardOnly;
    const char* message;
  };
  const std::vector<double> ramp{1, 2, 3, 4, 5, 6, 7}, flat(7, 10.0);
  const Bad cases[] = {
      {{}, {}, 0, 1, 1, false, "The buffer holds fewer than 3 points"},
      {{1}, {1}, 0, 1, 1, false, "The buffer holds fewer than 3 points"},
      {ramp, ramp, 2, 3, 1, false, "The region holds fewer than 3 points"},
      {ramp, ramp, 1, 7, 4, false, "Averaging 4 points at each end needs at least 9 points in the region"},
      {{1, 3, 2, 4}, {1, 2, 3, 4}, 1, 4, 1, false, "The X values must rise or fall steadily"},
      {ramp, {1, 2, NAN, 4, 5, 6, 7}, 1, 7, 1, false, "The region holds values that are not numbers"},
      {ramp, ramp, 1, 9, 1, true, "The region has no high-energy end inside the data"},
      {ramp, flat, 1, 7, 1, true, "The spectrum does not rise towards the high-energy end, so no B makes the background meet it"},
  };
  for (const Bad& c : cases) {
    for (int which = c.tougaardOnly ? 1 : 0; which < 2; ++which) {
      SCOPED_TRACE(testing::Message() << c.message << " / " << which);
      test::ScriptedUi ui;
      XylaDocument doc;
      DataBuffer& b = doc.newBuffer();
      for (std::size_t i = 0; i < c.x.size(); ++i) b.addDoubleValue(c.x[i], c.y[i]);
      const bool ok = which == 0 ? doShirleyConverged(doc, 0, c.x1, c.x2, c.ends, true, ui).ok
                                 : doTougaard(doc, 0, c.x1, c.x2, 0, kTougaardC, c.ends, true, ui).ok;
      EXPECT_FALSE(ok);
      EXPECT_EQ(doc.bufferCount(), 1);
      ASSERT_EQ(ui.alerts.size(), 1u);
      EXPECT_EQ(ui.alerts[0].message, c.message);
    }
  }
  // A spectrum that never rises above its end levels has no Shirley step to share out.
  test::ScriptedUi ui;
  XylaDocument doc;
  DataBuffer& b = doc.newBuffer();
  for (double v : {5.0, 0.0, 0.0, 0.0, 5.0}) b.addDoubleValue(b.count(), v);
  b.Y.back() = 6;
  EXPECT_FALSE(doShirleyConverged(doc, 0, 0, 4, 1, true, ui).ok);
}

}  // namespace
}  // namespace xyla
