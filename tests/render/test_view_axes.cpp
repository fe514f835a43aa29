#include <gtest/gtest.h>

#include "view_fixture.h"

namespace xyla::test {
namespace {

TEST(ScaleText, PlainAndExponentForms) {
  EXPECT_EQ(XylaView::scaletext(0.5, 3, -1), "0.5");
  EXPECT_EQ(XylaView::scaletext(12345, 3, -1), "1.2345e4");
  EXPECT_EQ(XylaView::scaletext(1000, 3, -1), "1000");
  EXPECT_EQ(XylaView::scaletext(3, 3, 2), "3.00");
  EXPECT_EQ(XylaView::scaletext(0, 3, -1), "0");
  EXPECT_EQ(XylaView::scaletext(0, 3, 1), "0.0");
  EXPECT_EQ(XylaView::scaletext(-0.00025, 3, -1), "-2.5e-4");
  EXPECT_EQ(XylaView::scaletext(25000, 3, 4), "2.5e4");  // decimals do not apply to exponents
  EXPECT_EQ(XylaView::scaletext(1e-7, 9, -1), "0");      // six decimals, then trimmed
}

using Text = ViewFixture;

TEST_F(Text, AnchorsPlaceTheBox) {
  const FontSpec f{"Helvetica", 10};  // recording metrics: 6 per character, 12 high
  struct Case {
    int anchor;
    double x, y;
  } cases[] = {{0, 94, 94}, {1, 100, 88}, {2, 94, 88}, {3, 88, 88}, {4, 88, 94},
               {5, 88, 100}, {6, 94, 100}, {7, 100, 100}, {8, 100, 94}};
  for (const Case& c : cases) {
    canvas = RecordingCanvas();
    view.textOut(canvas, "ab", 100, 100, c.anchor, 0, f, Colour::black());
    const auto t = canvas.opsOfKind("text").at(0);
    EXPECT_EQ(t.at, (PointF{c.x, c.y})) << "anchor " << c.anchor;
  }
}

TEST_F(Text, RotatedTextTurnsAboutTheAnchor) {
  view.textOut(canvas, "abc", 50, 60, 6, 90, {"Helvetica", 10}, Colour::black());
  ASSERT_EQ(canvas.ops.size(), 5u);
  EXPECT_EQ(canvas.ops[1].kind, "translate");
  EXPECT_EQ(canvas.ops[1].at, (PointF{50, 60}));
  EXPECT_EQ(canvas.ops[2].kind, "rotate");
  EXPECT_EQ(canvas.ops[2].angle, 90);
  EXPECT_EQ(canvas.ops[3].at, (PointF{-9, 0}));
  EXPECT_EQ(canvas.ops[4].kind, "restore");
}

TEST_F(Text, MissingFontsFallBackToTheSystemFont) {
  view.drawText(canvas, "x", 0, 0, 7, 0, {"No Such Font", 13}, Colour::black());
  EXPECT_EQ(canvas.opsOfKind("text").at(0).font, FontSpec::system(13));
  canvas = RecordingCanvas();
  view.drawNumber(canvas, 25000, 0, 0, 7, 0, {"No Such Font", 20}, Colour::black(), 3, -1);
  const auto parts = canvas.opsOfKind("text");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].font, FontSpec::system(14));
  EXPECT_EQ(parts[1].font, FontSpec::system(11));
}

TEST_F(Text, ExponentNumbersAreBuiltFromFourParts) {
  const SizeF s = view.drawNumber(canvas, 25000, 0, 0, 7, 0, {"Helvetica", 10}, Colour::black(), 3, -1);
  const auto parts = canvas.opsOfKind("text");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].text, "2.5");
  EXPECT_EQ(parts[1].text, "x");
  EXPECT_EQ(parts[2].text, "10");
  EXPECT_EQ(parts[3].text, "4");
  EXPECT_EQ(parts[1].font.size, 8);
  EXPECT_EQ(parts[3].font.size, 8);
  EXPECT_GT(parts[3].at.y, parts[2].at.y);  // superscript
  EXPECT_GT(parts[1].at.x, parts[0].at.x);
  EXPECT_GT(parts[3].at.x, parts[2].at.x);
  EXPECT_DOUBLE_EQ(s.width, 18 + 4.8 + 12 + 4.8);
}

}  // namespace
}  // namespace xyla::test
