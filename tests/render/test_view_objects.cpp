#include <QBuffer>
#include <QImage>
#include <cmath>
#include <memory>

#include "view_fixture.h"

namespace xyla::test {
namespace {

using Kind = Path::Kind;

class ViewObjects : public ViewFixture {
 protected:
  Graphic& line(double x1, double y1, double x2, double y2) {
    Graphic& g = doc.addGraphic(std::make_unique<Graphic>());
    g.setPoints(x1, y1, x2, y2);
    return g;
  }
  TextObject& text(const std::string& s) {
    TextObject& t = doc.addText(std::make_unique<TextObject>());
    t.text = s;
    t.font = FontSpec{"Helvetica", 10};
    return t;
  }
  // Points of the path, Close elements left out.
  static std::vector<PointF> points(const Path& p) {
    std::vector<PointF> out;
    for (const auto& e : p.elements())
      if (e.kind == Kind::MoveTo || e.kind == Kind::LineTo) out.push_back({e.x, e.y});
    return out;
  }
  static bool closed(const Path& p) {
    for (const auto& e : p.elements())
      if (e.kind == Kind::Close) return true;
    return false;
  }
  // Index of the text operation showing `s`.
  int textOp(const std::string& s) const {
    return firstOp([&](const RecordingCanvas::Op& o) { return o.kind == "text" && o.text == s; });
  }
};

void expectPoint(PointF p, double x, double y) {
  EXPECT_NEAR(p.x, x, 1e-6);
  EXPECT_NEAR(p.y, y, 1e-6);
}

TEST_F(ViewObjects, FilledArrowHeadAtTheEnd) {
  Graphic& g = line(100, 100, 200, 100);
  g.arrow2 = true;
  g.arrowtype = 1;
  g.color = {0, 0, 1, 1};
  draw();
  const auto fills = canvas.opsOfKind("fill");
  ASSERT_FALSE(fills.empty());
  const auto& head = fills.back();
  EXPECT_TRUE(closed(head.path));
  EXPECT_TRUE(sameColour(head.colour, g.color));
  const auto p = points(head.path);
  ASSERT_EQ(p.size(), 3u);
  expectPoint(p[0], 188, 100 + 12 / 2.3);
  expectPoint(p[1], 200, 100);
  expectPoint(p[2], 188, 100 - 12 / 2.3);
  EXPECT_TRUE(head.dash.empty());
  EXPECT_EQ(head.join, LineJoin::Miter);
}

TEST_F(ViewObjects, HeadAtTheStartOfAnUpwardLinePointsDown) {
  Graphic& g = line(150, 100, 150, 200);
  g.arrow1 = true;
  g.arrowsize = 20;
  draw();
  const auto strokes = canvas.opsOfKind("stroke");
  const auto& head = strokes.back();
  EXPECT_FALSE(closed(head.path));
  const auto p = points(head.path);
  ASSERT_EQ(p.size(), 3u);
  expectPoint(p[1], 150, 100);
  expectPoint(p[0], 150 + 20 / 2.3, 120);
  expectPoint(p[2], 150 - 20 / 2.3, 120);
}

TEST_F(ViewObjects, HollowAndDoubleHeadsAndNoHead) {
  doc.backgroundcolor = {1, 1, 0.5, 1};
  Graphic& g = line(100, 100, 200, 100);
  g.arrow2 = true;
  g.arrowtype = 2;
  draw();
  auto fills = canvas.opsOfKind("fill");
  auto strokes = canvas.opsOfKind("stroke");
  ASSERT_GE(strokes.size(), 3u);
  EXPECT_TRUE(sameColour(fills.back().colour, doc.backgroundcolor));  // hides the line under it
  EXPECT_TRUE(sameColour(strokes[strokes.size() - 2].colour, doc.backgroundcolor));
  EXPECT_TRUE(sameColour(strokes.back().colour, Colour::black()));
  EXPECT_TRUE(closed(strokes.back().path));

  g.arrowtype = 3;
  draw();
  const auto twice = points(canvas.opsOfKind("stroke").back().path);
  ASSERT_EQ(twice.size(), 6u);
  expectPoint(twice[1], 200, 100);
  expectPoint(twice[4], 188, 100);
  expectPoint(twice[3], 176, 100 + 12 / 2.3);

  const std::size_t withHead = canvas.opsOfKind("stroke").size();
  g.arrowtype = 4;
  draw();
  EXPECT_EQ(canvas.opsOfKind("stroke").size(), withHead - 1);
}

TEST_F(ViewObjects, FarPointsAreCutAlongTheLine) {
  Graphic& g = line(100, 100, 2e9, 100 + 1.9e9);
  g.arrow1 = g.arrow2 = true;
  draw();
  const auto strokes = canvas.opsOfKind("stroke");
  ASSERT_GE(strokes.size(), 2u);
  const auto drawn = points(strokes[strokes.size() - 2].path);
  ASSERT_EQ(drawn.size(), 2u);
  expectPoint(drawn[0], 100, 100);
  EXPECT_NEAR(drawn[1].x, 1e6, 1e-3);  // the x edge of the far square is met first
  EXPECT_NEAR(drawn[1].y, 100 + (1e6 - 100) * 1.9e9 / (2e9 - 100), 1e-3);
  expectPoint(points(strokes.back().path)[1], 100, 100);  // only the head at the near end

  g.posmode = 1;  // a degenerate range gives no place at all: nothing is drawn
  doc.xmax1 = doc.xmin1;
  const std::size_t before = canvas.opsOfKind("stroke").size();
  draw();
  EXPECT_LT(canvas.opsOfKind("stroke").size(), before);
}

TEST_F(ViewObjects, DashesGrowWithTheLineWidth) {
  Graphic& g = line(100, 100, 200, 150);
  g.dashp = 1;
  g.linewidth = 6;
  draw();
  auto dashed = [&] {
    for (const auto& o : canvas.opsOfKind("stroke"))
      if (!o.dash.empty()) return o.dash;
    return std::vector<float>{};
  };
  EXPECT_EQ(dashed(), (std::vector<float>{7, 11}));
  g.linewidth = 2;
  draw();
  EXPECT_EQ(dashed(), (std::vector<float>{2, 6}));
}

TEST_F(ViewObjects, ShapesFillOnlyWhenAsked) {
  Graphic& r = line(120, 90, 100, 140);  // corners in any order
  r.type = Graphic::Rectangle;
  r.fillcolor = {0, 1, 0, 1};
  draw();
  for (const auto& o : canvas.opsOfKind("fill")) EXPECT_FALSE(sameColour(o.colour, r.fillcolor));
  r.fill = true;
  r.type = Graphic::Ellipse;
  draw();
  const int fill = firstOp([&](const RecordingCanvas::Op& o) { return o.kind == "fill" && sameColour(o.colour, r.fillcolor); });
  ASSERT_GE(fill, 0);
  const auto& oval = canvas.ops[fill].path.elements().at(0);
  EXPECT_EQ(oval.kind, Kind::Oval);
  EXPECT_EQ((RectF{oval.x, oval.y, oval.width, oval.height}), (RectF{100, 90, 20, 50}));

}

TEST_F(ViewObjects, BehindAndInFrontOfThePlot) {
  addBuffer({{1, 1}, {9, 9}}).linewidth = 3;
  Graphic& back = line(70, 60, 90, 60);
  back.display = 1;
  back.color = {1, 0, 0, 1};
  Graphic& front = line(70, 70, 90, 70);
  front.color = {0, 0, 1, 1};
  draw();
  const int background = firstOp([&](const auto& o) { return o.kind == "fillRect" && o.rect == RectF{60, 50, 320, 230}; });
  const int behind = firstOp([&](const auto& o) { return o.kind == "stroke" && sameColour(o.colour, back.color); });
  const int series = firstOp([&](const auto& o) { return o.kind == "stroke" && o.lineWidth == 3; });
  const int frame = firstOp([&](const auto& o) { return o.kind == "strokeRect" && o.rect == RectF{60, 50, 320, 230}; });
  const int inFront = firstOp([&](const auto& o) { return o.kind == "stroke" && sameColour(o.colour, front.color); });
  ASSERT_GE(background, 0);
  EXPECT_LT(background, behind);
  EXPECT_LT(behind, series);
  EXPECT_LT(series, frame);
  EXPECT_LT(frame, inFront);
}

TEST_F(ViewObjects, PicturesAreDrawnIntoTheRectangle) {
  QImage img(4, 2, QImage::Format_ARGB32);
  img.fill(Qt::red);
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  ASSERT_TRUE(img.save(&buf, "PNG"));
  Graphic& g = line(100, 200, 180, 160);
  g.type = Graphic::Rectangle;
  g.image.assign(bytes.begin(), bytes.end());
  draw();
  const auto images = canvas.opsOfKind("image");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].rect, (RectF{100, 160, 80, 40}));
  draw();  // the next pass draws the picture decoded before
  EXPECT_EQ(canvas.opsOfKind("image").at(0).imageKey, images[0].imageKey);
  QImage other(3, 3, QImage::Format_ARGB32);
  other.fill(Qt::blue);
  bytes.clear();
  buf.seek(0);
  ASSERT_TRUE(other.save(&buf, "PNG"));
  g.image.assign(bytes.begin(), bytes.end());  // a replaced picture is decoded again
  draw();
  EXPECT_NE(canvas.opsOfKind("image").at(0).imageKey, images[0].imageKey);
  // Graphics showing the same picture share one decoded image.
  Graphic& twin = line(10, 20, 30, 40);
  twin.type = Graphic::Rectangle;
  twin.image = g.image;
  draw();
  ASSERT_EQ(canvas.opsOfKind("image").size(), 2u);
  EXPECT_EQ(canvas.opsOfKind("image")[0].imageKey, canvas.opsOfKind("image")[1].imageKey);
  twin.image.clear();
  g.image.resize(g.image.size() / 2);  // a damaged picture is left out
  draw();
  EXPECT_TRUE(canvas.opsOfKind("image").empty());
  // Only PNG is decoded: an SVG could draw files of the reader's disk into the picture.
  const std::string svg =
      "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'><rect width='4' height='4' fill='red'/></svg>";
  g.image.assign(svg.begin(), svg.end());
  draw();
  EXPECT_TRUE(canvas.opsOfKind("image").empty());
}

