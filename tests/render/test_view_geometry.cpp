#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

// Pictures and prints leave the fit preview out and pending; the next screen pass shows
// it once (its curves are in the golden scene "fit-preview-curves").
TEST_F(ViewPass, FitPreviewWaitsForTheScreen) {
  doc.haveFitPreview = true;
  doc.FP = {{0, 5, 10}, {0, 5, 0}, {0, 3, 0}};
  auto previewCurves = [&] {
    return std::ranges::count_if(canvas.opsOfKind("stroke"), [](const auto& o) {
      return o.cap == LineCap::Round && o.join == LineJoin::Round && o.lineWidth == 1;
    });
  };
  m.printmode = true;
  draw();
  EXPECT_EQ(previewCurves(), 0);
  EXPECT_TRUE(doc.haveFitPreview);
  m.printmode = false;
  draw();
  EXPECT_EQ(previewCurves(), 2);
  EXPECT_FALSE(doc.haveFitPreview);
  EXPECT_TRUE(doc.FP.empty());
}

// The curves of a successful fit stay on screen, pass after pass, until the table or the
// fitted points change; any other preview is shown once.
TEST_F(ViewPass, FitCurvesStayUntilTableOrDataChange) {
  const struct {
    const char* name;
    bool keep;
    std::function<void(XylaDocument&)> change;
    bool stays;
  } cases[] = {
      {"plain preview", false, [](XylaDocument&) {}, false},
      {"fit curves, nothing changed", true, [](XylaDocument&) {}, true},
      {"fit curves, table edited", true, [](XylaDocument& d) { d.F[3].set(FitCell::A, "1~"); }, false},
      {"fit curves, point moved", true, [](XylaDocument& d) { d.DB[0]->Y[1] += 1; }, false},
      {"fit curves, buffer gone", true, [](XylaDocument& d) { d.DB.clear(); }, false},
  };
  auto previewCurves = [&] {
    return std::ranges::count_if(canvas.opsOfKind("stroke"), [](const auto& o) {
      return o.cap == LineCap::Round && o.join == LineJoin::Round && o.lineWidth == 1;
    });
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    doc.DB.clear();
    addBuffer({{0, 1}, {5, 2}, {10, 1}});
    doc.fitBuffer = 0;
    doc.haveFitPreview = true;
    doc.keepFitPreview = c.keep;
    doc.FP = {{0, 5, 10}, {0, 5, 0}, {0, 3, 0}};
    draw();
    EXPECT_EQ(previewCurves(), 2);
    c.change(doc);
    draw();
    EXPECT_EQ(previewCurves(), c.stays ? 2 : 0);
    draw();
    EXPECT_EQ(previewCurves(), c.stays ? 2 : 0);
  }
}

}  // namespace
}  // namespace xyla::test
