#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

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
  bool write(ImageFormat f, const std::string& file, int dpi = 72, double w = kW, double h = kH) {
    return writeImage(f, file, w, h, dpi, drawMarks, error_);
  }
  // Names of the files in the directory (to prove nothing was left behind).
  QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir_;
  std::string error_;
};

TEST(ImageFormatForPath, ExtensionsAreCaseInsensitive) {
  EXPECT_EQ(imageFormatForPath("plot.PDF"), ImageFormat::Pdf);
  EXPECT_EQ(imageFormatForPath("a/b.JpEg"), ImageFormat::Jpeg);
  EXPECT_EQ(imageFormatForPath("a/b.jpg"), ImageFormat::Jpeg);
  EXPECT_EQ(imageFormatForPath("x.eps"), ImageFormat::Eps);
  EXPECT_EQ(imageFormatForPath("x.png"), ImageFormat::Png);
  EXPECT_EQ(imageFormatForPath("x.svg"), ImageFormat::Svg);
  EXPECT_FALSE(imageFormatForPath("x.tiff"));
  EXPECT_FALSE(imageFormatForPath("pdf"));
}

TEST_F(ImageWriter, PngHasTheResolutionsPixelsAndPlacesTheDrawing) {
  for (int dpi : {72, 144}) {
    const std::string file = path("plot" + std::to_string(dpi) + ".png");
    ASSERT_TRUE(write(ImageFormat::Png, file, dpi)) << error_;
    QImage img(QString::fromStdString(file));
    ASSERT_FALSE(img.isNull());
    const double s = dpi / 72.0;
    EXPECT_EQ(img.width(), std::lround(kW * s));
    EXPECT_EQ(img.height(), std::lround(kH * s));
    EXPECT_NEAR(img.dotsPerMeterX(), dpi / 0.0254, 1);
    EXPECT_EQ(img.pixelColor(int(10 * s), img.height() - int(10 * s)), QColor(Qt::red));  // lower left
    EXPECT_EQ(img.pixelColor(int(10 * s), int(10 * s)).alpha(), 0);  // transparent elsewhere
  }
}

TEST_F(ImageWriter, JpegDecodesOnWhiteAndReplacesAnOldFile) {
  const std::string file = path("plot.jpeg");
  test::writeFile(file, "old contents");
  ASSERT_TRUE(write(ImageFormat::Jpeg, file, 100)) << error_;
  QImage img(QString::fromStdString(file), "JPEG");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.width(), std::lround(kW * 100 / 72.0));
  const QColor red = img.pixelColor(5, img.height() - 5), white = img.pixelColor(img.width() - 5, 5);
  EXPECT_GT(red.red(), 200);
  EXPECT_LT(red.green(), 60);
  EXPECT_GT(white.lightness(), 245);
  EXPECT_EQ(files(), QStringList{"plot.jpeg"});
}

TEST_F(ImageWriter, VectorFilesHaveThePageSize) {
  ASSERT_TRUE(write(ImageFormat::Pdf, path("p.pdf"))) << error_;
  const std::string pdf = test::readFile(path("p.pdf"));
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_TRUE(QString::fromLatin1(pdf).contains(QRegularExpression(R"(/MediaBox\s*\[\s*0\s+0\s+200(\.0*)?\s+150(\.0*)?\s*\])")));

  // The ink is a small part of the picture; the bounding box is still the whole view.
  ASSERT_TRUE(write(ImageFormat::Eps, path("p.eps"))) << error_;
  const std::string eps = test::readFile(path("p.eps"));
  EXPECT_EQ(eps.rfind("%!PS-Adobe-3.0 EPSF-3.0", 0), 0u);
  EXPECT_NE(eps.find("%%BoundingBox: 0 0 200 150\n"), std::string::npos);

  ASSERT_TRUE(write(ImageFormat::Svg, path("p.svg"))) << error_;
  QXmlStreamReader xml(QByteArray::fromStdString(test::readFile(path("p.svg"))));
  QString viewBox;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("svg"))
      viewBox = xml.attributes().value("viewBox").toString();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(viewBox.simplified(), "0 0 200 150");
}

TEST_F(ImageWriter, FailuresExplainAndLeaveNoFile) {
  const std::string png = path("bad.png");
  EXPECT_FALSE(write(ImageFormat::Png, png, 0));
  EXPECT_EQ(error_.rfind("Could not write " + png + ": ", 0), 0u) << error_;
  EXPECT_FALSE(write(ImageFormat::Jpeg, png, 1000000));  // far too many pixels
  EXPECT_FALSE(write(ImageFormat::Pdf, path("nan.pdf"), 72, std::nan(""), kH));
  EXPECT_FALSE(write(ImageFormat::Svg, path("flat.svg"), 72, kW, 0));
  EXPECT_TRUE(files().isEmpty());

  const std::string missing = path("no/such/dir/plot.pdf");
  error_.clear();
  EXPECT_FALSE(write(ImageFormat::Pdf, missing));
  EXPECT_EQ(error_.rfind("Could not write " + missing + ": ", 0), 0u) << error_;
  EXPECT_GT(error_.size(), ("Could not write " + missing + ": ").size());
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(missing)));

  QDir(QString::fromStdString(path(""))).mkdir("taken.eps");  // a directory in the way
  EXPECT_FALSE(write(ImageFormat::Eps, path("taken.eps")));
  EXPECT_TRUE(files().isEmpty());
}

}  // namespace
}  // namespace xyla
