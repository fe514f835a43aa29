// Backgrounds fitted with the peaks: the model's derivatives against central differences
// of its own values, and whole fits of spectra built on backgrounds computed by
// independent literal sums, which the fit must recover.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "analysis/tougaard.h"
#include "fit/background_sum.h"
#include "fit/fit_table.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

const std::vector<TruePeak> kPeaks = {{284.5, 1000, 1.2, 0.3}, {285.9, 600, 1.0, 0.3}, {288.2, 300, 1.5, 0.3}};

double peakSum(double x) {
  double v = 0.0;
  for (const TruePeak& p : kPeaks) v += shapes::galo(x, p.x0, p.h, p.w, p.m);
  return v;
}

// The points of the fixture's synthetic spectrum, 280 to 292 eV.
const std::vector<double>& grid() {
  static const std::vector<double> x = [] {
    std::vector<double> x, y;
    syntheticSpectrum(kPeaks, 0.0, x, y);
    return x;
  }();
  return x;
}

// A spectrum of the three peaks over `background` (at the points of grid()), with
// Gaussian noise of standard deviation `noise` (fixed seed).
void load(FitFixture& f, const std::vector<double>& background, double noise = 0.0) {
  std::mt19937 rng(777);
  std::normal_distribution<double> gauss(0.0, noise > 0.0 ? noise : 1.0);
  std::vector<double> y(grid().size());
  for (std::size_t i = 0; i < y.size(); ++i)
    y[i] = peakSum(grid()[i]) + background[i] + (noise > 0.0 ? gauss(rng) : 0.0);
  f.data(grid(), y);
}

// True backgrounds at the points of grid(). Shirley: levels 200 and 500 and the peaks'
// integral from the first point by a midpoint sum ten times finer than the points.
std::vector<double> shirleyTruth() {
  const std::vector<double>& x = grid();
  std::vector<double> F(x.size(), 0.0);
  for (std::size_t i = 1; i < x.size(); ++i) {
    const double h = (x[i] - x[i - 1]) / 10;
    F[i] = F[i - 1];
    for (int k = 0; k < 10; ++k) F[i] += peakSum(x[i - 1] + (k + 0.5) * h) * h;
  }
  for (double& v : F) v = 200.0 + 300.0 * v / F.back();
  return F;
}

// Tougaard: level 150 and B = 2866 eV^2 on the program's literal pair sum.
std::vector<double> tougaardTruth() {
  std::vector<double> j(grid().size());
  for (std::size_t i = 0; i < j.size(); ++i) j[i] = peakSum(grid()[i]);
  std::vector<double> b = tougaardLossSum(grid(), j, kTougaardC);
  for (double& v : b) v = 150.0 + 2866.0 * v;
  return b;
}

std::vector<double> polyTruth() {
  std::vector<double> b;
  for (double x : grid()) b.push_back(100.0 + 5.0 * (x - 286.0) - 0.5 * (x - 286.0) * (x - 286.0));
  return b;
}

struct Recovery {
  const char* name;
  const char* function;
  const char* cells[3];
  std::vector<double> (*truth)();  // the background at the points
  double expected[3];              // the parameters the fit must find
};

