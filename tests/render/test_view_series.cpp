#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view_fixture.h"

namespace xyla::test {
namespace {

using Series = ViewFixture;

// Strokes drawn in the buffer's line colour, which the tests make unique.
std::vector<RecordingCanvas::Op> strokesIn(const RecordingCanvas& c, const Colour& col) {
  std::vector<RecordingCanvas::Op> out;
  for (const auto& o : c.opsOfKind("stroke"))
    if (sameColour(o.colour, col)) out.push_back(o);
  return out;
}

constexpr Colour kRed{1, 0, 0, 1};

TEST_F(Series, SamplingStrideFollowsTheFrameWidth) {
  doc.marginleft = 0;
  doc.marginright = 0;
  view.setFrameSize(500, 300);
  DataBuffer& b = doc.newBuffer();
  for (int i = 0; i < 10000; ++i) b.addDoubleValue(i * 10.0 / 9999, 1);
  draw();
  EXPECT_EQ(view.samplingStride(b), 10);
  doc.alldraw = true;
  EXPECT_EQ(view.samplingStride(b), 1);
  doc.alldraw = false;
  doc.scale(1, 4, 6, 0, 10, false, false);  // zoomed in five times: five times denser
  EXPECT_EQ(view.samplingStride(b), 2);
}

TEST_F(Series, LongSolidLinesAreStrokedSegmentBySegment) {
  DataBuffer& b = doc.newBuffer();
  b.color = kRed;
  for (int i = 0; i < 3000; ++i) b.addDoubleValue(i * 10.0 / 2999, 5 + std::sin(i * 0.01));
  doc.alldraw = true;
  draw();
  auto strokes = strokesIn(canvas, kRed);
  EXPECT_EQ(strokes.size(), 2999u);
  for (const auto& s : strokes) ASSERT_EQ(s.path.elements().size(), 2u);
  b.dash = 2;  // dashed: one path so the dash runs on
  draw();
  strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(strokes[0].path.elements().size(), 3000u);
  EXPECT_FALSE(strokes[0].dash.empty());
  doc.forcerenderhigh = true;
  b.dash = 0;
  draw();
  EXPECT_EQ(strokesIn(canvas, kRed).size(), 1u);
}

TEST_F(Series, CoincidingSymbolsOfHugeBuffersAreDrawnOnce) {
  DataBuffer& b = doc.newBuffer();
  b.plotlines = false;
  b.plotsymbols = true;
  b.symbol = 14;
  b.color = kRed;
  for (int i = 0; i < 30000; ++i) b.addDoubleValue(5 + (i % 3) * 1e-9, 5);  // one spot
  b.addDoubleValue(6, 6);
  draw();
  EXPECT_EQ(strokesIn(canvas, kRed).size(), 2u);
  b.X.resize(100);  // short buffers draw every point, even on one spot
  b.Y.resize(100);
  draw();
  EXPECT_EQ(strokesIn(canvas, kRed).size(), 100u);
}

TEST_F(Series, CoincidingBarsOfHugeBuffersAreDrawnOnce) {
  struct Case {
    const char* what;
    bool ybars, xbars;
    int errors;  // error bar mode on both axes
  };
  const Case cases[] = {{"y bars", true, false, 0}, {"x bars", false, true, 0}, {"error bars", false, false, 1}};
  for (const Case& c : cases) {
    doc.DB.clear();
    DataBuffer& b = doc.newBuffer();
    b.plotlines = false;
    b.plotybars = c.ybars;
    b.plotxbars = c.xbars;
    b.errorbarx = b.errorbary = c.errors;
    b.errorvalx = b.errorvaly = 0.5;
    b.color = b.errorcolor = kRed;
    b.barcolor = kRed;
    for (int i = 0; i < 30000; ++i) b.addDoubleValue(1 + (i % 4) + (i % 3) * 1e-9, 2 + (i % 4));  // four spots
    draw();
    const std::size_t thinned = strokesIn(canvas, kRed).size();
    EXPECT_GT(thinned, 0u) << c.what;
    EXPECT_LE(thinned, 8u) << c.what;  // four spots, at most two strokes each
    b.X.resize(100);  // short buffers draw every point
    b.Y.resize(100);
    draw();
    EXPECT_EQ(strokesIn(canvas, kRed).size(), thinned * 25) << c.what;
  }
  // Error bars of one spot with errors that differ visibly (by 2.3 units) are all drawn.
  DataBuffer& b = doc.newBuffer();
  b.plotlines = false;
  b.errorbary = 3;
  b.errorcolor = {0, 1, 0, 1};
  for (int i = 0; i < 30000; ++i) b.addDoubleValueError(5, 5, 0, 0.1 * (i % 50) + 0.1);
  draw();
  EXPECT_EQ(strokesIn(canvas, {0, 1, 0, 1}).size(), 50u);
}

}  // namespace
}  // namespace xyla::test