TEST_F(ViewObjects, CurrentGraphicOutlinedInGraphicModeOnly) {
  Graphic& g = line(100, 100, 200, 150);
  m.currentGraphic = &g;
  auto outlines = [&] {
    int n = 0;
    for (const auto& o : canvas.opsOfKind("strokeRect")) n += o.rect == RectF{96, 96, 108, 58};
    return n;
  };
  draw();
  EXPECT_EQ(outlines(), 0);
  m.pointerMode = "graphic";
  draw();
  EXPECT_EQ(outlines(), 2);  // under the plot and over it
  Graphic building;
  building.setPoints(10, 10, 30, 30);
  building.color = {0, 1, 0, 1};
  view.nG = &building;
  draw();
  EXPECT_GE(firstOp([&](const auto& o) { return o.kind == "stroke" && sameColour(o.colour, building.color); }), 0);
  m.printmode = true;
  draw();
  EXPECT_EQ(outlines(), 0);
}

TEST_F(ViewObjects, TextsArePaintedAfterThePlotInTheirFrame) {
  addBuffer({{1, 1}, {9, 9}});
  TextObject& t = text("Peak A");
  t.autopos = true;
  t.autoposloc = 7;
  t.autoposoffset = 5;
  t.color = {0.5, 0, 0, 1};
  draw();
  const int op = textOp("Peak A");
  ASSERT_GE(op, 0);
  EXPECT_GT(op, firstOp([&](const auto& o) { return o.kind == "strokeRect" && o.rect == RectF{60, 50, 320, 230}; }));
  EXPECT_EQ(canvas.ops[op].at, (PointF{0, 0}));
  EXPECT_TRUE(sameColour(canvas.ops[op].colour, t.color));
  // Measured with the canvas: 6 characters at 0.6 x 10, one line of 1.2 x 10.
  EXPECT_EQ(t.frame, (ViewRect{65, 55, 36, 12}));
  EXPECT_EQ(canvas.ops[op - 1].kind, "translate");
  EXPECT_EQ(canvas.ops[op - 1].at, (PointF{65, 55}));
}