// Fits the three peaks (started off their true places) with one background row on a
// noisy spectrum: the row's parameters and the peaks' positions and heights must lie
// within four of their standard errors of the truth.
TEST(FittedBackgrounds, RecoverBackgroundsOfLiteralSums) {
  const Recovery cases[] = {
      {"Shirley", "SHIRLEY", {"150~", "450~", ""}, shirleyTruth, {200.0, 500.0, 0.0}},
      {"Tougaard", "TOUGAARD", {"2000~", "100~", ""}, tougaardTruth, {2866.0, 150.0, 0.0}},
      // C free but typed as 0 (the universal constant): fitted from that constant.
      {"Tougaard, C free from 0", "TOUGAARD", {"2000~", "100~", "0~"}, tougaardTruth, {2866.0, 150.0, kTougaardC}},
      {"polynomial", "POLY", {"50~", "0~", "0~"}, polyTruth, {100.0, 5.0, -0.5}},
  };
  for (const Recovery& c : cases) {
    SCOPED_TRACE(c.name);
    FitFixture f;
    f.fit.panel.limitTag = 1000;
    load(f, c.truth(), 3.0);
    f.row(0, "GL", "284.4~", "900~", "1.1~", "0.3", "", "1");
    f.row(1, "GL", "286~", "500~", "1.1~", "0.3", "", "1");
    f.row(2, "GL", "288.1~", "250~", "1.4~", "0.3", "", "1");
    f.row(3, c.function, c.cells[0], c.cells[1], c.cells[2], "", "", "1");
    f.fit.start();
    ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
    const fit::FitModel& m = f.fit.model();
    const std::vector<double>& se = f.fit.result().standardError;
    for (int s = 0; s < 3; ++s)
      if (*c.cells[s]) {
        ASSERT_GT(se[16 + s], 0.0);
        EXPECT_NEAR(m.ptab[16 + s], c.expected[s], 4.0 * se[16 + s]) << s;
      }
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(m.ptab[5 * k + 1], kPeaks[k].x0, 4.0 * se[5 * k + 1]);
      EXPECT_NEAR(m.ptab[5 * k + 2], kPeaks[k].h, 4.0 * se[5 * k + 2]);
    }
    EXPECT_NEAR(f.fit.result().rms, 3.0, 0.2);
    // The background has errors of its own, no area and no percentage; the peaks' shares
    // are of the peaks alone.
    EXPECT_EQ(f.cell(3, FitCell::Percent), "");
    EXPECT_EQ(f.cell(3, FitCell::Weight), "");
    ASSERT_EQ(f.fit.result().measures.peaks.size(), 4u);
    EXPECT_FALSE(f.fit.result().measures.peaks[3].ok);
    double total = 0.0;
    for (int k = 0; k < 3; ++k) total += f.fit.result().measures.peaks[k].percent;
    EXPECT_NEAR(total, 100.0, 1e-9);
    // The residual the fit reports is the one its model has at the points.
    std::vector<double> rx, r;
    ASSERT_TRUE(f.fit.residuals(rx, r));
    double sum = 0.0;
    for (double v : r) sum += v * v;
    EXPECT_NEAR(std::sqrt(sum / r.size()), f.fit.result().rms, 1e-3 + 1e-3 * f.fit.result().rms);
  }
}

// The model's derivatives (forward differences of the peaks, carried through the
// Shirley integral and the loss sum, and the backgrounds' own exact ones) against
// central differences of the model's values, with ties between the peaks.
TEST(FittedBackgrounds, DerivativesAgreeWithCentralDifferences) {
  const char* rows[][6] = {
      {"SHIRLEY", "200", "500", "", "", ""},
      {"TOUGAARD", "2866", "150", "1643", "0", ""},
      {"TOUGAARD", "2866", "150", "900", "1", ""},
      {"POLY", "100", "5", "-0.5", "0.01", ""},
  };
  const std::vector<double> x = grid();
  std::vector<float> xf(1, 0.0f);
  for (double v : x) xf.push_back(static_cast<float>(v));
  const int n = static_cast<int>(x.size());
  for (const auto& bg : rows) {
    SCOPED_TRACE(std::string(bg[0]) + " C " + bg[3] + " D " + bg[4]);
    FitFixture f;
    f.row(0, "GL", "284.5~", "1000~", "1.2~", "0.3~");
    f.row(1, "GL", "1+1.4", "600~", "1*0.8", "0.3");
    f.row(2, bg[0], std::string(bg[1]) + "~", std::string(bg[2]) + "~", std::string(bg[3]) + (*bg[3] ? "~" : ""), bg[4],
          bg[5]);
    fit::FitModel m;
    ASSERT_EQ(fit::readTable(f.doc.F, m, nullptr).status, fit::ReadOutcome::Ok);
    fit::PeakSum peaks(m);
    fit::BackgroundSum model(m, peaks, xf, 1);
    ASSERT_TRUE(model.active());
    const std::size_t stride = m.nptab + 1;
    std::vector<char> needed(stride, 0);
    for (int j = 1; j <= m.nmfit; ++j) needed[m.mfit[j]] = 1;
    auto values = [&](const std::vector<float>& a, std::vector<float>& y, std::vector<float>& d) {
      y.assign(n, 0.0f);
      d.assign(n * stride, 0.0f);
      model.beginPass(a.data(), needed.data());
      fit::ModelBlock b{xf.data() + 1, n, a.data(), needed.data(), y.data(), d.data(), stride};
      model.evaluate(b);
    };
    std::vector<float> a(m.ptab.base(), m.ptab.base() + stride), y, d, yp, ym, unused;
    values(a, y, d);
    for (int i = 1; i <= m.nmfit; ++i) {
      const int j = m.mfit[i];
      // Positions of the two peaks move by a small step, everything else relatively.
      const double h = j == 1 || j == 6 ? 2e-3 : 1e-2 * std::max(1.0f, std::fabs(a[j]));
      std::vector<float> up = a, down = a;
      up[j] += static_cast<float>(h);
      down[j] -= static_cast<float>(h);
      values(up, yp, unused);
      values(down, ym, unused);
      double scale = 0.0, worst = 0.0;
      for (int p = 0; p < n; ++p) {
        const double central = (double(yp[p]) - ym[p]) / (double(up[j]) - down[j]);
        scale = std::max(scale, std::fabs(central));
        worst = std::max(worst, std::fabs(central - d[p * stride + j]));
      }
      EXPECT_GT(scale, 0.0) << "parameter " << j;
      EXPECT_LT(worst, 5e-3 * scale) << "parameter " << j;
    }
  }
}

