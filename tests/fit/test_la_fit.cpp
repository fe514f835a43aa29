// LA(alpha, beta, m) in the fit table: its numbers come from the name, a fit of a
// spectrum made of such a line finds it again, and its true area is the closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fit_fixture.h"
#include "shapes/peak_model.h"
#include "shapes/xps_shapes.h"

namespace xyla::test {
namespace {

TEST(LaFit, NameCarriesExponentsAndGaussianWidth) {
  struct Case {
    const char* function;
    const char* d;
    int code;            // -1: not LA (read as a user function)
    float alpha, beta;   // D and E as the model holds them
    const char* asRead;  // the function as exports name it: blanks gone, commas kept
  };
  const Case cases[] = {
      {"LA(1.5,2.5,50)", "", shapes::kAsymmetricLorentzian + 50, 1.5f, 2.5f, "LA(1.5,2.5,50)"},
      {" la( 1.1 ; 2.4 ; 0 ) ", "", shapes::kAsymmetricLorentzian, 1.1f, 2.4f, "la(1.1;2.4;0)"},
      {"LA(1.5,2.5,50)", "1.2~", shapes::kAsymmetricLorentzian + 50, 1.2f, 2.5f, "LA(1.5,2.5,50)"},
      // No finite area, no whole-number m, too large an m, numbers missing or trailing.
      {"LA(0.5,2.5,50)", "", -1, 0, 0, ""},
      {"LA(1.5,2.5,50.5)", "", -1, 0, 0, ""},
      {"LA(1.5,2.5,5001)", "", -1, 0, 0, ""},
      {"LA(1.5,2.5)", "", -1, 0, 0, ""},
      {"LA(1.5,2.5,50)X", "", -1, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    FitFixture f;
    f.row(0, c.function, "33.5~", "700~", "0.9~", c.d, "");
    fit::FitModel m;
    const auto outcome = fit::readTable(f.doc.F, m, [](int, const std::string&) { return false; });
    if (c.code < 0) {
      EXPECT_EQ(outcome.status, fit::ReadOutcome::FunctionError);
      continue;
    }
    ASSERT_EQ(outcome.status, fit::ReadOutcome::Ok);
    EXPECT_EQ(m.ifunc[1], c.code);
    EXPECT_EQ(m.ptab[4], c.alpha);
    EXPECT_EQ(m.ptab[5], c.beta);
    EXPECT_EQ(m.peaks[0].function, c.asRead);
  }
}

// Two LA lines on noise: the fit finds position, height and width within four standard
// errors, with the exponents fitted on the first line, and publishes the closed-form area.
TEST(LaFit, FitRecoversTheLineAndItsArea) {
  FitFixture f;
  std::mt19937 rng(99);
  std::normal_distribution<double> noise(0.0, 4.0);
  std::vector<double> x, y;
  for (int i = 0; i < 601; ++i) {
    x.push_back(28.0 + 14.0 * i / 600);
    y.push_back(shapes::laLine(x.back(), 33.5, 700, 0.9, 1.4, 2.6, 60) +
                shapes::laLine(x.back(), 35.7, 500, 0.9, 1.4, 2.6, 60) + noise(rng));
  }
  f.data(x, y);
  f.fit.panel.limitTag = 1000;
  f.row(0, "LA(1.5,2.5,60)", "33.4~", "600~", "1~", "1.5~", "2.5~", "1");
  f.row(1, "LA(1.5,2.5,60)", "35.6~", "400~", "1*1", "1*1", "1*1", "1");
  f.fit.start();
  ASSERT_TRUE(f.fit.haveResult) << f.fit.msg1();
  const fit::FitModel& m = f.fit.model();
  const std::vector<double>& se = f.fit.result().standardError;
  const double truth[] = {33.5, 700, 0.9, 1.4, 2.6, 35.7, 500};
  for (int j = 1; j <= 7; ++j) EXPECT_NEAR(m.ptab[j], truth[j - 1], 4 * se[j] + 1e-6) << j;
  const fit::PeakNumbers& p = f.fit.result().measures.peaks[0];
  ASSERT_TRUE(p.ok);
  EXPECT_NEAR(p.area, shapes::laArea(m.ptab[2], m.ptab[3], m.ptab[4], m.ptab[5]), 1e-9 * p.area);
  EXPECT_GT(p.areaError, 0.0);
  EXPECT_LT(p.height, m.ptab[2]);  // the convolution lowers the maximum
}

}  // namespace
}  // namespace xyla::test
