#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <ranges>

#include "analysis/shirley.h"
#include "fit/fit_data.h"
#include "fit/levenberg_marquardt.h"
#include "fit_fixture.h"
#include "model/document_file.h"
#include "shapes/xps_shapes.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

const std::vector<TruePeak> kThreePeaks = {{284.5, 1000, 1.2, 0.3}, {285.9, 600, 1.0, 0.3}, {288.2, 300, 1.5, 0.3}};

TEST(FitController, ThreeNoisyPeaksRecoverTheirTruth) {
  FitFixture f;
  loadSpectrum(f, kThreePeaks, 10.0);
  f.row(0, "GL", "284.3~", "800~", "1~", "0.3");
  f.row(1, "gl", "286.1~", "500~", "1~", "0.3");
  f.row(2, " GL ", "288~", "250~", "1.2~", "0.3");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  EXPECT_EQ(f.fit.msg1().rfind("Fit succeeded, Iterations: ", 0), 0u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(std::stod(f.cell(k, FitCell::A)), kThreePeaks[k].x0, 0.01) << k;
    EXPECT_NEAR(std::stod(f.cell(k, FitCell::B)), kThreePeaks[k].h, 0.02 * kThreePeaks[k].h) << k;
    EXPECT_EQ(f.cell(k, FitCell::D), "0.3");
    EXPECT_EQ(f.cell(k, FitCell::A).back(), '~');
  }
  // The noise is what is left over.
  EXPECT_NEAR(f.fit.result().rms, 10.0, 1.0);
  // Sigma is the scatter around a moving mean, which the peaks' curvature inflates.
  EXPECT_GT(f.fit.result().sigma, 9.0);
  const auto& se = f.fit.result().standardError;
  ASSERT_EQ(se.size(), 16u);
  for (int j : {1, 2, 3, 6, 7, 8, 11, 12, 13}) EXPECT_GT(se[j], 0.0) << j;
  EXPECT_LT(se[1], 0.01);
  EXPECT_EQ(se[4], 0.0);  // D is fixed
}

TEST(FitController, TiesHoldDuringTheFit) {
  FitFixture f;
  loadSpectrum(f, {{284.5, 1000, 1.2, 0.3}, {286.0, 500, 1.2, 0.3}}, 5.0);
  f.row(0, "GL", "284.2~", "900~", "1~", "0.3");
  f.row(1, "GL", "1+1.5", "1*0.4", "1+0", "0.3");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  EXPECT_EQ(f.cell(1, FitCell::A), "1+1.5");
  EXPECT_EQ(f.cell(1, FitCell::B), "1*0.4");
  EXPECT_EQ(f.cell(1, FitCell::C), "1+0");
  // The first peak absorbs the misfit of the imposed ratio, at a position that keeps
  // the second 1.5 above it.
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::A)), 284.5, 0.02);
  const auto& se = f.fit.result().standardError;
  EXPECT_EQ(se[6], se[1]);
  EXPECT_NEAR(se[7], 0.4 * se[2], 1e-6 * se[7]);
}

TEST(FitController, IterationLimitAsksAndContinueAllowsAsManyAgain) {
  FitFixture f;
  loadSpectrum(f, kThreePeaks, 10.0);
  f.row(0, "GL", "283.5~", "500~", "2~", "0.3");
  f.row(1, "GL", "286.5~", "300~", "2~", "0.3");
  f.row(2, "GL", "289~", "100~", "2~", "0.3");
  f.fit.panel.limitTag = 2;
  f.ui.answer("Continue");
  f.ui.answer("Cancel");
  f.fit.start();
  ASSERT_EQ(f.ui.alerts.size(), 2u);
  EXPECT_EQ(f.ui.alerts[0].title, "Fit Stopped");
  EXPECT_EQ(f.ui.alerts[0].message, "iteration limit reached");
  EXPECT_EQ(f.ui.alerts[0].buttons, (std::vector<std::string>{"Continue", "Cancel"}));
  EXPECT_EQ(f.fit.msg1(), "Fit canceled, Iterations: 4");
  EXPECT_TRUE(f.fit.Break);
  EXPECT_FALSE(f.fit.haveResult);
  EXPECT_TRUE(f.fit.haveInt);  // areas are still computed
  EXPECT_EQ(f.fit.msg2().rfind("rms = ", 0), 0u);

  // A total ends the fit without asking again: questions at 2 and 4, the end at 5.
  FitFixture batch;
  loadSpectrum(batch, kThreePeaks, 10.0);
  batch.doc.F = f.doc.OF.front();
  batch.fit.panel.limitTag = 2;
  batch.fit.iterationTotal = 5;
  batch.fit.start();
  EXPECT_EQ(batch.ui.alerts.size(), 2u);
  EXPECT_EQ(batch.fit.msg1(), "Fit canceled, Iterations: 5");
  EXPECT_EQ(batch.fit.failure(), "the fit was stopped after 5 iterations (iteration limit)");
}

