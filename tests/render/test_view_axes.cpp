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

using AxisDrawing = ViewFixture;

// Tick strokes of axis drawing: the strokes in the tick colour, which the test sets.
std::vector<Path::Element> tickSegments(const RecordingCanvas& c, const Colour& col) {
  std::vector<Path::Element> out;
  for (const auto& o : c.opsOfKind("stroke"))
    if (sameColour(o.colour, col))
      for (const auto& e : o.path.elements()) out.push_back(e);
  return out;
}

TEST_F(AxisDrawing, OutsideTicksHangBelowTheFrame) {
  const Colour tick{0, 0.5, 0, 1};
  doc.tickcolor[0] = tick;
  doc.tickstyle[0] = 1;
  doc.ticklength[0] = 5.9;  // whole units only
  doc.mticks[0] = false;
  draw();
  const auto segs = tickSegments(canvas, tick);
  ASSERT_EQ(segs.size(), 12u);  // six majors 0, 2, ..., 10, as move/line pairs
  for (std::size_t i = 0; i < segs.size(); i += 2) {
    EXPECT_EQ(segs[i].y, 45);
    EXPECT_EQ(segs[i + 1].y, 50);
  }
  EXPECT_DOUBLE_EQ(segs[2].x, xPoint(doc, 2, 1));
  EXPECT_EQ(doc.alabelindex[0], (std::vector<std::string>{"0", "2", "4", "6", "8", "10"}));
}

TEST_F(AxisDrawing, MirrorTicksAndCrossingStyle) {
  const Colour tick{0, 0.5, 0, 1};
  doc.tickcolor[1] = tick;
  doc.mticks[1] = false;
  doc.ticksboth[1] = true;
  doc.tickstyle[1] = 2;
  doc.ticklength[1] = 4;
  draw();
  auto segs = tickSegments(canvas, tick);
  ASSERT_EQ(segs.size(), 24u);
  EXPECT_EQ(segs[0].x, 56);  // left edge: out 4, in 4
  EXPECT_EQ(segs[1].x, 64);
  EXPECT_EQ(segs[12].x, 384);  // mirror at the right edge
  EXPECT_EQ(segs[13].x, 376);
}

TEST_F(AxisDrawing, CustomLabelsReplaceNumbers) {
  doc.alabel[0]["2"] = "two";
  draw();
  int labels = 0, plain2 = 0;
  for (const auto& t : canvas.opsOfKind("text")) {
    labels += t.text == "two";
    plain2 += t.text == "2";
  }
  EXPECT_EQ(labels, 1);
  EXPECT_EQ(plain2, 1);  // the left axis still shows its own 2
  EXPECT_EQ(doc.alabelindex[0].at(1), "2");
}

TEST_F(AxisDrawing, ScaleExpressionChangesTheShownValue) {
  doc.scaleexpr[0] = "v*100+k";
  m.GV["k"] = 1;
  draw();
  EXPECT_EQ(doc.alabelindex[0].at(1), "201");
  doc.scaleexpr[0] = "v*(";  // broken: values unchanged, no alert
  draw();
  EXPECT_EQ(doc.alabelindex[0].at(1), "2");
  EXPECT_TRUE(ui.alerts.empty());
}

TEST_F(AxisDrawing, SmallLogShowsZeroAtTheLowestDecade) {
  doc.axismode[1] = 1;
  doc.smalllog[1] = true;
  doc.scale(1, 0, 10, 1, 1000, false, false);
  const Colour minor{0.5, 0, 0.5, 1};
  doc.mtickcolor[1] = minor;
  draw();
  EXPECT_EQ(doc.alabelindex[1], (std::vector<std::string>{"0", "10", "100", "1000"}));
  for (const auto& e : tickSegments(canvas, minor)) EXPECT_GE(e.y, yPoint(doc, 1, 1));
}

TEST_F(AxisDrawing, TitlesAndFlippedTitles) {
  doc.axistext[1] = "Counts";
  doc.axistext[0] = "Binding energy (eV)";
  draw();
  auto find = [&](const std::string& s) {
    for (std::size_t i = 0; i < canvas.ops.size(); ++i)
      if (canvas.ops[i].kind == "text" && canvas.ops[i].text == s) return static_cast<int>(i);
    return -1;
  };
  int i = find("Counts");
  ASSERT_GT(i, 1);
  EXPECT_EQ(canvas.ops[i - 1].angle, 90);
  const double wn = doc.axm[1][0];
  EXPECT_NEAR(canvas.ops[i - 2].at.x, 60 - wn - doc.textoff[1] - 5, 1e-5);
  const int b = find("Binding energy (eV)");
  EXPECT_NEAR(canvas.ops[b].at.y + canvas.textSize("Binding energy (eV)", doc.textfont[0]).height,
              50 - doc.axm[0][1] - doc.textoff[0], 1e-5);
  doc.fliptext[1] = true;
  draw();
  i = find("Counts");
  EXPECT_EQ(canvas.ops[i - 1].angle, 270);
}

TEST_F(AxisDrawing, GridsFollowTheirPass) {
  const Colour major{0.1, 0.2, 0.3, 1}, minor{0.3, 0.2, 0.1, 1};
  doc.grid[0] = doc.mgrid[0] = true;
  doc.gridcolor[0] = major;
  doc.mgridcolor[0] = minor;
  doc.gridfront[0] = false;  // behind the axes; minor grid in front (the default)
  doc.gridpattern[0] = 2;
  draw();
  const int firstMajor = firstOp([&](const auto& o) { return o.kind == "stroke" && sameColour(o.colour, major); });
  const int firstMinor = firstOp([&](const auto& o) { return o.kind == "stroke" && sameColour(o.colour, minor); });
  const int firstNumber = firstOp([&](const auto& o) { return o.kind == "text"; });
  EXPECT_LT(firstMajor, firstNumber);
  EXPECT_GT(firstMinor, firstNumber);
  EXPECT_EQ(canvas.ops[firstMajor].dash, (std::vector<float>{5}));
  EXPECT_EQ(canvas.ops[firstMajor].path.elements()[1].y, 280);
}

TEST_F(AxisDrawing, AxesWithoutTicksStillDrawTheirTitle) {
  doc.axistext[0] = "t";
  for (const std::string bad : {"abc", "0.001", "9999w9", "-1"}) {
    doc.scalspace[0] = bad;
    doc.axismode[0] = bad == "9999w9" ? 2 : 0;
    draw();
    EXPECT_GE(firstOp([&](const auto& o) { return o.kind == "text" && o.text == "t"; }), 0) << bad;
  }
  doc.scale(1, 0, 1, 0, 1, false, false);
  doc.axismode[0] = 0;
  doc.scalspace[0] = "0.001";
  draw();
  EXPECT_TRUE(doc.alabelindex[0].empty());
}

TEST_F(AxisDrawing, TimeAxisNumbersUseTheAxisFormat) {
  doc.axismode[0] = 2;
  doc.scale(1, 0, 100, 0, 10, false, false);
  doc.axistimeformat[0] = "%S\\n%M";
  draw();
  ASSERT_FALSE(doc.alabelindex[0].empty());
  EXPECT_NE(doc.alabelindex[0][0].find('\n'), std::string::npos);
}

}  // namespace
}  // namespace xyla::test
