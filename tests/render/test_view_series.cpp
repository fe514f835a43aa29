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

TEST_F(Series, PointThatIsNotANumberBreaksNoDrawing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  DataBuffer& b = addBuffer({{1, 1}, {2, 2}, {3, nan}, {4, 4}, {5, 5}});
  b.color = kRed;
  draw();
  const auto strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 1u);
  const auto& e = strokes[0].path.elements();
  // Segments 1-2 and 4-5 survive; the path continues from 2 to the end point of 4-5.
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].kind, Path::Kind::MoveTo);
  EXPECT_DOUBLE_EQ(e[0].x, xPoint(doc, 1, 1));
  EXPECT_DOUBLE_EQ(e[1].x, xPoint(doc, 2, 1));
  EXPECT_DOUBLE_EQ(e[2].x, xPoint(doc, 5, 1));
}

TEST_F(Series, SegmentsWhollyBeyondOneSideAreLeftOut) {
  DataBuffer& b = addBuffer({{-5, 1}, {-4, 2}, {1, 3}, {2, 20}, {3, 60}, {4, 4}});
  b.color = kRed;
  draw();
  const auto e = strokesIn(canvas, kRed).at(0).path.elements();
  // -5..-4 (both left) and 2..3 (both above) are skipped.
  ASSERT_EQ(e.size(), 4u);
  EXPECT_DOUBLE_EQ(e[0].x, xPoint(doc, -4, 1));
  EXPECT_DOUBLE_EQ(e[1].x, xPoint(doc, 1, 1));
  EXPECT_DOUBLE_EQ(e[2].x, xPoint(doc, 2, 1));
  EXPECT_DOUBLE_EQ(e[3].x, xPoint(doc, 4, 1));  // bridged over the skipped 2..3 segment
}

TEST_F(Series, LogAxisSkipsNonPositiveValues) {
  doc.axismode[1] = 1;
  doc.scale(1, 0, 10, 0.1, 100, false, false);
  DataBuffer& b = addBuffer({{1, 1}, {2, -3}, {3, 10}, {4, 0}, {5, 20}});
  b.color = kRed;
  b.plotsymbols = true;
  b.symbol = 14;  // stroked only, so every stroke is ours
  draw();
  const auto strokes = strokesIn(canvas, kRed);
  int symbols = 0;
  for (const auto& s : strokes)
    if (s.path.elements().size() == 4) ++symbols;
  EXPECT_EQ(symbols, 3);
  EXPECT_EQ(strokes.size(), 3u);  // every line segment touches a skipped point
}

TEST_F(Series, PercentErrorBars) {
  doc.scale(1, 0, 10, 0, 100, false, false);
  DataBuffer& b = addBuffer({{5, 50}});
  b.plotlines = false;
  b.errorbary = 2;
  b.errorvaly = 10;
  b.errorcolor = kRed;
  b.symbolsize = 8;
  draw();
  const auto strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 1u);
  const auto& e = strokes[0].path.elements();
  ASSERT_EQ(e.size(), 6u);
  EXPECT_DOUBLE_EQ(e[0].y, yPoint(doc, 45, 1));
  EXPECT_DOUBLE_EQ(e[1].y, yPoint(doc, 55, 1));
  EXPECT_DOUBLE_EQ(e[3].x - e[2].x, 8);  // caps span the symbol size
}

TEST_F(Series, ErrorColumnsDriveModeThree) {
  DataBuffer& b = doc.newBuffer();
  b.addDoubleValueError(5, 5, 1, 2);
  b.plotlines = false;
  b.errorbarx = 3;
  b.errorbary = 3;
  b.errorcolor = kRed;
  draw();
  const auto e = strokesIn(canvas, kRed).at(0).path.elements();
  ASSERT_EQ(e.size(), 12u);
  EXPECT_DOUBLE_EQ(e[1].y - e[0].y, yPoint(doc, 7, 1) - yPoint(doc, 3, 1));
  EXPECT_DOUBLE_EQ(e[7].x - e[6].x, xPoint(doc, 6, 1) - xPoint(doc, 4, 1));
}

TEST_F(Series, SymbolShapes) {
  DataBuffer& b = addBuffer({{5, 5}});
  b.plotlines = false;
  b.plotsymbols = true;
  b.symbol = 3;
  b.symbolsize = 10;
  b.color = kRed;
  b.linewidth = 2;
  draw();
  const auto strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 1u);
  const double px = xPoint(doc, 5, 1), py = yPoint(doc, 5, 1);
  const auto& e = strokes[0].path.elements();
  EXPECT_DOUBLE_EQ(e[0].y, py - 6);  // diamond reaching 1.2 x half-size
  EXPECT_DOUBLE_EQ(e[1].x, px + 6);
  EXPECT_DOUBLE_EQ(strokes[0].lineWidth, 1.4);
  // Open symbols are filled with the plot background first, hiding lines behind them.
  const auto fills = canvas.opsOfKind("fill");
  ASSERT_FALSE(fills.empty());
  EXPECT_TRUE(sameColour(fills.back().colour, doc.backgroundcolor));
  b.symfill = true;
  b.fillcolor = {0, 0, 1, 1};
  b.symbol = 8;  // solid circle: filled with the outline colour
  draw();
  EXPECT_TRUE(sameColour(canvas.opsOfKind("fill").back().colour, kRed));
  EXPECT_EQ(canvas.opsOfKind("fill").back().path.elements()[0].kind, Path::Kind::Oval);
  EXPECT_DOUBLE_EQ(canvas.opsOfKind("fill").back().path.elements()[0].width, 11);
}