// Lines whose best Gauss-Lorentz mixing lies beyond its limits: flatter-topped than a
// Gaussian (the mixing wants more than 1) and sharper than a Lorentzian (less than 0).
// The fit ends at the limit with its result, not as a singular matrix.
TEST(FitController, MixingThatReachesItsLimitStaysThere) {
  struct Case {
    const char* name;
    std::function<double(double)> line;  // in u = 2(x - 285)/1.4
    double limit;
  };
  const Case cases[] = {
      {"flat top", [](double u) { return std::exp(-u * u * u * u); }, 1.0},
      {"cusp", [](double u) { return 1.0 / (1.0 + std::fabs(u) + u * u); }, 0.0},
  };
  for (const Case& c : cases) {
    FitFixture f;
    std::vector<double> x, y;
    for (int i = 0; i <= 600; ++i) {
      x.push_back(280.0 + 10.0 * i / 600);
      y.push_back(1000.0 * c.line(2.0 * (x.back() - 285.0) / 1.4));
    }
    f.data(x, y);
    f.row(0, "GL", "284.9~", "900~", "1.2~", "0.5~");
    f.fit.start();
    ASSERT_TRUE(f.fit.haveResult) << c.name << ": " << f.fit.failure();
    EXPECT_NEAR(std::stod(f.cell(0, FitCell::D)), c.limit, 1e-6) << c.name;
    EXPECT_NEAR(std::stod(f.cell(0, FitCell::A)), 285.0, 1e-3) << c.name;
    EXPECT_TRUE(f.ui.alerts.empty()) << c.name;  // no iteration limit on the way
  }
}

// Each registered XPS shape fits its own noise-free line back, with its true area.
TEST(FitController, XpsShapesFitTheirOwnLines) {
  struct Case {
    const char* function;
    double (*line)(double, double, double, double, double);
    double (*area)(double, double, double);
    double c, d;
  };
  const Case cases[] = {
      {"GLP", shapes::glp, shapes::glpArea, 1.3, 35},
      {"SGL", shapes::sgl, shapes::sglArea, 1.1, 60},
      {"VOIGT", shapes::voigtLine, shapes::voigtArea, 0.9, 0.5},
  };
  for (const Case& c : cases) {
    FitFixture f;
    std::vector<double> x, y;
    for (int i = 0; i <= 600; ++i) {
      x.push_back(280.0 + 10.0 * i / 600);
      y.push_back(c.line(x.back(), 285.0, 1000.0, c.c, c.d));
    }
    f.data(x, y);
    f.row(0, c.function, "284.9~", "900~", "1~", std::to_string(c.d * 0.7) + "~");
    f.fit.start();
    ASSERT_TRUE(f.fit.haveResult) << c.function << ": " << f.fit.failure();
    EXPECT_NEAR(std::stod(f.cell(0, FitCell::C)), c.c, 1e-3 * c.c) << c.function;
    EXPECT_NEAR(std::stod(f.cell(0, FitCell::D)), c.d, 2e-3 * c.d) << c.function;
    const fit::PeakNumbers& p = f.fit.result().measures.peaks.at(0);
    EXPECT_NEAR(p.area, c.area(1000.0, c.c, c.d), 1e-3 * p.area) << c.function;
  }
}

