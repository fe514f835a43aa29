// The picture writer's own rules: file names, raster pixels and background, page sizes
// of the vector formats, and failures that explain themselves and leave no file behind.
// Well-formedness of every format through a whole document is checked with the export.
#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

#include "io/image_writer.h"
#include "render/canvas.h"
#include "support/test_files.h"

namespace xyla {
namespace {

constexpr double kW = 200;
constexpr double kH = 150;

// A red square in the lower left corner and a short black line in the middle.
void drawMarks(Canvas& c) {
  c.setColour({1, 0, 0, 1});
  c.fillRect({0, 0, 20, 20});
  c.setColour(Colour::black());
  Path p;
  p.moveTo(90, 70);
  p.lineTo(110, 80);
  c.stroke(p);
}

class ImageWriter : public testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
  bool write(ImageFormat f, const std::string& name, int dpi = 72, double w = kW, double h = kH) {
    return writeImage(f, path(name), w, h, dpi, drawMarks, error_);
  }
  QImage read(const std::string& name) const { return QImage(QString::fromStdString(path(name))); }
  // Names of the files in the directory (to prove nothing was left behind).
  QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }
  bool startsWithReason(const std::string& name) const {
    const std::string prefix = "Could not write " + path(name) + ": ";
    return error_.rfind(prefix, 0) == 0 && error_.size() > prefix.size();
  }

  QTemporaryDir dir_;
  std::string error_;
};

TEST(ImageFormatForPath, ExtensionsAreCaseInsensitive) {
  const std::pair<const char*, ImageFormat> known[] = {{"plot.PDF", ImageFormat::Pdf},  {"a/b.JpEg", ImageFormat::Jpeg},
                                                       {"a/b.jpg", ImageFormat::Jpeg},  {"x.eps", ImageFormat::Eps},
                                                       {"x.png", ImageFormat::Png},     {"x.svg", ImageFormat::Svg}};
  for (const auto& [name, format] : known) EXPECT_EQ(imageFormatForPath(name), format) << name;
  EXPECT_FALSE(imageFormatForPath("x.tiff"));
  EXPECT_FALSE(imageFormatForPath("pdf"));
}

TEST_F(ImageWriter, RasterPicturesKeepDpiBackgroundAndReplaceOldFiles) {
  ASSERT_TRUE(write(ImageFormat::Png, "plot.png", 144)) << error_;
  const QImage png = read("plot.png");
  EXPECT_NEAR(png.dotsPerMeterX(), 144 / 0.0254, 1);
  EXPECT_EQ(png.pixelColor(20, png.height() - 20), QColor(Qt::red));  // lower left at two pixels a point
  EXPECT_EQ(png.pixelColor(20, 20).alpha(), 0);                       // transparent elsewhere

  // An opaque picture is stored without alpha and reads back the same colours, also at
  // a resolution that gives no whole number of pixels (200 x 150 points at 100 dpi).
  const auto opaque = [](Canvas& c) {
    c.setColour({0.2, 0.4, 0.6, 1});
    c.fillRect({0, 0, kW, kH});
    drawMarks(c);
  };
  ASSERT_TRUE(writeImage(ImageFormat::Png, path("opaque.png"), kW, kH, 100, opaque, error_)) << error_;
  const QImage rgb = read("opaque.png");
  EXPECT_FALSE(rgb.hasAlphaChannel());
  EXPECT_EQ(rgb.pixelColor(20, rgb.height() - 20), QColor(Qt::red));
  EXPECT_EQ(rgb.pixelColor(rgb.width() - 5, 5), QColor::fromRgbF(0.2f, 0.4f, 0.6f));
  EXPECT_TRUE(png.hasAlphaChannel());

  test::writeFile(path("plot.jpeg"), "old contents");
  ASSERT_TRUE(write(ImageFormat::Jpeg, "plot.jpeg", 100)) << error_;
  const QImage jpeg = read("plot.jpeg");
  EXPECT_EQ(jpeg.width(), std::lround(kW * 100 / 72.0));
  const QColor red = jpeg.pixelColor(5, jpeg.height() - 5), white = jpeg.pixelColor(jpeg.width() - 5, 5);
  EXPECT_TRUE(red.red() > 200 && red.green() < 60) << red.name().toStdString();
  EXPECT_GT(white.lightness(), 245);  // JPEG has no transparency: white behind the drawing
  EXPECT_EQ(files(), (QStringList{"opaque.png", "plot.jpeg", "plot.png"}));
}

TEST_F(ImageWriter, VectorPagesAreTheViewSize) {
  ASSERT_TRUE(write(ImageFormat::Pdf, "p.pdf")) << error_;
  EXPECT_TRUE(QString::fromLatin1(test::readFile(path("p.pdf")))
                  .contains(QRegularExpression(R"(/MediaBox\s*\[\s*0\s+0\s+200(\.0*)?\s+150(\.0*)?\s*\])")));
  // The ink is a small part of the picture; the bounding box is still the whole view.
  ASSERT_TRUE(write(ImageFormat::Eps, "p.eps")) << error_;
  EXPECT_NE(test::readFile(path("p.eps")).find("%%BoundingBox: 0 0 200 150\n"), std::string::npos);
  ASSERT_TRUE(write(ImageFormat::Svg, "p.svg")) << error_;
  EXPECT_TRUE(QString::fromStdString(test::readFile(path("p.svg")))
                  .contains(QRegularExpression(R"(<svg[^>]*viewBox="\s*0\s+0\s+200\s+150\s*")")));
}

TEST_F(ImageWriter, FailuresExplainAndLeaveNoFile) {
  EXPECT_FALSE(write(ImageFormat::Png, "bad.png", 0));
  EXPECT_TRUE(startsWithReason("bad.png")) << error_;
  EXPECT_FALSE(write(ImageFormat::Jpeg, "huge.jpeg", 1000000));  // far too many pixels
  EXPECT_FALSE(write(ImageFormat::Pdf, "nan.pdf", 72, std::nan(""), kH));
  EXPECT_FALSE(write(ImageFormat::Svg, "flat.svg", 72, kW, 0));
  QDir(dir_.path()).mkdir("taken.eps");  // a directory in the way
  EXPECT_FALSE(write(ImageFormat::Eps, "taken.eps"));
  EXPECT_TRUE(files().isEmpty());

  error_.clear();
  EXPECT_FALSE(write(ImageFormat::Pdf, "no/such/dir/plot.pdf"));
  EXPECT_TRUE(startsWithReason("no/such/dir/plot.pdf")) << error_;
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("no/such/dir/plot.pdf"))));
}

}  // namespace
}  // namespace xyla
