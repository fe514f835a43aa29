#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "model/data_buffer.h"
#include "support/temp_settings.h"

using xyla::Colour;
using xyla::DataBuffer;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void fill(DataBuffer& b, std::initializer_list<std::pair<double, double>> points) {
  for (auto [x, y] : points) b.addDoubleValue(x, y);
}

}  // namespace

TEST(DataBuffer, BuiltInStyleWithoutUserDefaults) {
  xyla::test::TempSettings tmp;
  DataBuffer b;
  EXPECT_EQ(b.color, Colour::black());
  EXPECT_EQ(b.fillcolor, Colour::lightGrey());
  EXPECT_EQ(b.linewidth, 1.0);
  EXPECT_EQ(b.symbolsize, 10.0);
  EXPECT_EQ(b.sticksize, 20.0);
  EXPECT_TRUE(b.plotlines);
  EXPECT_FALSE(b.plotsymbols || b.plotybars || b.plotarea || b.plotfhist);
  EXPECT_EQ(b.belongx, 1);
  EXPECT_EQ(b.belongy, 1);
  EXPECT_TRUE(b.show && b.plotlegend && b.warn);
  EXPECT_FALSE(b.norescale || b.rm || b.havexminmax || b.haserror());
}

TEST(DataBuffer, UserDefaultStyleAppliesOnlyPresentKeysAndFloatsAreSinglePrecision) {
  xyla::test::TempSettings tmp;
  tmp->setColour("BColor", Colour{1, 0, 0, 1});
  tmp->setFloat("BLineWidth", 0.1f);
  tmp->setInt("BSymbol", 7);
  tmp->setBool("BPlotLines", false);
  tmp->setBool("BPlotSymbols", true);
  tmp->setString("BDynSize", "x*2");
  tmp->setBool("BSymbolFill", true);
  DataBuffer b;
  EXPECT_EQ(b.color, (Colour{1, 0, 0, 1}));
  EXPECT_EQ(b.linewidth, static_cast<double>(0.1f));
  EXPECT_NE(b.linewidth, 0.1);
  EXPECT_EQ(b.symbol, 7);
  EXPECT_FALSE(b.plotlines);
  EXPECT_TRUE(b.plotsymbols);
  EXPECT_TRUE(b.symfill);
  EXPECT_EQ(b.dynsize, "x*2");
  EXPECT_EQ(b.fillcolor, Colour::lightGrey());  // absent key keeps the built-in value
  b.clearStyle();
  EXPECT_FALSE(b.plotlines);
  EXPECT_FALSE(b.plotsymbols);
  EXPECT_EQ(b.color, Colour::black());
}

TEST(DataBuffer, SavedDefaultStyleComesBackInNewBuffersExceptTheReadOnlyKeys) {
  xyla::test::TempSettings tmp;
  DataBuffer a;
  a.color = Colour{0.2, 0.4, 0.6, 0.8};
  a.stickcolor = Colour{0, 1, 0, 1};
  a.barcolor = Colour{0, 0, 1, 1};
  a.symfill = true;
  a.linewidth = 2.5;
  a.dash = 3;
  a.symbolsize = 7;
  a.dynsize = "y/10";
  a.plotlines = false;
  a.plotfhist = true;
  a.stickabs = true;
  a.saveAsDefaultStyle();
  EXPECT_FALSE(tmp->contains("BBarColor"));
  EXPECT_FALSE(tmp->contains("BSymbolFill"));
  DataBuffer b;
  EXPECT_EQ(b.color, a.color);
  EXPECT_EQ(b.stickcolor, a.stickcolor);
  EXPECT_EQ(b.barcolor, Colour::black());
  EXPECT_FALSE(b.symfill);
  EXPECT_EQ(b.linewidth, 2.5);
  EXPECT_EQ(b.dash, 3);
  EXPECT_EQ(b.symbolsize, 7);
  EXPECT_EQ(b.dynsize, "y/10");
  EXPECT_FALSE(b.plotlines);
  EXPECT_TRUE(b.plotfhist);
  EXPECT_TRUE(b.stickabs);
}

TEST(DataBuffer, CopyIsDeepAndLeavesOutExtentAndSomeStyle) {
  xyla::test::TempSettings tmp;
  DataBuffer a;
  fill(a, {{1, 2}, {3, 4}});
  a.addError();
  a.comment = "c";
  a.source = "s";
  a.belongx = 2;
  a.plotlegend = false;
  a.errorbary = 3;
  a.my_sql = "select";
  a.symbol = 5;
  a.disableWarn();
  auto c = a.copyWithZone();
  EXPECT_TRUE(a.warn);  // copying re-arms the original
  EXPECT_TRUE(c->warn);
  EXPECT_EQ(c->X, a.X);
  EXPECT_EQ(c->EY, a.EY);
  EXPECT_EQ(c->comment, "c");
  EXPECT_EQ(c->belongx, 2);
  EXPECT_FALSE(c->plotlegend);
  EXPECT_EQ(c->errorbary, 3);
  EXPECT_EQ(c->my_sql, "select");
  EXPECT_EQ(c->symbol, 5);
  EXPECT_FALSE(c->havexminmax);  // the extent is the caller's to compute
  c->X[0] = 99;
  EXPECT_EQ(a.X[0], 1);

  DataBuffer styled;
  styled.copyStyle(a);
  EXPECT_EQ(styled.symbol, 5);
  EXPECT_TRUE(styled.plotlegend);  // not part of the style
  EXPECT_EQ(styled.errorbary, 0);
  EXPECT_EQ(styled.belongx, 1);
}

