#include <QBuffer>
#include <QImage>
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
