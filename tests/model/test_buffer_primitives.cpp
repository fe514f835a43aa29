#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "model/data_buffer.h"
#include "support/scripted_ui.h"

using xyla::DataBuffer;
using xyla::test::ScriptedUi;

namespace {

DataBuffer& points(DataBuffer& b, const std::vector<double>& x, const std::vector<double>& y) {
  for (std::size_t i = 0; i < x.size(); ++i) b.addDoubleValue(x[i], y[i]);
  return b;
}

// The sort written exactly as the exchange formulation, as an independent reference.
void literalShellSort(std::vector<double>& k, std::vector<double>& other) {
  static const long gaps[] = {363552448, 165251120, 75114144, 34142792, 15519450, 7054296, 3206498, 1457499, 662500,
                              301136,    136880,    62218,    28281,    12855,    5843,    2656,    1207,    549,
                              249,       113,       52,       23,       11,       5,       2,       1,       0};
  const long n = static_cast<long>(k.size());
  int g = 0;
  while (gaps[g] > n) ++g;
  for (; gaps[g] != 0; ++g) {
    const long gap = gaps[g];
    for (long i = 0; i + gap < n; ++i)
      for (long j = i; j >= 0 && k[j] > k[j + gap]; j -= gap) {
        std::swap(k[j], k[j + gap]);
        std::swap(other[j], other[j + gap]);
      }
  }
}

}  // namespace

TEST(BufferPrimitives, SortMatchesTheExchangeFormulationIncludingTiesAndNaN) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    const int n = 1 + static_cast<int>(rng() % 3000);
    std::vector<double> x(n), y(n);
    for (int i = 0; i < n; ++i) {
      x[i] = static_cast<double>(rng() % 50);  // many equal keys
      if (rng() % 97 == 0) x[i] = std::numeric_limits<double>::quiet_NaN();
      y[i] = i;  // identifies the original point
    }
    DataBuffer b;
    points(b, x, y);
    b.addError();
    for (int i = 0; i < n; ++i) b.EY[i] = 1000 + i;
    literalShellSort(x, y);
    b.sort(0);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(b.Y[i], y[i]) << "round " << round << " index " << i;
      ASSERT_EQ(b.EY[i], 1000 + y[i]);  // errors travel with their points
    }
  }
}

TEST(BufferPrimitives, SortByYAndRescale) {
  DataBuffer b;
  points(b, {1, 2, 3}, {3, 1, 2});
  b.sort(1);
  EXPECT_EQ(b.Y, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(b.X, (std::vector<double>{2, 3, 1}));
  EXPECT_FALSE(b.norescale);
  EXPECT_EQ(b.xmin, 1);
}

TEST(BufferPrimitives, CutKeepsStrictlyInsideOrOutside) {
  ScriptedUi ui;
  DataBuffer b;
  points(b, {1, 2, 3, 4, std::nan("")}, {10, 20, 30, 40, 50});
  b.addError();
  b.EY = {0.1, 0.2, 0.3, 0.4, 0.5};
  auto inside = b.copyWithZone();
  inside->cut(0, 4, 1, 0, ui);  // limits in either order; the limits themselves drop
  EXPECT_EQ(inside->X, (std::vector<double>{2, 3}));
  EXPECT_EQ(inside->EY, (std::vector<double>{0.2, 0.3}));
  auto outside = b.copyWithZone();
  outside->cut(1, 15, 35, 1, ui);
  EXPECT_EQ(outside->Y, (std::vector<double>{10, 40, 50}));
  EXPECT_EQ(ui.beeps, 0);
  auto none = b.copyWithZone();
  none->cut(0, 2, 3, 0, ui);  // nothing strictly between 2 and 3
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(none->count(), 5);
  none->cut(2, 0, 10, 0, ui);  // no such axis
  EXPECT_EQ(ui.beeps, 2);
}

TEST(BufferPrimitives, ReductionAveragesCompleteGroups) {
  ScriptedUi ui;
  DataBuffer b;
  for (int i = 0; i < 10; ++i) b.addDoubleValueError(i, 2 * i, 1, i);
  b.comment = "data";
  b.reduction(3, ui);
  EXPECT_EQ(b.X, (std::vector<double>{1, 4, 7}));
  EXPECT_EQ(b.Y, (std::vector<double>{2, 8, 14}));
  EXPECT_EQ(b.EY, (std::vector<double>{1, 4, 7}));
  EXPECT_EQ(b.comment, "data, data reduction(3)");
  b.reduction(2, ui);  // 3 points < 4
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "To Few Points");
  EXPECT_EQ(ui.alerts[0].message, "this buffer contain to few points for data reduction with this factor");
  EXPECT_EQ(b.count(), 3);
  EXPECT_EQ(b.comment, "data, data reduction(3)");
}

