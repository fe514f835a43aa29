#include <gtest/gtest.h>

#include "fit/fit_table.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

using fit::Cell;
using fit::parseCell;

TEST(FitTable, CellNotation) {
  Cell c = parseCell("284.5~");
  EXPECT_EQ(c.kind, Cell::Free);
  EXPECT_EQ(c.value, 284.5);
  EXPECT_EQ(c.range, -1);
  c = parseCell("5~0.5");
  EXPECT_EQ(c.kind, Cell::Free);
  EXPECT_EQ(c.range, 0.5);
  c = parseCell("1-0.5");
  EXPECT_EQ(c.kind, Cell::Tie);
  EXPECT_EQ(c.op, fit::kTieMinus);
  EXPECT_EQ(c.row, 1);
  EXPECT_EQ(c.value, 0.5);
  c = parseCell("2*1e-3");  // the exponent's sign is not an operator
  EXPECT_EQ(c.kind, Cell::Tie);
  EXPECT_EQ(c.op, fit::kTieTimes);
  EXPECT_EQ(c.row, 2);
  EXPECT_DOUBLE_EQ(c.value, 1e-3);
  c = parseCell("1E+3");
  EXPECT_EQ(c.kind, Cell::Fixed);
  EXPECT_EQ(c.value, 1000);
  c = parseCell("-1.5");  // a leading minus is a sign
  EXPECT_EQ(c.kind, Cell::Fixed);
  EXPECT_EQ(c.value, -1.5);
  c = parseCell("3+-2");
  EXPECT_EQ(c.op, fit::kTiePlus);
  EXPECT_EQ(c.value, -2);
  EXPECT_EQ(parseCell("").kind, Cell::Empty);
  c = parseCell("abc");  // garbage reads as 0
  EXPECT_EQ(c.kind, Cell::Fixed);
  EXPECT_EQ(c.value, 0);
  EXPECT_EQ(parseCell("nan").value, 0);
  EXPECT_EQ(fit::cleanCell(" 1,5 \t~\r"), "1.5~");
}

TEST(FitTable, ReadsShapesLimitsAndFreeParameters) {
  FitFixture f;
  f.row(0, "GL", "284.5~", "1000~", "1.2~", "0.3", "");
  f.row(1, "ds*", "280~2", "5", "1~", "0.1~", "0.4~");
  f.row(2, "", "1~", "1~", "1~");   // no function: not a peak
  f.row(3, "GL", "1~", "1~", "1~");
  f.doc.F[3].setActive(false);  // switched off
  ASSERT_TRUE(f.fit.readtab());
  const fit::FitModel& m = f.fit.model();
  EXPECT_EQ(m.npix, 2);
  EXPECT_EQ(m.nptab, 10);
  EXPECT_EQ(m.ifunc[1], 0);
  EXPECT_EQ(m.ifunc[2], 101);
  EXPECT_EQ(m.nmfit, 7);
  const int freeParams[] = {1, 2, 3, 6, 8, 9, 10};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(m.mfit[i + 1], freeParams[i]);
  EXPECT_EQ(m.ptab[4], 0.3f);
  EXPECT_EQ(m.ptmin[6], 278);  // a typed range replaces the default limits
  EXPECT_EQ(m.ptmax[6], 282);
  EXPECT_EQ(m.ptmin[9], -0.5f);
  EXPECT_EQ(m.ptmax[10], 100);
  EXPECT_EQ(m.ed[0], 0);
  EXPECT_EQ(m.ed[1], 1);
  EXPECT_EQ(m.ed[2], -1);
  EXPECT_EQ(m.ed[3], -1);
}