TEST_F(Series, DynamicSizesComeFromTheExpression) {
  DataBuffer& b = addBuffer({{2, 2}, {4, 4}});
  b.plotlines = false;
  b.plotsymbols = true;
  b.symbol = 14;
  b.color = kRed;
  b.dynsize = "y*2";
  draw();
  auto strokes = strokesIn(canvas, kRed);
  ASSERT_EQ(strokes.size(), 2u);
  EXPECT_DOUBLE_EQ(strokes[1].path.elements()[1].x - strokes[1].path.elements()[0].x, 16);
  b.dynsize = "y*(";  // does not parse: fixed sizes, and no alert while drawing
  draw();
  strokes = strokesIn(canvas, kRed);
  EXPECT_DOUBLE_EQ(strokes[1].path.elements()[1].x - strokes[1].path.elements()[0].x, b.symbolsize);
  EXPECT_TRUE(ui.alerts.empty());
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

// Bars and error bars of huge buffers are thinned by their shape: coinciding ones are
// drawn once, different ones (another end, another error) all are.
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

TEST_F(Series, SticksInViewOrDataUnits) {
  DataBuffer& b = addBuffer({{5, 5}});
  b.plotlines = false;
  b.plotysticks = true;
  b.sticksize = 20;
  b.stickcolor = kRed;
  draw();
  auto e = strokesIn(canvas, kRed).at(0).path.elements();
  EXPECT_DOUBLE_EQ(e[1].y - e[0].y, 20);
  b.stickabs = true;
  b.sticksize = 4;  // half-length 2 data units, drawn as half of its view length
  draw();
  e = strokesIn(canvas, kRed).at(0).path.elements();
  EXPECT_DOUBLE_EQ(e[1].y - e[0].y, yPoint(doc, 2, 1) - yPoint(doc, 0, 1));
}

TEST_F(Series, BarsReachFromZero) {
  DataBuffer& b = addBuffer({{5, 6}});
  b.plotlines = false;
  b.plotybars = true;
  b.color = kRed;
  b.barcolor = {0, 0, 1, 1};
  b.symbolsize = 10;
  draw();
  const auto fills = canvas.opsOfKind("fill");
  ASSERT_FALSE(fills.empty());
  const auto& r = fills.back().path.elements().at(0);
  EXPECT_EQ(r.kind, Path::Kind::Rect);
  EXPECT_DOUBLE_EQ(r.y, yPoint(doc, 0, 1));
  EXPECT_DOUBLE_EQ(r.height, yPoint(doc, 6, 1) - yPoint(doc, 0, 1));
  EXPECT_DOUBLE_EQ(r.width, 10);
  EXPECT_TRUE(sameColour(canvas.opsOfKind("stroke").back().colour, b.barcolor));
}

TEST_F(Series, HistogramStepsSplitTheGaps) {
  DataBuffer& b = addBuffer({{2, 3}, {4, 5}, {8, 1}});
  b.plotlines = false;
  b.plotfhist = true;
  b.fillcolor = kRed;
  draw();
  const auto fills = canvas.opsOfKind("fill");
  ASSERT_FALSE(fills.empty());
  const auto& e = fills.front().path.elements();
  auto X = [&](double v) { return xPoint(doc, v, 1); };
  ASSERT_EQ(e.size(), 9u);  // start, 3 x (rise, run), drop, close
  EXPECT_DOUBLE_EQ(e[0].x, X(1));  // the first point uses its following gap on both sides
  EXPECT_DOUBLE_EQ(e[0].y, yPoint(doc, 0, 1));
  EXPECT_DOUBLE_EQ(e[2].x, X(3));
  EXPECT_DOUBLE_EQ(e[4].x, X(6));
  EXPECT_DOUBLE_EQ(e[6].x, X(10));  // the last uses its preceding gap
  EXPECT_EQ(e[8].kind, Path::Kind::Close);
}

TEST_F(Series, HiddenAndEmptyBuffersDrawNothing) {
  DataBuffer& hidden = addBuffer({{1, 1}, {2, 2}});
  hidden.show = false;
  hidden.color = kRed;
  DataBuffer& empty = doc.newBuffer();
  empty.color = kRed;
  empty.plotsymbols = true;
  draw();
  EXPECT_TRUE(strokesIn(canvas, kRed).empty());
}

TEST_F(Series, AbsurdValuesStaySane) {
  const double inf = std::numeric_limits<double>::infinity();
  DataBuffer& b = addBuffer({{1, 1e300}, {2, -1e300}, {inf, 3}, {4, 1}});
  b.color = kRed;
  b.plotsymbols = true;
  b.symbolsize = -5;
  b.linewidth = 1e6;
  b.dashwidth = std::numeric_limits<double>::quiet_NaN();
  b.dash = 3;
  draw();
  for (const auto& o : canvas.ops)
    for (const auto& e : o.path.elements()) {
      ASSERT_TRUE(std::isfinite(e.x) && std::isfinite(e.y));
      ASSERT_LT(std::fabs(e.y), 1e9);  // far-off points are clipped before drawing
    }
  doc.scale(1, 5, 5, 0, 10, false, false);  // refused: the range stays usable
  draw();
}

}  // namespace
}  // namespace xyla::test
