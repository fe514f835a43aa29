// Errors of the measured peak numbers against the scatter of fits to noisy copies of one
// spectrum, counting weights, and the results table.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "fit/fit_report.h"
#include "fit/peak_measures.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

struct Scatter {
  double sum = 0, sum2 = 0, reported = 0;
  int n = 0;
  void add(double v, double error) {
    sum += v, sum2 += v * v, reported += error, ++n;
  }
  double sd() const { return std::sqrt((sum2 - sum * sum / n) / (n - 1)); }
  double meanError() const { return reported / n; }
};

const TruePeak kPeaks[] = {{284.0, 1000, 1.2, 0.3}, {285.6, 400, 1.5, 0.7}};

// Fits a copy of the two-peak spectrum with the noise `noise` draws.
template <typename Noise>
const fit::FitResult& fitCopy(FitFixture& f, std::mt19937& rng, Noise noise, std::vector<double>* counts = nullptr) {
  std::vector<double> x, y;
  syntheticSpectrum({kPeaks[0], kPeaks[1]}, 0.0, x, y);
  for (double& v : y) v = noise(rng, v);
  if (counts) *counts = y;
  f.doc.DB.clear();
  f.data(x, y);
  f.row(0, "GL", "284~", "900~", "1.1~", "0.3");
  f.row(1, "GL", "285.5~", "350~", "1.4~", "0.7");
  f.fit.start();
  return f.fit.result();
}

TEST(FitErrors, ReportedErrorsMatchTheScatterOfNoisyCopies) {
  FitFixture f;
  std::mt19937 rng(2024);
  std::normal_distribution<double> gauss(0.0, 20.0);
  auto noise = [&gauss](std::mt19937& r, double v) { return v + gauss(r); };
  Scatter area[2], fwhm[2], pct[2];
  for (int copy = 0; copy < 200; ++copy) {
    const fit::FitResult& r = fitCopy(f, rng, noise);
    ASSERT_TRUE(r.success);
    ASSERT_EQ(r.measures.peaks.size(), 2u);
    for (int k = 0; k < 2; ++k) {
      const fit::PeakNumbers& p = r.measures.peaks[k];
      ASSERT_TRUE(p.ok && p.errorsOk && p.hasPercent);
      area[k].add(p.area, p.areaError);
      fwhm[k].add(p.fwhm, p.fwhmError);
      pct[k].add(p.percent, p.percentError);
    }
  }
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    for (const Scatter* s : {&area[k], &fwhm[k], &pct[k]}) EXPECT_NEAR(s->meanError() / s->sd(), 1.0, 0.2);
  }
  // The averages sit at the true areas (GL product, closed form checked elsewhere).
  EXPECT_NEAR(area[0].sum / area[0].n, fit::galoArea(1000, 1.2, 0.3), 3 * area[0].sd() / std::sqrt(200.0));
}

TEST(FitErrors, CountingWeightsGiveReducedChiSquareNearOne) {
  FitFixture f;
  std::mt19937 rng(7);
  auto poisson = [](std::mt19937& r, double v) { return double(std::poisson_distribution<int>(v + 50.0)(r)); };
  f.fit.panel.poisson = true;
  double sum = 0;
  for (int copy = 0; copy < 20; ++copy) {
    f.row(2, "B", "0", "50~", "0", "0");  // the flat 50 counts, as a user function
    const fit::FitResult& r = fitCopy(f, rng, poisson);
    ASSERT_TRUE(r.success && r.poisson);
    sum += r.reducedChisq;
  }
  EXPECT_NEAR(sum / 20, 1.0, 0.05);
}

TEST(FitErrors, NamedBackgroundAddsItsCountsToTheWeights) {
  FitFixture f;
  std::vector<double> x, y;
  syntheticSpectrum({kPeaks[0]}, 0.0, x, y);
  std::mt19937 rng(11);
  std::vector<double> net(y.size()), bg(y.size());
  for (std::size_t i = 0; i < y.size(); ++i) {
    bg[i] = 2000.0;
    net[i] = std::poisson_distribution<int>(y[i] + bg[i])(rng) - bg[i];
  }
  f.data(x, bg);
  f.data(x, net);
  f.row(0, "GL", "284~", "900~", "1.1~", "0.3");
  f.fit.panel.poisson = true;
  f.fit.panel.poissonBackground = 0;
  f.fit.start();
  EXPECT_NEAR(f.fit.result().reducedChisq, 1.0, 0.15);
  f.fit.panel.poissonBackground = 5;  // no such buffer: nothing is fitted
  f.fit.start();
  EXPECT_FALSE(f.fit.result().success);
  ASSERT_FALSE(f.ui.alerts.empty());
  EXPECT_EQ(f.ui.alerts.back().title, "Fit Weights");
}

