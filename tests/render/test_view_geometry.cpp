#include <gtest/gtest.h>

#include "view_fixture.h"

namespace xyla::test {
namespace {

TEST(ViewGeometry, DashesGrowWithTheLineWidth) {
  XylaView v(nullptr, 400, 300);
  v.setDashPattern(2);
  EXPECT_EQ(v.dashcount[0], 0);
  ASSERT_EQ(v.dashcount[1], 2);
  EXPECT_EQ(v.dash[1][0], 3);
  EXPECT_EQ(v.dash[1][1], 7);
  ASSERT_EQ(v.dashcount[14], 8);
  const float expected14[8] = {12, 7, 12, 7, 3, 7, 3, 7};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(v.dash[14][i], expected14[i]) << i;
  EXPECT_EQ(v.dash[2][5], 7);  // unused entries hold the medium length
}

using ViewPass = ViewFixture;

TEST_F(ViewPass, FrameSitsWhereTheMarginsPutIt) {
  draw();
  EXPECT_EQ(view.left, 60);
  EXPECT_EQ(view.bottom, 50);
  EXPECT_EQ(view.right, 380);
  EXPECT_EQ(view.top, 280);
  const auto frames = canvas.opsOfKind("strokeRect");
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().rect, (RectF{60, 50, 320, 230}));
  EXPECT_EQ(frames.back().lineWidth, doc.framewidth);
}

TEST_F(ViewPass, NewLegendStartsInsideTheUpperLeftCorner) {
  XylaDocument other(&m);
  other.marginleft = 60;
  other.margintop = 20;
  XylaView v(&m, 400, 300);
  v.setXylaDocument(&other);
  EXPECT_EQ(other.legendx, 80);
  EXPECT_EQ(other.legendy, 260);
  other.legendx = 5;
  v.setXylaDocument(&other);
  EXPECT_EQ(other.legendx, 5);  // a placed legend stays
}

TEST_F(ViewPass, LogRangeReachingZeroIsRepairedFromTheData) {
  doc.axismode[1] = 1;
  addBuffer({{1, 0.5}, {2, 3}, {3, 50}, {4, -2}});
  DataBuffer& hidden = addBuffer({{1, 0.001}});
  hidden.show = false;
  DataBuffer& other = addBuffer({{1, 0.002}});
  other.belongy = 2;
  doc.scale(1, 0, 10, -5, 100, false, false);
  draw();
  EXPECT_DOUBLE_EQ(doc.ymin1, 0.1);
  EXPECT_EQ(doc.ymax1, 100);
  EXPECT_EQ(doc.xmin1, 0);  // linear axes keep their range
}

TEST_F(ViewPass, ReversedAxisIsStoredReversedAndMirrored) {
  doc.reverse[0] = true;
  draw();
  EXPECT_EQ(doc.xmin1, 10);
  EXPECT_EQ(doc.xmax1, 0);
  EXPECT_DOUBLE_EQ(xPoint(doc, 10, 1), view.left);
  doc.reverse[0] = false;
  draw();
  EXPECT_EQ(doc.xmin1, 0);  // and back again once the flag is cleared
}

TEST_F(ViewPass, PaintsInTheFixedOrder) {
  doc.grid[0] = true;
  doc.gridfront[0] = false;
  doc.plotlegend = true;
  DataBuffer& b = addBuffer({{1, 1}, {5, 5}, {9, 2}});
  b.plotarea = true;
  b.comment = "C 1s";
  draw();
  const int background = firstOp([&](const auto& o) {
    return o.kind == "fillRect" && o.rect == RectF{60, 50, 320, 230};
  });
  const int grid = firstOp([&](const auto& o) { return o.kind == "stroke" && sameColour(o.colour, doc.gridcolor[0]); });
  const int area = firstOp([&](const auto& o) { return o.kind == "fill" && sameColour(o.colour, b.fillcolor); });
  const int number = firstOp([&](const auto& o) { return o.kind == "text" && o.text == "0"; });
  const int line = firstOp([&](const auto& o) { return o.kind == "stroke" && o.path.elements().size() == 3; });
  const int legend = firstOp([&](const auto& o) { return o.kind == "text" && o.text == "C 1s"; });
  const int frame = firstOp([&](const auto& o) { return o.kind == "strokeRect"; });
  ASSERT_GE(background, 0);
  EXPECT_LT(background, grid);
  EXPECT_LT(grid, area);
  EXPECT_LT(area, number);
  EXPECT_LT(number, line);
  EXPECT_LT(line, legend);
  EXPECT_LT(legend, frame);
  EXPECT_EQ(doc.axm[0][0] > 0, true);  // the extent of the numbers is kept
  EXPECT_EQ(doc.axm[2][0], 0.f);       // the disabled top axis stores nothing
}

TEST_F(ViewPass, EmptyDocumentStillGetsItsFurniture) {
  doc.grid[1] = true;
  doc.plotlegend = true;
  doc.legendbg = true;
  draw();
  EXPECT_GE(canvas.opsOfKind("fillRect").size(), 6u);  // margins, background, legend box
  EXPECT_FALSE(canvas.opsOfKind("text").empty());      // numbers
  EXPECT_EQ(canvas.opsOfKind("strokeRect").size(), 1u);
}

TEST_F(ViewPass, PrintModeLeavesOutScreenDecorations) {
  addBuffer({{1, 1}, {2, 2}});
  m.pointerMode = "select";
  m.tableSelection = {0, 1};
  draw();
  const auto screenFills = canvas.opsOfKind("fillRect").size();
  const auto screenOvals = canvas.opsOfKind("fill").size();
  m.printmode = true;
  draw();
  EXPECT_EQ(canvas.opsOfKind("fillRect").size(), screenFills - 4);  // resize handles gone
  EXPECT_EQ(canvas.opsOfKind("fill").size(), screenOvals - 1);      // selection highlight gone
}

TEST_F(ViewPass, FrameStyleOneCrossesAtTheOrigin) {
  doc.scale(1, -5, 5, -10, 10, false, false);
  doc.framestyle = 1;
  doc.framearrows = true;
  doc.arrowtype = 0;
  draw();
  const double x0 = xPoint(doc, 0, 1), y0 = yPoint(doc, 0, 1);
  EXPECT_DOUBLE_EQ(x0, 220);
  bool vertical = false, horizontalLine = false;
  for (const auto& o : canvas.opsOfKind("stroke")) {
    const auto& e = o.path.elements();
    if (e.size() == 4 && e[0].x == x0 && e[0].y == 50 && e[1].y == 280) vertical = true;
    if (e.size() == 4 && e[2].y == y0 && e[2].x == 60 && e[3].x == 380) horizontalLine = true;
  }
  EXPECT_TRUE(vertical);
  EXPECT_TRUE(horizontalLine);
  EXPECT_TRUE(canvas.opsOfKind("strokeRect").empty());
  // No number is drawn for the value 0 where the axes cross, and none near the arrow.
  for (const auto& o : canvas.opsOfKind("text")) {
    EXPECT_NE(o.text, "0");
    EXPECT_LT(o.at.x, 380 - 10 * doc.framewidth + 20);
  }
}

TEST_F(ViewPass, FitPreviewShowsForOnePass) {
  doc.haveFitPreview = true;
  doc.FP = {{0, 5, 10}, {0, 5, 0}, {1, 1, 1}};  // X, the model sum, one peak
  draw();
  int curves = 0;
  for (const auto& o : canvas.opsOfKind("stroke"))
    if (o.cap == LineCap::Round && o.join == LineJoin::Round && o.lineWidth == 1) {
      ++curves;
      EXPECT_TRUE(sameColour(o.colour, curves == 1 ? Colour{0, 128 / 255.0, 128 / 255.0, 1}
                                                   : Colour{128 / 255.0, 0, 128 / 255.0, 1}));
    }
  EXPECT_EQ(curves, 2);
  EXPECT_FALSE(doc.haveFitPreview);
  EXPECT_TRUE(doc.FP.empty());
}

TEST_F(ViewPass, MeasureCrosshairSpansTheFrameInside) {
  m.pointerMode = "measure";
  view.haveoloc = true;
  view.oloc = {100, 100};
  draw();
  const auto strokes = canvas.opsOfKind("stroke");
  ASSERT_FALSE(strokes.empty());
  const auto& cross = strokes.back();
  EXPECT_FALSE(cross.antialias);
  ASSERT_EQ(cross.path.elements().size(), 4u);
  EXPECT_EQ(cross.path.elements()[0].y, 50);
  EXPECT_EQ(cross.path.elements()[1].y, 280);
  view.oloc = {10, 10};  // outside the frame: the lines span the view
  draw();
  const auto outside = canvas.opsOfKind("stroke").back();
  EXPECT_EQ(outside.path.elements()[1].y, 300);
}

}  // namespace
}  // namespace xyla::test