TEST(BufferPrimitives, SmoothUsesTheAsymmetricWindow) {
  ScriptedUi ui;
  DataBuffer b;
  points(b, {0, 1, 2, 3}, {0, 10, 20, 40});
  b.smooth(1, ui);  // window i-1 .. i
  EXPECT_EQ(b.Y, (std::vector<double>{0, 5, 15, 30}));
  EXPECT_EQ(b.X, (std::vector<double>{0, 0.5, 1.5, 2.5}));
  EXPECT_EQ(b.comment, ", smooth(1)");
  DataBuffer c;
  points(c, {0, 1, 2, 3, 4}, {1, 2, 3, 4, 5});
  c.smooth(2, ui);  // window i-2 .. i+1, clipped
  EXPECT_DOUBLE_EQ(c.Y[0], 1.5);
  EXPECT_DOUBLE_EQ(c.Y[2], 2.5);
  EXPECT_DOUBLE_EQ(c.Y[4], 4.0);
  c.smooth(3, ui);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].message, "this buffer contain to few points for smoothing with this factor");
}

TEST(BufferPrimitives, PointwiseShiftsAndMaps) {
  DataBuffer b;
  points(b, {1, 2}, {3, 4});
  b.linBg(2, 1);
  EXPECT_EQ(b.Y, (std::vector<double>{6, 9}));
  b.normX(1, 2, 10, 20);
  EXPECT_EQ(b.X, (std::vector<double>{10, 20}));
  b.normY(6, 9, 0, 1);
  EXPECT_EQ(b.Y, (std::vector<double>{0, 1}));
  b.addX(-10);
  b.addY(5);
  EXPECT_EQ(b.xmax, 10);
  EXPECT_EQ(b.ymin, 5);
  b.addError();
  b.EX = {0.1, 0.2};
  b.swapXY();
  EXPECT_EQ(b.X, (std::vector<double>{5, 6}));
  EXPECT_EQ(b.Y, (std::vector<double>{0, 10}));
  EXPECT_EQ(b.EY, (std::vector<double>{0.1, 0.2}));
  EXPECT_EQ(b.ymax, 10);
}

TEST(BufferPrimitives, CheckDXAsksOnUnevenOrUnsortedSpacing) {
  ScriptedUi ui;
  DataBuffer even;
  points(even, {0, 1, 2, 3.04}, {0, 0, 0, 0});  // within d/20
  EXPECT_TRUE(even.checkDX(ui));
  EXPECT_TRUE(ui.alerts.empty());
  DataBuffer uneven;
  points(uneven, {0, 1, 2, 3.06}, {0, 0, 0, 0});
  ui.answer("Cancel");
  EXPECT_FALSE(uneven.checkDX(ui));
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Buffer has not a const. Dx and/or is unsorted!");
  EXPECT_EQ(ui.alerts[0].message, "Fourier transform works not correctly!");
  EXPECT_EQ(ui.alerts[0].buttons, (std::vector<std::string>{"Continue", "Cancel"}));
  ui.answer("Continue");
  EXPECT_TRUE(uneven.checkDX(ui));
  DataBuffer falling;
  points(falling, {3, 2, 1}, {0, 0, 0});
  EXPECT_TRUE(falling.checkDX(ui));  // default answer: Continue
  EXPECT_EQ(ui.alerts.size(), 3u);
  uneven.disableWarn();
  EXPECT_TRUE(uneven.checkDX(ui));  // skipped once
  EXPECT_EQ(ui.alerts.size(), 3u);
  EXPECT_TRUE(uneven.warn);
}

TEST(BufferPrimitives, CheckSortOffersToSort) {
  ScriptedUi ui;
  DataBuffer b;
  points(b, {3, 1, 2}, {30, 10, 20});
  b.disableWarn();
  EXPECT_TRUE(b.checkSort(ui));  // skipped once without looking
  EXPECT_TRUE(ui.alerts.empty());
  ui.answer("Cancel");
  EXPECT_FALSE(b.checkSort(ui));
  EXPECT_EQ(ui.alerts.back().title, "Unsorted Buffer");
  EXPECT_EQ(ui.alerts.back().message, "for this operation your need a buffer with sorted X values");
  EXPECT_EQ(b.X, (std::vector<double>{3, 1, 2}));
  ui.answer("Sort");
  EXPECT_TRUE(b.checkSort(ui));
  EXPECT_EQ(b.X, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(b.Y, (std::vector<double>{10, 20, 30}));
  EXPECT_TRUE(b.checkSort(ui));
  EXPECT_EQ(ui.alerts.size(), 2u);
}
