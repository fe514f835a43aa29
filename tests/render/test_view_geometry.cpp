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

TEST_F(ViewPass, FitPreviewShowsForOneScreenPassAndNeverInPictures) {
  // The hand-off from the fit: the X values, the model sum, then one list per peak.
  doc.haveFitPreview = true;
  doc.FP = {{0, 5, 10}, {0, 5, 0}, {0, 3, 0}, {0, 2, 0}};
  auto previewStrokes = [&] {
    std::vector<RecordingCanvas::Op> out;
    for (const auto& o : canvas.opsOfKind("stroke"))
      if (o.cap == LineCap::Round && o.join == LineJoin::Round && o.lineWidth == 1) out.push_back(o);
    return out;
  };
  m.printmode = true;
  draw();
  EXPECT_TRUE(previewStrokes().empty());
  EXPECT_TRUE(doc.haveFitPreview);  // still waiting for the screen
  m.printmode = false;
  draw();
  const auto curves = previewStrokes();
  ASSERT_EQ(curves.size(), 3u);
  const double peakTops[3] = {5, 3, 2};
  for (std::size_t i = 0; i < curves.size(); ++i) {
    EXPECT_TRUE(sameColour(curves[i].colour, i == 0 ? Colour{0, 128 / 255.0, 128 / 255.0, 1}
                                                    : Colour{128 / 255.0, 0, 128 / 255.0, 1}));
    // Each curve is a peak over the three X values, not a line between two of the lists.
    ASSERT_EQ(curves[i].path.elements().size(), 3u);
    EXPECT_NEAR(curves[i].path.elements()[1].y, 50 + 23 * peakTops[i], 1e-9);  // frame 50..280 for 0..10
  }
  EXPECT_FALSE(doc.haveFitPreview);
  EXPECT_TRUE(doc.FP.empty());
}

}  // namespace
}  // namespace xyla::test