// The loss sum of the fit, on equidistant points (taken by distance in points) and on
// uneven ones, towards larger and smaller X, against the literal pair sum of the
// program's Tougaard background.
TEST(FittedBackgrounds, LossSumAgreesWithTheLiteralPairSum) {
  fit::FitModel none;
  for (bool even : {true, false})
    for (bool largerX : {true, false}) {
      SCOPED_TRACE(std::string(even ? "even" : "uneven") + (largerX ? ", larger X" : ", smaller X"));
      std::vector<double> x, j;
      for (int i = 0; i < 401; ++i) {
        const double u = i / 400.0;
        x.push_back(280.0 + 12.0 * (even ? u : u * u * (3 - 2 * u)));
        j.push_back(peakSum(x.back()));
      }
      // The program's routine takes the points in the order the losses go.
      std::vector<double> rx(x), rj(j);
      if (!largerX) {
        std::reverse(rx.begin(), rx.end());
        std::reverse(rj.begin(), rj.end());
      }
      std::vector<double> want = tougaardLossSum(rx, rj, 900.0);
      if (!largerX) std::reverse(want.begin(), want.end());
      // The fit's terms take the points shuffled, as an unsorted buffer gives them.
      std::vector<int> order(x.size());
      for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>((i * 7) % order.size());
      std::vector<double> sx, sj, got(x.size());
      for (int i : order) sx.push_back(x[i]), sj.push_back(j[i]);
      const fit::BackgroundTerms terms(none, sx);
      terms.lossSum(sj.data(), 900.0, largerX, got.data());
      const double scale = *std::max_element(want.begin(), want.end());
      for (std::size_t k = 0; k < order.size(); ++k) ASSERT_NEAR(got[k], want[order[k]], 1e-12 * scale) << k;
    }
}

// A charge correction moves the peaks, not the background's levels (the background
// follows the moved points by itself).
TEST(FittedBackgrounds, EnergyShiftMovesPeaksNotLevels) {
  FitFixture f;
  load(f, shirleyTruth());
  f.row(0, "GL", "284.5~", "1000~", "1.2~", "0.3");
  f.row(1, "SHIRLEY", "200~", "500~", "");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult);
  const float level = f.fit.model().ptab[6], position = f.fit.model().ptab[1];
  f.fit.shiftEnergy(1.5);
  EXPECT_EQ(f.fit.model().ptab[6], level);
  EXPECT_FLOAT_EQ(f.fit.model().ptab[1], position + 1.5f);
}

}  // namespace
}  // namespace xyla::test
