#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"

namespace xyla {
namespace {

// A 400 x 300 view with margins 60/20/20/50: plot frame L 60, R 380, B 50, T 280.
class TextObjectTest : public ::testing::Test {
 protected:
  TextObjectTest() {
    doc.viewWidth = 400;
    doc.viewHeight = 300;
    doc.marginleft = 60;
    doc.marginright = 20;
    doc.margintop = 20;
    doc.marginbottom = 50;
    doc.scale(1, 0, 10, 0, 10, false, false);
    t = &doc.addText(std::make_unique<TextObject>());
    t->setFrameSize(40, 12);
  }

  // Bounding box of the frame after rotation by `degrees` about its origin.
  ViewRect rotatedBounds(double degrees) const {
    const double r = degrees * std::numbers::pi / 180, c = std::cos(r), s = std::sin(r);
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (double u : {0.0, t->frame.width})
      for (double v : {0.0, t->frame.height}) {
        const double px = t->frame.x + u * c - v * s, py = t->frame.y + u * s + v * c;
        lo[0] = std::min(lo[0], px), hi[0] = std::max(hi[0], px);
        lo[1] = std::min(lo[1], py), hi[1] = std::max(hi[1], py);
      }
    return {lo[0], lo[1], hi[0] - lo[0], hi[1] - lo[1]};
  }