// Shapes with the Lorentzian percentage in their name take it as a fixed D unless the D
// cell is typed; the percentage and Voigt shapes have their own limits of D.
TEST(FitTable, PercentageNamesAndTheirLimits) {
  struct Case {
    const char* function;
    const char* d;
    int code;
    float value, dMax;
    bool dFree;
  };
  const Case cases[] = {
      {"GL(30)", "", 10, 30, 100, false},   {" sgl(12.5) ", "", 11, 12.5f, 100, false},
      {"GL(30)", "40~", 10, 40, 100, true}, {"GLP", "25~", 10, 25, 100, true},
      {"SGL*", "5", 111, 5, 100, false},    {"VOIGT", "0.4~", 12, 0.4f, 1e36f, true},
      {"GL(0)", "", 10, 0, 100, false},     {"SGL(100)", "", 11, 100, 100, false},
  };
  for (const Case& c : cases) {
    FitFixture f;
    f.row(0, c.function, "284~", "10~", "1~", c.d, "0.3");
    ASSERT_TRUE(f.fit.readtab()) << c.function;
    const fit::FitModel& m = f.fit.model();
    EXPECT_EQ(m.ifunc[1], c.code) << c.function;
    EXPECT_EQ(m.ptab[4], c.value) << c.function;
    EXPECT_EQ(m.ptmax[4], c.dMax) << c.function;
    EXPECT_EQ(m.nmfit, c.dFree ? 4 : 3) << c.function;
  }
  // Percentages outside 0..100 or not numbers are no shape names: a user function, which
  // does not parse.
  for (const char* bad : {"GL(101)", "GL(-1)", "SGL()", "GL(3x)"}) {
    FitFixture f;
    f.row(0, bad, "284~", "10~", "1~");
    EXPECT_FALSE(f.fit.readtab()) << bad;
  }
}