TEST(FitController, StartKeepsHistoryAndBackRestoresIt) {
  FitFixture f;
  loadSpectrum(f, kThreePeaks, 0.0);
  f.row(0, "GL", "284.3~", "800~", "1~", "0.3");
  const FitTable typed = f.doc.F;
  f.fit.start();
  EXPECT_EQ(f.doc.OF.size(), 1u);
  EXPECT_NE(f.cell(0, FitCell::A), "284.3~");
  f.fit.back();
  EXPECT_EQ(f.doc.F, typed);
  EXPECT_TRUE(f.doc.OF.empty());
  EXPECT_FALSE(f.fit.haveResult);
  EXPECT_EQ(f.fit.msg1(), "");
  EXPECT_TRUE(f.doc.haveFitPreview);
  f.fit.back();
  EXPECT_EQ(f.ui.beeps, 1);
}

TEST(FitController, PreviewAndExportedCurves) {
  FitFixture f;
  const std::vector<double> x = loadSpectrum(f, kThreePeaks, 0.0, 101);
  f.row(0, "GL", "284.5~", "1000", "1.2", "0.3", "", "1");
  f.row(1, "GL", "1+1.4", "600~", "1", "0.3", "", "1");
  f.fit.preview();
  ASSERT_EQ(f.doc.FP.size(), 4u);  // X, sum, two peaks
  EXPECT_EQ(f.doc.FP[0].size(), 300u);
  EXPECT_EQ(f.doc.FP[0].front(), 280);
  EXPECT_NEAR(f.doc.FP[0].back(), 292, 1e-9);
  EXPECT_NEAR(f.doc.FP[1][150], f.doc.FP[2][150] + f.doc.FP[3][150], 1e-3);

  f.fit.panel.points = "3";  // fewer than 6: the buffer's own X values
  f.fit.exportAll();
  ASSERT_EQ(f.doc.bufferCount(), 4);
  EXPECT_EQ(f.doc.buffer(1)->X, x);
  EXPECT_EQ(f.doc.buffer(1)->getSource(), "Fit Export");
  EXPECT_EQ(f.doc.buffer(1)->getComment(), "Fit Summary Curve");
  EXPECT_EQ(f.doc.buffer(3)->getComment(), "Fit Curve, GL (A=1+1.4, B=600~, C=1, D=0.3, E=)");
  EXPECT_EQ(f.doc.f_points, "3");

  f.doc.current = 0;
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult);
  f.fit.panel.points = "50";
  f.fit.panel.min = "290";
  f.fit.panel.max = "283";
  f.fit.exportAll();
  ASSERT_EQ(f.doc.bufferCount(), 7);
  const DataBuffer& sum = *f.doc.buffer(4);
  EXPECT_EQ(sum.count(), 50);
  EXPECT_EQ(sum.X.front(), 283);
  EXPECT_NEAR(sum.X.back(), 290, 1e-9);
  EXPECT_EQ(sum.getComment().rfind("Fit Result, rms=", 0), 0u);
  // Each peak curve carries the percentage the fit published in the table.
  for (int row = 0; row < 2; ++row) {
    const std::string peak = f.doc.buffer(5 + row)->getComment();
    const std::string published = f.doc.F[row].get(FitCell::Percent);
    ASSERT_FALSE(published.empty());
    EXPECT_NE(std::stod(published), 0.0);
    EXPECT_EQ(peak.substr(peak.size() - published.size() - 15), ", weight=1, " + published + " %)") << peak;
  }
  f.fit.exportSum();
  EXPECT_EQ(f.doc.bufferCount(), 8);
  EXPECT_EQ(f.manager.GV["lastbuffer"], 7);
}

TEST(FitController, UserFunctionsAndConvolvedShapesFit) {
  FitFixture f;
  loadSpectrum(f, {{285.0, 400, 1.4, 1.0}}, 2.0);
  f.row(0, "B*e^(-4*((x-A)/C)^2)", "284.8~", "300~", "1~");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::A)), 285.0, 0.005);
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::C)), 1.4, 0.01);
  EXPECT_EQ(f.cell(0, FitCell::Percent), "");  // user functions have no area

  f.row(0, "GL*", "284.8~", "300~", "1~", "1", "0.3~");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::A)), 285.0, 0.01);
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::B)), 400, 8);
}