  XylaDocument doc;
  TextObject* t = nullptr;
};

TEST_F(TextObjectTest, AutomaticPlacesInsideAndAroundTheFrame) {
  // Place, the axis whose numbers it keeps clear of (their offset and size), and the
  // frame's lower left corner for an offset of 5.
  struct Case {
    int loc, axis, numoff;
    std::array<float, 2> axm;
    double x, y;
  } cases[] = {
      {7, 0, 0, {0, 0}, 65, 55},                                  // lower left, inside
      {3, 0, 0, {0, 0}, 375 - 40, 275 - 12},                      // top right, inside
      {14, 3, 4, {20, 10}, 380 + 5 + 4 + 20 + 9, 165 - 6},        // right of the right numbers, centred
      {19, 1, 2, {30, 14}, 60 - 5 - 41 - 40, 50},                 // left of the left numbers, bottom edge
      {17, 0, 5, {25, 16}, 220 - 20, 50 - 5 - (5 + 16 + 6) - 12}  // centred below the bottom numbers
  };
  t->autopos = true;
  t->autoposoffset = 5;
  for (const Case& c : cases) {
    doc.numoff[c.axis] = c.numoff;
    doc.axm[c.axis] = c.axm;
    t->autoposloc = c.loc;
    t->doAutoPos();
    EXPECT_EQ(t->frame.x, c.x) << c.loc;
    EXPECT_EQ(t->frame.y, c.y) << c.loc;
    if (c.loc == 7) {
      EXPECT_EQ(t->tloc.y, 67);  // tloc is the upper left corner
    }
  }
}

// For every place and every quarter turn the turned text fills exactly the box that
// the place gives: the size exchanged for upright texts, inside or outside the frame.
TEST_F(TextObjectTest, TurnedTextFillsItsAutomaticBox) {
  doc.axm = {{{30, 14}, {40, 14}, {30, 14}, {40, 14}}};
  t->autopos = true;
  t->autoposoffset = 3;
  for (int angle : {0, 90, 180, 270})
    for (int code = 1; code <= TextObject::kAutoPositions; ++code) {
      t->autoposangle = angle;
      t->angle = angle;
      t->autoposloc = code;
      t->doAutoPos();
      const ViewRect box = t->autoBox(), got = rotatedBounds(angle);
      SCOPED_TRACE(testing::Message() << "code " << code << " angle " << angle);
      EXPECT_NEAR(got.x, box.x, 1e-9);
      EXPECT_NEAR(got.y, box.y, 1e-9);
      EXPECT_NEAR(got.width, angle % 180 ? 12 : 40, 1e-9);
      EXPECT_NEAR(got.height, angle % 180 ? 40 : 12, 1e-9);
      const bool inside = code <= 9;
      const bool withinFrame = box.x >= 60 && box.x + box.width <= 380 && box.y >= 50 && box.y + box.height <= 280;
      EXPECT_EQ(inside, withinFrame);
    }
}

TEST_F(TextObjectTest, AlignmentPutsTheChosenPointAtTheAnchor) {
  t->tloc = {200, 100};
  t->tbalign = 4;
  t->angle = 90;
  t->align();
  // The centre of the frame, turned with it, stays at tloc.
  const double r = std::numbers::pi / 2;
  const double cx = t->frame.x + 20 * std::cos(r) - 6 * std::sin(r), cy = t->frame.y + 20 * std::sin(r) + 6 * std::cos(r);
  EXPECT_NEAR(cx, 200, 1e-9);
  EXPECT_NEAR(cy, 100, 1e-9);

  t->angle = 0;
  t->tbalign = 8;  // bottom right
  t->align();
  EXPECT_EQ(t->frame.x, 160);
  EXPECT_EQ(t->frame.y, 100);
  t->tbalign = 0;  // top left
  t->align();
  EXPECT_EQ(t->frame.x, 200);
  EXPECT_EQ(t->frame.y, 88);

  t->autopos = true;  // an automatic text does not follow its alignment
  t->tbalign = 8;
  EXPECT_FALSE(t->align());
  EXPECT_EQ(t->frame.x, 200);
}

TEST_F(TextObjectTest, DataPositionFollowsTheRange) {
  t->posmode = 1;
  t->setPosition(5, 5);
  EXPECT_EQ(t->tloc.x, 220);
  EXPECT_EQ(t->tloc.y, 165);
  doc.scale(1, 0, 20, 0, 20, false, false);
  t->doAutoPos();
  EXPECT_EQ(t->tloc.x, 140);
  EXPECT_NEAR(t->tloc.y, 107.5, 1e-9);
  EXPECT_EQ(t->frame.x, 140);  // top left alignment

  // Back to a view position: the anchor stays, the data position is cleared; a data
  // mode again reads the data position from the anchor in that range.
  t->setFloat(0);
  EXPECT_EQ(t->x, 0);
  t->setPosition(380, 280);
  t->setFloat(1);
  EXPECT_EQ(t->x, 20);
  EXPECT_EQ(t->y, 20);
  doc.scale(2, 0, 1, -1, 1, false, false);
  t->setFloat(2);
  EXPECT_EQ(t->x, 1);
  EXPECT_EQ(t->y, 1);
}

TEST_F(TextObjectTest, UnplaceableDataPositionKeepsTheLastPlace) {
  t->posmode = 1;
  t->setPosition(5, 5);
  doc.axismode[0] = 1;  // log axis over 0..20: no place for x
  doc.scale(1, 0, 20, 0, 20, false, false);
  doc.xmin1 = -1;
  t->doAutoPos();
  EXPECT_TRUE(std::isfinite(t->frame.x));
  EXPECT_TRUE(std::isfinite(t->tloc.x));
}

TEST(GraphicObject, DirectionAngles) {
  const double cases[][3] = {{1, 0, 0},  {-1, 0, 180}, {0, 1, 90},    {0, -1, 270}, {0, 0, 0},
                             {1, 1, 45}, {-1, 1, 135}, {-1, -1, 225}, {1, -1, 315}};
  for (const auto& [dx, dy, degrees] : cases)
    EXPECT_NEAR(Graphic::directionAngle(dx, dy), degrees, 1e-5) << dx << "," << dy;
}

TEST_F(TextObjectTest, GraphicPointsInBothCoordinateModes) {
  Graphic& g = doc.addGraphic(std::make_unique<Graphic>());
  EXPECT_EQ(g.PD, &doc);
  g.setPoints(92, 73, 156, 119);
  EXPECT_EQ(g.x1, 92);  // view mode stores as given
  g.posmode = 1;
  g.setPoints(92, 73, 156, 119);
  EXPECT_NEAR(g.x1, 1, 1e-12);
  EXPECT_NEAR(g.y2, 3, 1e-12);
  const Graphic::Points p = g.getPoints();
  EXPECT_NEAR(p.x1, 92, 1e-9);
  EXPECT_NEAR(p.y2, 119, 1e-9);
  doc.scale(1, 0, 5, 0, 10, false, false);  // zooming x keeps the data place
  EXPECT_NEAR(g.getPoints().x2, 60 + 3 * 64, 1e-9);

  g.linewidth = 7;
  g.color = {1, 0, 0, 1};
  g.setDefaults();
  EXPECT_EQ(g.linewidth, 2);
  EXPECT_EQ(g.color, Colour::black());
  EXPECT_TRUE(g.aspect);
  EXPECT_EQ(g.PD, &doc);
}

TEST(CurrentObjects, ForgottenWhenTheirDocumentCloses) {
  SilentUi ui;
  Manager m(ui);
  XylaDocument other(&m);
  Graphic& kept = other.addGraphic(std::make_unique<Graphic>());
  {
    XylaDocument doc(&m);
    m.currentText = &doc.addText(std::make_unique<TextObject>());
    m.currentGraphic = &doc.addGraphic(std::make_unique<Graphic>());
  }
  EXPECT_EQ(m.currentText, nullptr);
  EXPECT_EQ(m.currentGraphic, nullptr);
  m.currentGraphic = &kept;
  { XylaDocument closing(&m); }
  EXPECT_EQ(m.currentGraphic, &kept);
}

}  // namespace
}  // namespace xyla