TEST_F(ViewObjects, CentredAndRightAlignedLinesMoveWithinTheFrame) {
  TextObject& centred = text("wide line\nab");
  centred.textalign = 1;
  TextObject& right = text("xyz\nlonger one");
  right.textalign = 2;
  right.tloc = {200, 300};
  draw();
  // 9 characters at 6 points make the frame 54 wide; lines are 12 high, the first on top.
  ASSERT_GE(textOp("ab"), 0);
  EXPECT_EQ(canvas.ops[textOp("wide line")].at, (PointF{0, 12}));
  EXPECT_EQ(canvas.ops[textOp("ab")].at, (PointF{(54 - 12) / 2.0, 0}));
  EXPECT_EQ(canvas.ops[textOp("xyz")].at, (PointF{60 - 18, 12}));
  EXPECT_EQ(canvas.ops[textOp("longer one")].at, (PointF{0, 0}));
}

TEST_F(ViewObjects, TurnedTextRotatesAboutItsFrameOrigin) {
  TextObject& t = text("Counts");
  t.autopos = true;
  t.autoposloc = 20;  // left of the left axis, centred
  t.autoposangle = 90;
  t.angle = 90;
  draw();
  const int op = textOp("Counts");
  ASSERT_GE(op, 2);
  EXPECT_EQ(canvas.ops[op - 1].kind, "rotate");
  EXPECT_EQ(canvas.ops[op - 1].angle, 90);
  const PointF origin = canvas.ops[op - 2].at;
  // The turned box (12 wide, 36 high) ends left of the numbers of the left axis.
  const double dl = doc.numoff[1] + doc.axm[1][0] + 9;
  EXPECT_GT(doc.axm[1][0], 0);  // the numbers were measured in this pass
  EXPECT_NEAR(origin.x, 60 - dl, 1e-9);
  EXPECT_NEAR(origin.y, 165 - 36 / 2.0, 1e-9);
}