TEST(DataBuffer, PointAccessOutOfRangeAnswersZero) {
  DataBuffer b;
  fill(b, {{1, 2}});
  EXPECT_EQ(b.xDoubleValueAt(-1), 0.0);
  EXPECT_EQ(b.yDoubleValueAt(1), 0.0);
  EXPECT_EQ(b.xDoubleErrorAt(0), 0.0);
  b.setXDoubleValueAt(5, 7);  // ignored
  EXPECT_EQ(b.X, (std::vector<double>{1}));
  b.Y.push_back(3);  // lists of unequal length
  EXPECT_EQ(b.count(), 0);
}

TEST(DataBuffer, AddingKeepsErrorListsInStepAndExtentIncremental) {
  DataBuffer b;
  fill(b, {{1, 5}});
  EXPECT_TRUE(b.EX.empty());
  b.addError();
  fill(b, {{-2, 7}});
  EXPECT_EQ(b.EX, (std::vector<double>{0, 0}));
  EXPECT_EQ(b.EY, (std::vector<double>{0, 0}));
  EXPECT_EQ(b.xmin, -2);
  EXPECT_EQ(b.xmax, 1);
  EXPECT_EQ(b.ymax, 7);
  b.addDoubleValueError(10, -1, 0.5, 0.25);
  EXPECT_EQ(b.xmax, 10);
  EXPECT_EQ(b.ymin, -1);
  EXPECT_EQ(b.EY.back(), 0.25);
  // Quick adds leave the extent for the caller's rescale.
  b.quickAddDoubleValueError(100, 100, 0, 0);
  EXPECT_EQ(b.xmax, 10);
  b.rescale();
  EXPECT_EQ(b.xmax, 100);
}

TEST(DataBuffer, NonFiniteValuesNeverEnterTheExtent) {
  DataBuffer b;
  fill(b, {{kNaN, kInf}});
  EXPECT_FALSE(b.havexminmax);
  EXPECT_FALSE(b.haveyminmax);
  fill(b, {{2, -kInf}, {kInf, 3}});
  EXPECT_EQ(b.xmin, 2);
  EXPECT_EQ(b.xmax, 2);
  EXPECT_EQ(b.ymin, 3);
  b.rescale();
  EXPECT_EQ(b.xmax, 2);
  EXPECT_EQ(b.ymax, 3);
  // Without any finite value the old numbers stay, with the flags off.
  b.X = {kNaN};
  b.Y = {kNaN};
  b.rescale();
  EXPECT_FALSE(b.havexminmax);
  EXPECT_EQ(b.xmin, 2);
  // While norescale is set the extent is frozen.
  b.X = {50};
  b.Y = {60};
  b.norescale = true;
  b.rescale();
  EXPECT_EQ(b.xmin, 2);
}

// The extent taken piece by piece (as a reader appending in runs does) is the one a
// single rescale gives, to the bit: of equal values the first stays, so the sign of a
// zero extreme is that of the first zero, and infinities and NaN never enter.
TEST(DataBuffer, ExtentTakenInPiecesIsTheRescaleExtent) {
  const double values[] = {-0.0, 0.0, kInf, -kInf, kNaN, 1.5, -1.5, 0.0, -0.0, 1.5, -2.0, kInf};
  std::uint64_t state = 7;
  for (int trial = 0; trial < 400; ++trial) {
    DataBuffer whole, pieces;
    const int n = trial % 23;
    for (int i = 0; i < n; ++i) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      const double x = values[(state >> 33) % 12], y = values[(state >> 45) % 12];
      whole.quickAddDoubleValue(x, y);
    }
    whole.rescale();
    pieces.havexminmax = pieces.haveyminmax = false;
    for (std::size_t from = 0; from < whole.X.size();) {
      const std::size_t to = std::min(whole.X.size(), from + 1 + (state >> (from % 50)) % 4);
      for (std::size_t i = from; i < to; ++i) pieces.quickAddDoubleValue(whole.X[i], whole.Y[i]);
      pieces.extendExtent(from);
      from = to;
    }
    ASSERT_EQ(pieces.havexminmax, whole.havexminmax) << trial;
    ASSERT_EQ(pieces.haveyminmax, whole.haveyminmax) << trial;
    const auto bits = [](double d) { return std::bit_cast<std::uint64_t>(d); };
    if (whole.havexminmax) {
      EXPECT_EQ(bits(pieces.xmin), bits(whole.xmin)) << trial;
      EXPECT_EQ(bits(pieces.xmax), bits(whole.xmax)) << trial;
    }
    if (whole.haveyminmax) {
      EXPECT_EQ(bits(pieces.ymin), bits(whole.ymin)) << trial;
      EXPECT_EQ(bits(pieces.ymax), bits(whole.ymax)) << trial;
    }
  }
  // A zero extreme keeps the sign of the first zero met.
  DataBuffer b;
  b.quickAddDoubleValue(-0.0, 0.0);
  b.quickAddDoubleValue(0.0, -0.0);
  b.rescale();
  EXPECT_TRUE(std::signbit(b.xmin) && std::signbit(b.xmax));
  EXPECT_FALSE(std::signbit(b.ymin) || std::signbit(b.ymax));
}

