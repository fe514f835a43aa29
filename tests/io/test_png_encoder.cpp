// The PNG encoder against Qt's decoder: every pixel back as it was, RGB only for opaque
// pictures, the pixel density kept, and a chunk layout other readers accept.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "io/png_encoder.h"

namespace xyla {
namespace {

std::uint32_t bigEndian(const QByteArray& b, qsizetype at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// The chunk types in file order, each IDAT no longer than the encoder's 1 MiB.
std::vector<std::string> chunkTypes(const QByteArray& png) {
  std::vector<std::string> types;
  for (qsizetype at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = bigEndian(png, at);
    types.emplace_back(png.constData() + at + 4, 4);
    if (types.back() == "IDAT") {
      EXPECT_LE(length, 1u << 20);
    }
    at += 12 + qsizetype(length);
  }
  return types;
}

QImage painted(int w, int h, QColor background, const std::function<void(QPainter&)>& paint) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(background);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  return image;
}

QImage noise(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32);
  std::mt19937 random(7);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, random());
  return image;
}

TEST(PngEncoder, DecodesToTheSamePixelsWithTheRightColourTypeAndDensity) {
  const auto lines = [](QPainter& p) {
    p.setPen(QPen(Qt::darkBlue, 1.5));
    p.drawLine(QPointF(0, 0), QPointF(36, 22));
    p.setBrush(QColor(200, 50, 0, 90));
    p.drawEllipse(QRectF(3, 2, 20, 15));
  };
  QImage almostOpaque = painted(31, 19, Qt::white, lines);
  almostOpaque.setPixelColor(30, 18, QColor(10, 20, 30, 128));  // only the last pixel lets light through
  QImage rgb888(5, 3, QImage::Format_RGB888);
  rgb888.fill(QColor(1, 2, 3));
  const struct {
    const char* name;
    QImage image;
    int colourType;
    long idatChunks;  // 1.2 MB of noise does not compress into one chunk
  } cases[] = {
      {"opaque plot, odd size", painted(37, 23, Qt::white, lines), 2, 1},
      {"translucent", painted(29, 17, Qt::transparent, lines), 6, 1},
      {"opaque but the last pixel", almostOpaque, 6, 1},
      {"1x1 opaque", painted(1, 1, Qt::red, [](QPainter&) {}), 2, 1},
      {"1x1 transparent", painted(1, 1, Qt::transparent, [](QPainter&) {}), 6, 1},
      {"24-bit source", rgb888, 2, 1},
      {"noise", noise(640, 480), 6, 2},
  };
  int dpm = 2835;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QImage source = c.image;
    source.setDotsPerMeterX(dpm);
    source.setDotsPerMeterY(dpm + 1);
    QByteArray png;
    ASSERT_TRUE(encodePng(source, png));
    EXPECT_EQ(png.left(8), QByteArray("\x89PNG\r\n\x1a\n"));
    const std::vector<std::string> types = chunkTypes(png);
    ASSERT_GE(types.size(), 4u);
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types[1], "pHYs");
    EXPECT_EQ(types.back(), "IEND");
    EXPECT_EQ(std::count(types.begin(), types.end(), "IDAT"), c.idatChunks);
    EXPECT_EQ(png[25], char(c.colourType));
    const QImage decoded = QImage::fromData(png, "PNG");
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.hasAlphaChannel(), c.colourType == 6);
    EXPECT_EQ(decoded.dotsPerMeterX(), dpm);
    EXPECT_EQ(decoded.dotsPerMeterY(), dpm + 1);
    // Premultiplied again, every pixel is the one drawn.
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied),
              source.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    dpm += 1000;
  }
}

}  // namespace
}  // namespace xyla
