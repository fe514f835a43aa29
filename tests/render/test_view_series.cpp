#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "render/polyline_thinning.h"
#include "render/qt_canvas.h"
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
  draw();
  auto strokes = strokesIn(canvas, kRed);
  EXPECT_EQ(strokes.size(), 599u);  // sampled with stride 5
  for (const auto& s : strokes) ASSERT_EQ(s.path.elements().size(), 2u);
  // Through every point: thinned to a few points per quarter unit of the 320-unit
  // frame, one path with round joins and caps; unthinned, the same path holds every point.
  doc.alldraw = true;
  draw();
  strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_LT(strokes[0].path.elements().size(), 2600u);
  EXPECT_EQ(strokes[0].join, LineJoin::Round);
  setEveryPointThinning(false);
  draw();
  setEveryPointThinning(true);
  strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(strokes[0].path.elements().size(), 3000u);
  b.dash = 2;  // dashed: one path of every point so the dash runs on
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

// The thinned line paints what the line through every point paints. Compared without
// antialiasing, where a pixel is inked when its centre lies under the stroke: the thinned
// points stray by up to a quarter unit sideways within their column, so only pixels whose
// centre lies that close to an edge of the stroke may flip (and then by the whole colour
// range). Allowed: under 2 % of the inked pixels differ, by 4 of 255 on average. (With
// antialiasing the two differ by design: Qt's stroker adds up the edge coverage of
// every tiny segment, which made dense lines look bolder than their pen.)
TEST_F(Series, ThinnedLinePaintsWhatTheLineThroughEveryPointPaints) {
  DataBuffer& b = doc.newBuffer();
  b.color = kRed;
  std::uint64_t state = 1;
  constexpr int kPoints = 40000;
  for (int i = 0; i < kPoints; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double noise = static_cast<double>(state >> 40) / double(1 << 24);
    const double phase = i * 6.0 / kPoints;
    b.addDoubleValue(i * 10.0 / (kPoints - 1), 5 + 3 * std::sin(phase * 6) + noise * (phase < 3 ? 0.05 : 1.5));
  }
  b.rescale();
  doc.alldraw = true;
  auto render = [&](bool thinned, double scale) {
    QImage image(int(400 * scale), int(300 * scale), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    QtCanvas c(painter, 400, 300);
    c.setAntialias(false);
    setEveryPointThinning(thinned);
    view.drawRect(c);
    setEveryPointThinning(true);
    return image;
  };
  for (double width : {1.0, 2.5, 6.0})
    for (double scale : {1.0, 2.0}) {
      SCOPED_TRACE("width " + std::to_string(width) + ", scale " + std::to_string(scale));
      b.linewidth = width;
      const QImage fast = render(true, scale), every = render(false, scale);
      long differ = 0, inked = 0;
      double sum = 0;
      for (int y = 0; y < fast.height(); ++y)
        for (int x = 0; x < fast.width(); ++x) {
          const QRgb p = fast.pixel(x, y), q = every.pixel(x, y);
          inked += qGreen(q) < 128;
          const int d = std::abs(qGreen(p) - qGreen(q));
          differ += d > 0;
          sum += d;
        }
      ASSERT_GT(inked, 5000);
      EXPECT_LT(differ, inked / 50) << differ << " of " << inked << " inked pixels differ";
      EXPECT_LT(sum / inked, 4.0);
    }
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