TEST(FitController, AwkwardDataNeverWritesNaN) {
  auto tableIsClean = [](const FitTable& t) {
    for (const FitRow& r : t)
      for (const auto& [key, value] : r.dictionary())
        if (value.find("nan") != std::string::npos || value.find("inf") != std::string::npos) return false;
    return true;
  };
  const std::vector<std::pair<std::vector<double>, std::vector<double>>> cases = {
      {{1, 2, NAN, 4, 5, 6}, {1, 3, 7, NAN, 3, 1}},  // gaps
      {{1, 2, 3, 4, 5, 6}, {2, 2, 2, 2, 2, 2}},      // constant
      {{1, 2}, {1, 5}},                              // two points
      {{1}, {1}},                                     // one point: no iteration
      {{}, {}},
  };
  for (const auto& [x, y] : cases) {
    FitFixture f;
    // Points with a non-finite X or Y are gaps: only the others take part.
    const int finite = static_cast<int>(std::ranges::count_if(
        std::views::iota(std::size_t{0}, x.size()), [&](std::size_t i) { return std::isfinite(x[i] + y[i]); }));
    EXPECT_EQ(fit::fitData(f.data(x, y)).n, finite);
    f.row(0, "GL", "3~", "4~", "1~", "0.5");
    f.fit.start();
    EXPECT_TRUE(tableIsClean(f.doc.F)) << x.size();
    EXPECT_TRUE(std::isfinite(std::stod(f.cell(0, FitCell::A))));
  }
  FitFixture none;  // no buffer at all
  none.row(0, "GL", "3~", "4~", "1~", "0.5");
  none.fit.start();
  EXPECT_FALSE(none.fit.haveResult);
}

TEST(FitController, LoadTakesOnlyTheFitTableOfADocumentFile) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("peaks.xyla").toStdString();
  {
    FitFixture source;
    source.data({1, 2, 3}, {4, 5, 6});
    source.row(0, "DS", "5~", "8~", "1~", "0.1~", "", "2");
    source.doc.xmin1 = -7;
    ASSERT_TRUE(saveDocumentFile(source.doc, path, source.ui));
  }
  FitFixture f;
  f.data({10, 20}, {1, 2});
  f.fit.msgOut(1, "Fit succeeded, Iterations: 3");
  f.ui.answerOpen({path});
  f.fit.load();
  EXPECT_EQ(f.cell(0, FitCell::Function), "DS");
  EXPECT_EQ(f.cell(0, FitCell::D), "0.1~");
  EXPECT_EQ(f.doc.bufferCount(), 1);  // the data and ranges stay
  EXPECT_EQ(f.doc.buffer(0)->X, (std::vector<double>{10, 20}));
  EXPECT_NE(f.doc.xmin1, -7);
  EXPECT_EQ(f.fit.msg1(), "");
  f.fit.load();  // cancelled panel: nothing happens
  EXPECT_EQ(f.cell(0, FitCell::Function), "DS");
}

// A fit lets events in through its progress: whatever would read the table afresh or
// replace it under the running fit beeps meanwhile and changes nothing.
TEST(FitController, ARunningFitRefusesWhatWouldChangeItsTable) {
  FitFixture f;
  loadSpectrum(f, kThreePeaks, 10.0);
  f.row(0, "GL", "284.3~", "800~", "1~", "0.3", "", "1");
  f.fit.start();
  const std::function<void()> calls[] = {[&] { f.fit.start(); },     [&] { f.fit.back(); }, [&] { f.fit.preview(); },
                                         [&] { f.fit.exportAll(); }, [&] { f.fit.load(); }, [&] { f.fit.readtab(); }};
  f.ui.whileInProgress = [&] {
    if (f.ui.progressCalls == 1)
      for (const auto& call : calls) call();
  };
  f.ui.progressCalls = 0;
  f.fit.start();
  EXPECT_EQ(f.ui.beeps, 6);
  EXPECT_TRUE(f.fit.haveResult);
  EXPECT_EQ(f.doc.OF.size(), 2u);
  EXPECT_EQ(f.doc.bufferCount(), 1);
}