TEST(FitTable, TieErrorsNameLineColumnAndReason) {
  struct Case {
    const char* cell;
    const char* message;
  } cases[] = {
      {"3+1", "Error in line 2 column A !\nValues can only depend on previously defined values !"},
      {"2+1", "Error in line 2 column A !\nValues can only depend on previously defined values !"},
      {"0+1", "Error in line 2 column A !\nValues can only depend on previously defined values !"},
      {"1+1", "Error in line 2 column A !\nValues can not depend on disabled lines !"},
      {"3/0", "Error in line 2 ! Dviding by zero error !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    FitFixture f;
    f.row(0, "GL", "1~", "1~", "1~");
    f.doc.F[0].setActive(false);
    f.row(2, "GL", "5~", "1~", "1~");
    f.row(1, "GL", c.cell, "1~", "1~");
    if (std::string(c.cell) == "3/0") {  // a valid row to divide by
      f.row(0, "GL", "1~", "1~", "1~");
      f.row(1, "GL", "1/0", "1~", "1~");
    }
    EXPECT_FALSE(f.fit.readtab());
    ASSERT_EQ(f.ui.alerts.size(), 1u);
    EXPECT_EQ(f.ui.alerts[0].title, "Alert");
    EXPECT_EQ(f.ui.alerts[0].buttons, std::vector<std::string>{"OK"});
    std::string expected = c.message;
    if (expected.find("Dviding") != std::string::npos) expected = "Error in line 2 ! Dviding by zero error !";
    EXPECT_EQ(f.ui.alerts[0].message, expected);
    // Nothing half-read is written back.
    const FitTable before = f.doc.F;
    f.fit.writeTable();
    EXPECT_EQ(f.doc.F, before);
  }
  FitFixture chained;
  chained.row(0, "GL", "1~", "1~", "1~");
  chained.row(1, "GL", "1+1", "1~", "1~");
  chained.row(2, "GL", "2+1", "1~", "1~");
  EXPECT_FALSE(chained.fit.readtab());
  EXPECT_EQ(chained.ui.alerts.at(0).message,
            "Error in line 3 column A !\nValues can not depend on other dependent values !");
}

TEST(FitTable, NothingToFitAndBrokenUserFunctions) {
  FitFixture f;
  EXPECT_FALSE(f.fit.readtab());  // empty table
  f.row(0, "GL", "1", "2", "3");
  EXPECT_FALSE(f.fit.readtab());
  ASSERT_EQ(f.ui.alerts.size(), 2u);
  EXPECT_EQ(f.ui.alerts[1].title, "There is nothing to fit");
  EXPECT_EQ(f.ui.alerts[1].message, "Please apply at least one '~' to a parameter of a function");
  f.row(1, "B*exp(-((x-A)/C)^2", "1~", "2~", "3~");
  EXPECT_FALSE(f.fit.readtab());
  EXPECT_EQ(f.ui.alerts.back().title, "Expression Error");
}

TEST(FitTable, WritingBackKeepsTheNotation) {
  FitFixture f;
  f.row(0, "GL", "284.5~", "1000~", "1.2~0.5", "0.3", "");
  f.row(1, "GL", "1+1.5", "1*0.5", "1/4", "1-0.1", "");
  f.row(2, "DS", "5~0", "2e-3", "1~", "", "7");
  ASSERT_TRUE(f.fit.readtab());
  f.fit.writeTable();
  const char* expected[3][5] = {{"284.5~", "1000~", "1.2~0.5", "0.3", ""},
                                {"1+1.5", "1*0.5", "1/4", "1-0.1", ""},
                                {"5", "0.002", "1~", "", "7"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(f.cell(r, parameterCell(c)), expected[r][c]) << r << c;
  // The additive tie of "1-0.1" is stored negated, the division as its reciprocal.
  EXPECT_FLOAT_EQ(f.fit.model().ptab[9], -0.1f);
  EXPECT_EQ(f.fit.model().krel[9], 1);
  EXPECT_FLOAT_EQ(f.fit.model().ptab[8], 0.25f);
  EXPECT_EQ(f.fit.model().krel[8], 0);
}

TEST(FitTable, PercentagesFollowWeightTimesArea) {
  FitFixture f;
  f.row(0, "GL", "1~", "1~", "1~", "", "", "1");
  f.row(1, "GL", "2~", "1~", "1~", "", "", "3");
  f.row(2, "GL", "3~", "1~", "1~", "", "", "");
  ASSERT_TRUE(f.fit.readtab());
  fit::FitModel m = f.fit.model();
  for (int k = 1; k <= 3; ++k) m.pkint[k] = 10;
  fit::writeTableCells(m, false, f.doc.F);
  EXPECT_EQ(f.cell(0, FitCell::Percent), "");  // no areas yet
  fit::writeTableCells(m, true, f.doc.F);
  EXPECT_EQ(f.cell(0, FitCell::Percent), "25");
  EXPECT_EQ(f.cell(1, FitCell::Percent), "75");
  EXPECT_EQ(f.cell(2, FitCell::Percent), "");
  EXPECT_EQ(f.cell(1, FitCell::Weight), "3");
  EXPECT_EQ(f.cell(2, FitCell::Weight), "");
  EXPECT_FLOAT_EQ(m.pkper[2], 75);
  for (int k = 1; k <= 3; ++k) m.pkint[k] = 0;  // no area at all: no percentage, no NaN
  fit::writeTableCells(m, true, f.doc.F);
  EXPECT_EQ(f.cell(0, FitCell::Percent), "");
}

TEST(FitTable, TwentyFourPeaksAndGarbage) {
  FitFixture f;
  for (int r = 0; r < 24; ++r) f.row(r, "GL", std::to_string(r) + "~", "x~y", "#!", "\xff", "1e999");
  ASSERT_TRUE(f.fit.readtab());
  EXPECT_EQ(f.fit.model().npix, 24);
  EXPECT_EQ(f.fit.model().nmfit, 48);
  EXPECT_EQ(f.fit.model().ptab[5], 0);  // an overflowing number reads as 0
  f.doc.F.resize(30, f.doc.F[0]);       // rows beyond 24 are not read
  ASSERT_TRUE(f.fit.readtab());
  EXPECT_EQ(f.fit.model().npix, 24);
}

}  // namespace
}  // namespace xyla::test