TEST(FitErrors, ResultsTableHoldsTheMeasuredNumbers) {
  FitFixture f;
  std::mt19937 rng(3);
  std::normal_distribution<double> gauss(0.0, 10.0);
  const fit::FitResult& r = fitCopy(f, rng, [&gauss](std::mt19937& g, double v) { return v + gauss(g); });
  const std::string csv = fit::fitResultsCsv(f.fit, {"C-C, C-H"});
  std::istringstream in(csv);
  std::string header, row1, row2;
  std::getline(in, header);
  std::getline(in, row1);
  std::getline(in, row2);
  EXPECT_EQ(std::count(header.begin(), header.end(), ','), 19);
  EXPECT_EQ(header.rfind("name,row,function,position [eV],position_error [eV],fwhm [eV],", 0), 0u) << header;
  EXPECT_NE(header.find(",area [counts eV],"), std::string::npos) << header;
  EXPECT_EQ(row1.rfind("\"C-C, C-H\",1,GL,", 0), 0u) << row1;
  EXPECT_EQ(row2.rfind("row 2,2,GL,", 0), 0u) << row2;
  // Column 10 (from 1) of the second row is the true area, column 13 the percentage.
  std::vector<std::string> cells;
  std::stringstream s(row2.substr(0, row2.size() - 1));
  for (std::string c; std::getline(s, c, ',');) cells.push_back(c);
  ASSERT_EQ(cells.size(), 20u);
  // Rounded where the error's second digit stands.
  const fit::PeakNumbers& p = r.measures.peaks[1];
  const double place = std::pow(10.0, std::floor(std::log10(p.areaError)) - 1);
  EXPECT_NEAR(std::stod(cells[9]), p.area, 0.5 * place * (1 + 1e-9));
  EXPECT_NEAR(std::stod(cells[10]), p.areaError, 0.5 * place * (1 + 1e-9));
  EXPECT_NEAR(std::stod(cells[12]) + r.measures.peaks[0].percent, 100.0, p.percentError);
  EXPECT_EQ(cells[18], std::to_string(r.iterations));
  EXPECT_EQ(cells[19], "0");  // no energy correction since the fit
}

// The table prints what a number carries: an error to two digits and its value to the
// same place, single-precision results to seven digits, never ten digits of noise.
TEST(FitErrors, ResultsTableRoundsToWhatTheNumbersCarry) {
  const struct {
    double value, error;
    const char *shown, *shownError;
  } cases[] = {
      {282.3421936, 0.01886050205, "282.342", "0.019"},
      {186.750412, 20.74868682, "187", "21"},
      {1509.755592, 38.51917363, "1510", "39"},
      {1.458609378, 0.043094587, "1.459", "0.043"},
      {-0.004861, 0.000355, "-0.00486", "0.00036"},
      {912.4343262, 349.6, "910", "350"},
      {282.3421936, 1e-9, "282.3422", "1e-09"},  // no more digits than single precision
      {217.4678955, 0.0, "217.4679", ""},
      {1.016205119, NAN, "1.016205", ""},
      {NAN, 1.0, "", ""},
  };
  for (const auto& c : cases) {
    const auto [value, error] = fit::csvValueAndError(c.value, c.error);
    EXPECT_EQ(value, c.shown) << c.value;
    EXPECT_EQ(error, c.shownError) << c.value;
  }
  EXPECT_EQ(fit::unitOfTitle("Binding energy (eV)"), "eV");
  EXPECT_EQ(fit::unitOfTitle("Intensity [counts/s] "), "counts/s");
  EXPECT_EQ(fit::unitOfTitle("Intensity"), "");
  EXPECT_EQ(fit::unitOfTitle("()"), "");
}

}  // namespace
}  // namespace xyla::test
