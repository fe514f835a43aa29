#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "fit/background_terms.h"
#include "fit/result_columns.h"
#include "fit/shape_help.h"
#include "fit_fixture.h"
#include "shapes/peak_model.h"
#include "shapes/shape_registry.h"

namespace xyla::test {
namespace {

// The headers name the parameters of the row's function, whatever its spelling; user
// functions and empty rows keep the letters.
TEST(ShapeHelp, ParametersFollowTheFunction) {
  const struct {
    const char* function;
    const char *a, *c, *d, *e;
  } cases[] = {
      {"GL", "Position", "Width", "Mixing", "(unused)"},
      {" gl* ", "Position", "Width", "Mixing", "Gauss width"},
      {"DS", "Position", "Width", "Asymmetry", "(unused)"},
      {"ds*", "Position", "Width", "Asymmetry", "Gauss width"},
      {"ET", "Position", "Width", "Mixing", "Tail"},
      {"A*exp(-(x-B)^2)", "A", "C", "D", "E"},
      {" shirley", "Low-X level", "(unused)", "(unused)", "(unused)"},
      {"Tougaard", "B", "C", "Side", "(unused)"},
      {"linear", "t^0", "t^2", "t^3", "t^4"},
      {"la(1.5, 2.5, 50)", "Position", "Width", "Alpha", "Beta"},
      {"", "A", "C", "D", "E"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    const auto help = fit::parameterHelp(c.function);
    EXPECT_EQ(help[0].name, c.a);
    EXPECT_EQ(help[2].name, c.c);
    EXPECT_EQ(help[3].name, c.d);
    EXPECT_EQ(help[4].name, c.e);
    for (const auto& p : help) EXPECT_FALSE(p.tip.empty());
  }
}

// The chooser offers every fittable shape of the registry, each with a description, and
// the convolved form exactly where the registry allows it; every name reads back as a
// shape of the fit.
TEST(ShapeHelp, ChooserOffersEveryRegisteredShape) {
  const auto offered = fit::offeredShapes();
  std::size_t expected = 0;
  for (const shapes::LineShape& s : shapes::lineShapes()) {
    if (s.fitName.empty() || s.code < 0) continue;
    const std::string name(s.fitName);
    auto has = [&](const std::string& n) {
      return std::ranges::any_of(offered, [&](const fit::ShapeHelp& h) { return h.name == n; });
    };
    EXPECT_TRUE(has(name)) << name;
    EXPECT_EQ(has(name + "*"), s.convolvable) << name;
    expected += s.convolvable ? 2 : 1;
  }
  // Then LA with example numbers and the backgrounds, each read back as what it is.
  ASSERT_EQ(offered.size(), expected + 4);
  double alpha = 0, beta = 0;
  EXPECT_TRUE(shapes::isLaCode(shapes::laShapeOfName(offered[expected].name, alpha, beta)));
  for (std::size_t i = 0; i < offered.size(); ++i) {
    const fit::ShapeHelp& h = offered[i];
    if (i < expected) {
      EXPECT_GE(shapes::fitCodeOfName(h.name), 0) << h.name;
    } else if (i > expected) {
      EXPECT_TRUE(fit::isBackgroundCode(fit::backgroundCodeOfName(h.name))) << h.name;
    }
    EXPECT_FALSE(h.description.empty()) << h.name;
  }
}

// A switched-off row switches on when an edit gives it a function and A to C; rows that
// were complete already, or are on, stay as the person left them.
TEST(ShapeHelp, CompletedRowsSwitchOn) {
  auto row = [](const char* f, const char* a, const char* b, const char* c, bool on) {
    FitRow r;
    r.set(FitCell::Function, f);
    r.set(FitCell::A, a);
    r.set(FitCell::B, b);
    r.set(FitCell::C, c);
    r.setActive(on);
    return r;
  };
  const struct {
    const char* name;
    FitRow before, after;
    bool switches;
  } cases[] = {
      {"width completes", row("GL", "1", "2", "", false), row("GL", "1", "2", "3", false), true},
      {"function completes", row("", "1", "2", "3", false), row("DS", "1", "2", "3", false), true},
      {"still missing B", row("GL", "1", "", "", false), row("GL", "1", "", "3", false), false},
      {"was complete, switched off", row("GL", "1", "2", "3", false), row("GL", "1", "2", "4", false), false},
      {"already on", row("GL", "1", "2", "", true), row("GL", "1", "2", "3", true), false},
  };
  for (const auto& c : cases) EXPECT_EQ(fit::completesRow(c.before, c.after), c.switches) << c.name;
}

// The result columns put each peak's numbers in its own table row, from the fit's
// standard errors and measures; rows without a peak, and every row after a fit that did
// not succeed, stay empty.
TEST(ResultColumns, EachPeakRowShowsItsMeasures) {
  FitFixture f;
  loadSpectrum(f, {{284, 900, 1.1, 0.3}, {286.5, 350, 1.4, 0.7}}, 5.0);
  f.row(0, "GL", "284.2~", "800~", "1~", "0.3", "", "1");
  f.row(2, "GL", "286.3~", "300~", "1.5~", "0.7");  // no weight: no percentage
  f.fit.start();
  ASSERT_TRUE(f.fit.result().success);
  const auto cells = fit::resultCells(f.fit.model(), f.fit.result(), kFitRowCount);
  ASSERT_EQ(cells.size(), static_cast<std::size_t>(kFitRowCount));
  ASSERT_EQ(cells[0].size(), fit::resultColumns().size());
  const auto& measures = f.fit.result().measures.peaks;
  const auto& errors = f.fit.result().standardError;
  for (int k = 0; k < 2; ++k) {
    const int row = k == 0 ? 0 : 2;
    SCOPED_TRACE(row);
    auto value = [&](int column) { return std::strtod(cells[row][column].c_str(), nullptr); };
    EXPECT_NEAR(value(0), errors[5 * k + 1], 1e-5 * errors[5 * k + 1]);
    EXPECT_GT(value(0), 0);
    EXPECT_EQ(cells[row][3], "") << "D is fixed";
    EXPECT_EQ(cells[row][4], "") << "E is empty";
    EXPECT_NEAR(value(5), measures[k].area, 1e-5 * measures[k].area);
    EXPECT_NEAR(value(6), measures[k].areaError, 1e-5 * measures[k].areaError);
    EXPECT_NEAR(value(7), measures[k].fwhm, 1e-5);
  }
  EXPECT_EQ(cells[0][8], "100");
  EXPECT_EQ(cells[2][8], "");
  for (const auto& cell : cells[1]) EXPECT_EQ(cell, "");

  fit::FitResult failed = f.fit.result();
  failed.success = false;
  for (const auto& row : fit::resultCells(f.fit.model(), failed, kFitRowCount))
    for (const auto& cell : row) EXPECT_EQ(cell, "");
}

}  // namespace
}  // namespace xyla::test