TEST(DataBuffer, SettingAnErrorCreatesZeroErrorsFirst) {
  DataBuffer b;
  fill(b, {{1, 1}, {2, 2}, {3, 3}});
  b.setYDoubleErrorAt(1, 0.5);
  EXPECT_EQ(b.EX, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(b.EY, (std::vector<double>{0, 0.5, 0}));
  b.setXDoubleErrorAt(7, 1.0);  // invalid index: errors exist, nothing set
  EXPECT_EQ(b.EX, (std::vector<double>{0, 0, 0}));
  b.deleteError();
  EXPECT_FALSE(b.haserror());
}

TEST(DataBuffer, DeletingPointsKeepsErrorsAlignedAndRescales) {
  DataBuffer b;
  for (int i = 0; i < 6; ++i) b.addDoubleValueError(i, 10 * i, i + 0.1, i + 0.2);
  b.deletePoint(5);
  EXPECT_EQ(b.xmax, 4);
  b.deletePoints({0, 2, 2, 99, -1});
  EXPECT_EQ(b.X, (std::vector<double>{1, 3, 4}));
  EXPECT_EQ(b.Y, (std::vector<double>{10, 30, 40}));
  EXPECT_EQ(b.EY, (std::vector<double>{1.2, 3.2, 4.2}));
  EXPECT_EQ(b.xmin, 1);
  b.deletePoint(-1);
  b.deletePoint(3);
  EXPECT_EQ(b.count(), 3);
}

TEST(DataBuffer, CopyDataTakesPointsAndErrorsButNotStyle) {
  DataBuffer a, b;
  a.addDoubleValueError(1, 2, 3, 4);
  b.addError();
  b.symbol = 9;
  b.comment = "mine";
  b.copyData(a);
  EXPECT_EQ(b.X, a.X);
  EXPECT_EQ(b.EY, (std::vector<double>{4}));
  EXPECT_EQ(b.symbol, 9);
  EXPECT_EQ(b.comment, "mine");
  DataBuffer plain;
  plain.addDoubleValue(5, 6);
  b.copyData(plain);
  EXPECT_FALSE(b.haserror());
  EXPECT_EQ(b.xmin, 5);
}

// Setting values one by one keeps the extent equal to a full recomputation, also when
// the changed value was an end of the extent, shared by other points or not finite.
TEST(DataBuffer, SettingValuesKeepsTheExtentExact) {
  xyla::DataBuffer b;
  for (int i = 0; i < 8; ++i) b.addDoubleValue(i % 3, 0.0);
  unsigned seed = 7;
  const double values[] = {0.0, 1.0, -1.0, 2.0, 2.0, NAN, INFINITY, 0.5};
  for (int step = 0; step < 2000; ++step) {
    seed = seed * 1103515245u + 12345u;
    const int i = static_cast<int>(seed >> 16) % 9 - (step % 50 == 0 ? 1 : 0);  // sometimes out of range
    const double v = values[(seed >> 8) % 8];
    if (seed & 1) b.setXDoubleValueAt(i, v);
    else b.setYDoubleValueAt(i, v);
    xyla::DataBuffer full;
    full.X = b.X;
    full.Y = b.Y;
    full.rescale();
    ASSERT_EQ(b.havexminmax, full.havexminmax) << step;
    ASSERT_EQ(b.haveyminmax, full.haveyminmax) << step;
    if (full.havexminmax) {
      ASSERT_EQ(std::make_pair(b.xmin, b.xmax), std::make_pair(full.xmin, full.xmax)) << step;
    }
    if (full.haveyminmax) {
      ASSERT_EQ(std::make_pair(b.ymin, b.ymax), std::make_pair(full.ymin, full.ymax)) << step;
    }
  }
}
