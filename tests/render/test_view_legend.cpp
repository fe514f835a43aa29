#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view_fixture.h"

namespace xyla::test {
namespace {

using Legend = ViewFixture;

TEST_F(Legend, DragPreviewFollowsThePointerInTheHighlightColour) {
  DataBuffer& b = addBuffer({{1, 1}});
  b.comment = "x";
  b.linewidth = 4;
  doc.legendx = 100;
  doc.legendy = 200;
  pointer.aloc = {110, 190};
  pointer.bloc = {130, 150};
  view.plotLegend(canvas, &pointer);
  const auto line = canvas.opsOfKind("stroke").at(0);
  EXPECT_TRUE(sameColour(line.colour, XylaView::highlight()));
  EXPECT_EQ(line.lineWidth, 1);
  EXPECT_EQ(line.path.elements()[0].x, 120);
  EXPECT_EQ(line.path.elements()[0].y, 160);
  EXPECT_EQ(doc.legendx, 100);  // the document keeps its place until the drop
}

}  // namespace
}  // namespace xyla::test