TEST_F(ViewObjects, CurrentTextOutlineOnScreenWhileSelecting) {
  TextObject& t = text("note");
  t.setPosition(100, 100);
  t.drawsbackground = true;
  t.backgroundcolor = {0.9, 0.9, 1, 1};
  m.currentText = &t;
  m.pointerMode = "select";
  draw();
  const int op = textOp("note");
  EXPECT_EQ(canvas.ops[op - 1].kind, "strokeRect");
  EXPECT_EQ(canvas.ops[op - 1].rect, (RectF{1, 1, 24 - 2, 12 - 2}));
  EXPECT_FALSE(canvas.ops[op - 1].antialias);
  EXPECT_EQ(canvas.ops[op - 2].kind, "fillRect");  // background under the outline
  m.pointerMode = "zoom";
  draw();
  EXPECT_EQ(canvas.ops[textOp("note") - 1].kind, "fillRect");
  view.redraw = false;  // the window image restored during a drag shows the text already
  draw();
  EXPECT_EQ(textOp("note"), -1);
}

TEST_F(ViewObjects, SubplotsAreDrawnInTheirFrames) {
  auto inner = std::make_unique<XylaDocument>(&m);
  inner->marginleft = inner->marginbottom = 20;
  inner->marginright = inner->margintop = 5;
  inner->framecolor = {0, 0.5, 0, 1};
  XylaDocument& sub = doc.addSubplot(std::move(inner), 200, 150, 150, 100);
  EXPECT_EQ(sub.MPD, &doc);  // it redraws through its parent
  TextObject& label = sub.addText(std::make_unique<TextObject>());
  label.text = "inset";
  label.setPosition(30, 90);
  draw();
  const int shift = firstOp([](const auto& o) { return o.kind == "translate" && o.at == PointF{200, 150}; });
  ASSERT_GE(shift, 0);
  EXPECT_GT(shift, firstOp([&](const auto& o) { return o.kind == "strokeRect" && o.rect == RectF{60, 50, 320, 230}; }));
  auto after = [&](auto pred) {
    for (std::size_t i = shift; i < canvas.ops.size(); ++i)
      if (pred(canvas.ops[i])) return static_cast<int>(i);
    return -1;
  };
  EXPECT_GT(after([](const auto& o) { return o.kind == "clip" && o.rect == RectF{0, 0, 150, 100}; }), shift);
  EXPECT_GT(after([&](const auto& o) { return o.kind == "strokeRect" && o.rect == RectF{20, 20, 125, 75} && sameColour(o.colour, sub.framecolor); }), shift);
  EXPECT_GT(after([](const auto& o) { return o.kind == "strokeRect" && o.rect == RectF{0, 0, 150, 100}; }), shift);  // screen outline
  EXPECT_GT(textOp("inset"), shift);
  EXPECT_EQ(m.calcDocument, &doc);

  m.printmode = true;
  draw();
  EXPECT_EQ(firstOp([](const auto& o) { return o.kind == "strokeRect" && o.rect == RectF{0, 0, 150, 100}; }), -1);
  sub.subvieww = 0;  // a frame without area is not drawn
  draw();
  EXPECT_EQ(firstOp([](const auto& o) { return o.kind == "translate" && o.at == PointF{200, 150}; }), -1);
}

}  // namespace
}  // namespace xyla::test