TEST(FitController, ThreadsDoNotChangeTheResult) {
  std::vector<FitTable> results;
  for (int threads : {1, 3}) {
    FitFixture f;
    f.fit.modelThreads = threads;
    loadSpectrum(f, {{284.5, 1000, 1.2, 0.3}, {286.0, 500, 1.2, 0.3}}, 5.0, 500);
    f.row(0, "GL*", "284.3~", "900~", "1~", "0.3", "0.4~");
    f.row(1, "GL*", "286.2~", "400~", "1~", "0.3", "1+0");
    f.fit.start();
    EXPECT_TRUE(f.fit.haveResult) << f.fit.msg1();
    results.push_back(f.doc.F);
  }
  EXPECT_EQ(results[0], results[1]);
}

// The measured C 1s spectrum after a Shirley background: three components fit it.
TEST(FitController, MeasuredCarbonSpectrumAfterShirley) {
  FitFixture f;
  DataBuffer& raw = importSorted(f, "0-150W_NiWC1s_C1s.txt");
  const double lo = raw.X.front(), hi = raw.X.back();
  doShirley(f.doc, 0, lo + 0.5, raw.Y[5], hi - 0.5, raw.Y[raw.count() - 6], f.ui);
  ASSERT_GE(f.doc.bufferCount(), 2);
  f.doc.current = 1;
  const DataBuffer& net = *f.doc.buffer(1);
  double top = 0, at = 0;
  for (int i = 0; i < net.count(); ++i)
    if (net.Y[i] > top) top = net.Y[i], at = net.X[i];
  const std::string t = formatG(top);
  // The carbide line with two weaker components of a common width.
  f.row(0, "GL", formatG(at) + "~", t + "~", "1.2~", "0.3", "", "1");
  f.row(1, "GL", formatG(at + 1.2) + "~", formatG(top / 5) + "~", "1+0", "0.3", "", "1");
  f.row(2, "GL", formatG(at + 2.9) + "~", formatG(top / 10) + "~", "1+0", "0.3", "", "1");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  // What is left is the counting noise of the raw spectrum (about 1900 counts).
  EXPECT_LT(f.fit.result().rms, 1.25 * std::sqrt(raw.Y.front()));
  double percent = 0;
  for (int r = 0; r < 3; ++r) percent += std::stod(f.cell(r, FitCell::Percent));
  EXPECT_NEAR(percent, 100, 0.01);
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::A)), at, 0.5);
  EXPECT_TRUE(f.ui.alerts.empty());
}

// PET (C10H8O4) has six aromatic carbons, two C-O and two O-C=O: the fitted areas come
// out near 60:20:20 with the components at their known binding energies.
TEST(FitController, MeasuredPolymerSpectrumGivesItsStoichiometry) {
  FitFixture f;
  DataBuffer& raw = importSorted(f, "PET_C1s.csv", ",");
  raw.cut(0, 281.0, 292.5, 0, f.ui);  // the C 1s region without the shake-up satellite
  raw.rescale();
  const int n = raw.count();
  doShirley(f.doc, 0, raw.X[2], raw.Y[2], raw.X[n - 3], raw.Y[n - 3], f.ui);
  ASSERT_GE(f.doc.bufferCount(), 2);
  f.doc.current = 1;
  f.row(0, "GL", "284.7~", "3500~", "1.2~", "0.3", "", "1");
  f.row(1, "GL", "286.2~", "1200~", "1+0", "0.3", "", "1");
  f.row(2, "GL", "288.7~", "1200~", "1+0", "0.3", "", "1");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::A)), 284.7, 0.3);
  EXPECT_NEAR(std::stod(f.cell(1, FitCell::A)), 286.3, 0.3);
  EXPECT_NEAR(std::stod(f.cell(2, FitCell::A)), 288.7, 0.3);
  EXPECT_NEAR(std::stod(f.cell(0, FitCell::Percent)), 60, 10);
  EXPECT_NEAR(std::stod(f.cell(1, FitCell::Percent)), 20, 7);
  EXPECT_NEAR(std::stod(f.cell(2, FitCell::Percent)), 20, 7);
  EXPECT_TRUE(f.ui.alerts.empty());
}

}  // namespace
}  // namespace xyla::test
