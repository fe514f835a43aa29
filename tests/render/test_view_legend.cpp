#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view_fixture.h"

namespace xyla::test {
namespace {

using Legend = ViewFixture;

TEST_F(Legend, RowsStepDownByTheSpacing) {
  for (const char* name : {"a", "b", "hidden", "c"}) {
    DataBuffer& b = addBuffer({{1, 1}});
    b.comment = name;
    b.show = std::string(name) != "hidden";
  }
  doc.legendx = 100;
  doc.legendy = 400;
  doc.legendspace = 15;
  view.plotLegend(canvas, 0);
  const auto texts = canvas.opsOfKind("text");
  ASSERT_EQ(texts.size(), 3u);
  const double h = canvas.textSize("a", doc.legendfont).height;
  EXPECT_DOUBLE_EQ(texts[0].at.y + h / 2, 400);
  EXPECT_DOUBLE_EQ(texts[1].at.y + h / 2, 385);
  EXPECT_DOUBLE_EQ(texts[2].at.y + h / 2, 370);
  EXPECT_DOUBLE_EQ(texts[0].at.x, 100 + doc.legendwidth + 10);
}

TEST_F(Legend, EmptyLegendKeepsItsBackgroundBox) {
  doc.legendbg = true;
  doc.legendx = 100;
  doc.legendy = 200;
  view.plotLegend(canvas, 0);
  ASSERT_EQ(canvas.ops.size(), 1u);
  EXPECT_EQ(canvas.ops[0].kind, "fillRect");
  EXPECT_EQ(canvas.ops[0].rect.height, 6);
  EXPECT_EQ(canvas.ops[0].rect.width, doc.legendwidth + 20);
}

TEST_F(Legend, LineWithSymbolInItsMiddle) {
  DataBuffer& b = addBuffer({{1, 1}});
  b.plotsymbols = true;
  b.symbol = 14;
  b.color = {1, 0, 0, 1};
  b.comment = "";
  b.dynsize = "100";  // legend samples never use dynamic sizes
  doc.legendx = 100;
  doc.legendy = 200;
  view.plotLegend(canvas, 0);
  const auto strokes = canvas.opsOfKind("stroke");
  ASSERT_EQ(strokes.size(), 2u);
  EXPECT_EQ(strokes[0].path.elements()[1].x - strokes[0].path.elements()[0].x, doc.legendwidth);
  EXPECT_DOUBLE_EQ(strokes[1].path.elements()[0].x, 100 + doc.legendwidth / 2 - b.symbolsize / 2);
  EXPECT_TRUE(canvas.opsOfKind("text").empty());  // empty comment: no text
}

TEST_F(Legend, DragPreviewFollowsThePointerInTheHighlightColour) {
  DataBuffer& b = addBuffer({{1, 1}});
  b.comment = "x";
  b.linewidth = 4;
  doc.legendx = 100;
  doc.legendy = 200;
  view.aloc = {110, 190};
  view.bloc = {130, 150};
  view.plotLegend(canvas, 1);
  const auto line = canvas.opsOfKind("stroke").at(0);
  EXPECT_TRUE(sameColour(line.colour, XylaView::highlight()));
  EXPECT_EQ(line.lineWidth, 1);
  EXPECT_EQ(line.path.elements()[0].x, 120);
  EXPECT_EQ(line.path.elements()[0].y, 160);
  EXPECT_EQ(doc.legendx, 100);  // the document keeps its place until the drop
}

TEST_F(Legend, NonFiniteSizesGiveFiniteGeometry) {
  DataBuffer& b = addBuffer({{1, 1}});
  b.plotybars = true;
  b.plotsymbols = true;
  b.symbolsize = std::nan("");
  doc.legendwidth = std::numeric_limits<double>::infinity();
  doc.legendx = 100;
  doc.legendy = 200;
  view.plotLegend(canvas, 0);
  ASSERT_FALSE(canvas.ops.empty());
  for (const auto& o : canvas.ops)
    for (const auto& e : o.path.elements()) EXPECT_TRUE(std::isfinite(e.x) && std::isfinite(e.y)) << o.kind;
}

}  // namespace
}  // namespace xyla::test
