#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <memory>

#include "view_fixture.h"

namespace xyla::test {
namespace {

// Graphic objects drawn through the view; their display lists are golden files.
class ViewObjects : public ViewFixture {
 protected:
  Graphic& line(double x1, double y1, double x2, double y2) {
    Graphic& g = doc.addGraphic(std::make_unique<Graphic>());
    g.setPoints(x1, y1, x2, y2);
    return g;
  }
};

// The farthest any recorded path reaches from the origin, in either direction.
double reach(const RecordingCanvas& c) {
  double far = 0;
  for (const auto& op : c.ops)
    for (const auto& e : op.path.elements())
      far = std::max({far, std::fabs(e.x), std::fabs(e.y), std::fabs(e.x + e.width), std::fabs(e.y + e.height)});
  return far;
}

// Symbols and graphics far larger than the picture are cut to it, so what they cost is
// bounded by the picture's size; each kind still covers what it covered.
TEST_F(ViewObjects, ShapesLargerThanThePictureAreCutToIt) {
  bare();
  DataBuffer& b = addBuffer({{5, 5}, {-1e4, 5}});
  b.plotlines = false;
  b.plotsymbols = b.symfill = true;
  b.symbolsize = 1e5;
  b.fillcolor = {0, 0, 1, 1};
  for (int kind = 0; kind < 16; ++kind) {
    b.symbol = kind;
    draw();
    EXPECT_LT(reach(canvas), 500) << "symbol " << kind;
    EXPECT_FALSE(canvas.opsOfKind(kind <= 13 ? "fill" : "stroke").empty()) << "symbol " << kind;
  }
  b.show = false;
  for (Graphic::Type type : {Graphic::Line, Graphic::Rectangle, Graphic::Ellipse}) {
    doc.G.clear();
    Graphic& g = line(-1e6, -1e6 + 150, 1e6, 1e6 + 150);
    g.type = type;
    g.fill = true;
    draw();
    EXPECT_LT(reach(canvas), 500) << "graphic " << type;
    EXPECT_FALSE(canvas.opsOfKind("stroke").empty()) << "graphic " << type;
  }
  // A graphic entirely outside the view is not drawn at all.
  doc.G.clear();
  line(-5e5, -5e5, -4e5, -4e5);
  draw();
  EXPECT_TRUE(canvas.opsOfKind("stroke").empty());
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

}  // namespace
}  // namespace xyla::test
