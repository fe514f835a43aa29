// Pixel tests run on both canvases (the Qt canvas on a QImage, the cairo canvas on a
// cairo image surface), then the Qt canvas's own concerns. A view point (x, y) lands on
// device pixel (x * s, (H - y) * s) for a device scale s.
#include <cairo.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "render/cairo_canvas.h"
#include "render/font_choice.h"
#include "render/qt_canvas.h"

namespace xyla {
namespace {

constexpr int kW = 100;
constexpr int kH = 80;

using Drawing = std::function<void(Canvas&)>;

QImage renderQt(const Drawing& draw, double scale) {
  QImage image(int(kW * scale), int(kH * scale), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(scale, scale);
  QtCanvas canvas(painter, kW, kH);
  draw(canvas);
  return image;
}

// cairo's ARGB32 and QImage's premultiplied ARGB32 are the same native-endian words.
QImage renderCairo(const Drawing& draw, double scale) {
  QImage image(int(kW * scale), int(kH * scale), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(image.bits(), CAIRO_FORMAT_ARGB32, image.width(),
                                                                 image.height(), int(image.bytesPerLine()));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  {
    CairoCanvas canvas(cr, kW, kH);
    draw(canvas);
  }
  EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return image;
}

struct Backend {
  const char* name;
  QImage (*render)(const Drawing&, double scale);
};

void PrintTo(const Backend& b, std::ostream* os) { *os << b.name; }

class CanvasPixels : public testing::TestWithParam<Backend> {
 protected:
  QImage render(const Drawing& draw, double scale = 1.0) { return GetParam().render(draw, scale); }
};

QColor at(const QImage& img, double x, double y, double scale = 1.0) {
  return img.pixelColor(int(x * scale), int((kH - y) * scale));
}
bool isWhite(const QColor& c) { return c.red() > 250 && c.green() > 250 && c.blue() > 250; }
bool isDark(const QColor& c) { return c.red() < 100 && c.green() < 100 && c.blue() < 100; }

// One letter per view point: r, g, b, y for pure red, green, blue, yellow; w white,
// k dark, ? anything else.
std::string looks(const QImage& img, std::initializer_list<PointF> points) {
  std::string s;
  for (const PointF& p : points) {
    const QColor c = at(img, p.x, p.y);
    const Qt::GlobalColor pure[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    char letter = isWhite(c) ? 'w' : isDark(c) ? 'k' : '?';
    for (int i = 0; i < 4; ++i)
      if (c == QColor(pure[i])) letter = "rgby"[i];
    s += letter;
  }
  return s;
}

// The view rectangle covering every non-white pixel.
RectF inkBox(const QImage& img, double scale = 1.0) {
  int x0 = img.width(), x1 = -1, y0 = img.height(), y1 = -1;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (!isWhite(img.pixelColor(x, y))) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = y;
  return {x0 / scale, kH - (y1 + 1) / scale, (x1 + 1 - x0) / scale, (y1 + 1 - y0) / scale};
}

// Ink ('#') or none ('.') at the middles of dashes of 6 points along the line y.
std::string inkAlong(const QImage& img, double y, double scale) {
  std::string s;
  for (double x : {3.0, 9.0, 15.0, 21.0, 27.0, 33.0, 87.0, 93.0}) s += isWhite(at(img, x, y, scale)) ? '.' : '#';
  return s;
}

Path line(double x0, double y0, double x1, double y1) {
  Path p;
  p.moveTo(x0, y0);
  p.lineTo(x1, y1);
  return p;
}

TEST_P(CanvasPixels, YAxisPointsUpAndTransformsCompose) {
  const QImage img = render([](Canvas& c) {
    c.setColour({1, 0, 0, 1});
    c.fillRect({10, 10, 20, 20});
    c.translate(50, 40);
    c.rotate(90);  // counter-clockwise: local x runs up the view
    c.setColour({0, 0, 1, 1});
    c.fillRect({0, 0, 20, 5});
  });
  EXPECT_EQ(looks(img, {{15, 15}, {15, 65}, {47, 55}, {53, 55}, {47, 35}}), "rwbww");
}

TEST_P(CanvasPixels, ClipAndStateFollowSaveAndRestore) {
  const float dash[] = {1, 20};
  const QImage img = render([&](Canvas& c) {
    c.setColour({1, 0, 0, 1});
    c.setDefaultLineWidth(6);
    c.setDash(dash, 2, 0);  // rectangle strokes ignore it
    c.save();
    c.clipToRect({0, 0, 50, 80});
    c.clipToRect({0, 40, 100, 40});  // intersects: the upper left quarter remains
    c.setColour({0, 0, 1, 1});
    c.setDefaultLineWidth(1);
    c.fillRect({0, 0, 100, 80});
    c.restore();
    c.restore();  // unbalanced: ignored
    c.fillRect({0, 0, 100, 20});
    c.strokeRect({60, 30, 30, 40});
  });
  // Clip: only the upper left quarter is blue. Then the colour is back, the clip gone,
  // and the rectangle's sides are solid and 6 wide.
  EXPECT_EQ(looks(img, {{25, 60}, {75, 60}, {25, 30}, {75, 10}}), "bwwr");
  EXPECT_EQ(looks(img, {{62, 35}, {62, 45}, {62, 55}, {62, 65}, {65, 50}}), "rrrrw");
}

TEST_P(CanvasPixels, DashLengthsArePointsWhateverTheWidth) {
  const float dash[] = {6, 6}, zeros[] = {0, 0};
  for (double width : {0.0, 1.0, 4.0})
    for (double scale : {1.0, 3.0}) {
      const QImage img = render(
          [&](Canvas& c) {
            c.setLineWidth(width);
            c.setDash(dash, 2, 0);
            c.stroke(line(0, 40.5, 100, 40.5));
            c.setDash(dash, 2, 6);  // the phase shifts the pattern by one dash
            c.stroke(line(0, 20.5, 100, 20.5));
            c.setDash(zeros, 2, 0);  // unusable: solid
            c.stroke(line(0, 60.5, 100, 60.5));
          },
          scale);
      SCOPED_TRACE(testing::Message() << "width " << width << " scale " << scale);
      EXPECT_EQ(inkAlong(img, 40.5, scale), "#.#.#.#.");
      EXPECT_EQ(inkAlong(img, 20.5, scale), ".#.#.#.#");
      EXPECT_EQ(inkAlong(img, 60.5, scale), "########");
    }
}

TEST_P(CanvasPixels, ZeroWidthDrawsAThinVisibleLine) {
  const double scale = 4.0;
  const QImage img = render(
      [](Canvas& c) {
        c.setLineWidth(0);
        c.stroke(line(10, 40, 90, 40));
      },
      scale);
  const RectF ink = inkBox(img, scale);
  EXPECT_NEAR(ink.width, 80, 1);
  EXPECT_GT(ink.height, 0);
  EXPECT_LE(ink.height * scale, 2.0);  // one device pixel, maybe split over two rows
}

TEST_P(CanvasPixels, FillsCapsImagesAndAntialiasing) {
  QImage src(2, 2, QImage::Format_RGB32);
  for (auto [x, y, colour] : {std::tuple{0, 0, Qt::red}, {1, 0, Qt::green}, {0, 1, Qt::blue}, {1, 1, Qt::yellow}})
    src.setPixelColor(x, y, colour);
  const QImage img = render([&](Canvas& c) {
    c.drawImage(src, {60, 0, 40, 40});
    Path p;
    p.appendRect({5, 5, 30, 30});
    p.appendRect({20, 20, 30, 30});
    p.appendOval({60, 45, 35, 35});
    c.fill(p);
    c.setLineWidth(10);
    c.stroke(line(20, 70, 40, 70));
    c.setLineCap(LineCap::Round);
    c.stroke(line(20, 55, 40, 55));
    c.setAntialias(false);
    c.fillRect({2.5, 37.5, 10, 10});
  });
  // The overlap is filled (non-zero winding), the ellipse's corner is not; a butt cap
  // ends at the end, a round one reaches beyond it; image row 0 is at the top.
  EXPECT_EQ(looks(img, {{27, 27}, {10, 50}, {77, 62}, {61, 79}, {17, 70}, {17, 55}}), "kwkwwk");
  EXPECT_EQ(looks(img, {{70, 30}, {90, 30}, {70, 10}, {90, 10}}), "rgby");
  for (int y = kH - 48; y < kH - 37; ++y)
    for (int x = 1; x < 14; ++x) EXPECT_TRUE(isWhite(img.pixelColor(x, y)) || isDark(img.pixelColor(x, y)));
}

TEST_P(CanvasPixels, TextStandsUprightStacksAndRotates) {
  const FontSpec font{"", 15};
  SizeF box;
  double descent = 0;
  const QImage flat = render([&](Canvas& c) {
    box = c.textSize("HH", font);
    descent = c.fontDescent(font);
    c.drawText("HH", {20, 2}, font, Colour::black());
  });
  // Capitals sit on the baseline, the descent above the box bottom, and reach up.
  const RectF ink = inkBox(flat);
  EXPECT_NEAR(ink.y, 2 + descent, 1.5);
  EXPECT_GT(ink.y + ink.height, 2 + descent + 8);
  EXPECT_LE(ink.y + ink.height, 2 + box.height + 0.5);
  EXPECT_GE(ink.x, 20);
  EXPECT_LE(ink.x + ink.width, 20 + box.width + 0.5);

  // Lines stack down from the box top: the last where a single line would be.
  const QImage stacked = render([&](Canvas& c) { c.drawText("HH\n\nHH", {20, 2}, font, Colour::black()); });
  const RectF three = inkBox(stacked);
  EXPECT_NEAR(three.y, ink.y, 1.0);
  EXPECT_NEAR(three.y + three.height, ink.y + ink.height + 2 * box.height, 1.0);
  EXPECT_TRUE(isWhite(at(stacked, 25, 2 + 1.5 * box.height)));  // the empty middle line

  // Turned a quarter: the baseline runs up the view at x = 60 - descent.
  const QImage turned = render([&](Canvas& c) {
    c.translate(60, 5);
    c.rotate(90);
    c.drawText("HH", {0, 0}, font, Colour::black());
  });
  const RectF r = inkBox(turned);
  EXPECT_NEAR(r.x + r.width, 60 - descent, 1.5);
  EXPECT_NEAR(r.width, ink.height, 1.5);
  EXPECT_NEAR(r.height, ink.width, 1.5);
  EXPECT_GE(r.y, 5);
}

TEST_P(CanvasPixels, TextMetricsAreInViewUnits) {
  const FontSpec font{"", 20};
  SizeF one, label, two, wide, bad, huge, clamped, atScale4;
  double descent = 0;
  render([&](Canvas& c) {
    one = c.textSize("Axis", font);
    label = c.textSize("label", font);
    two = c.textSize("Axis\nlabel", font);
    wide = c.textSize("Axis label", font);
    descent = c.fontDescent(font);
    bad = c.textSize("Axis", {"", std::nan("")});
    huge = c.textSize("Axis", {"", 5000});
    clamped = c.textSize("Axis", {"", 1000});
  });
  render([&](Canvas& c) { atScale4 = c.textSize("Axis", font); }, 4.0);
  // Design advances of A, x, i, s in a Helvetica-metric face: 667 + 500 + 222 + 500.
  EXPECT_NEAR(one.width, 20 * 1.889, 0.01 * one.width);
  // The typographic ascender plus descender of a Helvetica-metric face is one em on every
  // back end, so layouts agree between formats.
  EXPECT_NEAR(one.height, 20, 0.05 * 20);
  EXPECT_GT(descent, 0.15 * 20);
  EXPECT_LT(descent, 0.5 * one.height);
  EXPECT_DOUBLE_EQ(two.height, 2 * one.height);
  EXPECT_DOUBLE_EQ(two.width, std::max(one.width, label.width));
  EXPECT_GT(wide.width, one.width + label.width);
  EXPECT_NEAR(atScale4.width, one.width, 0.01 * one.width);
  EXPECT_NEAR(atScale4.height, one.height, 0.01 * one.height);
  EXPECT_NEAR(bad.width, one.width * 12 / 20, 0.02 * one.width);
  EXPECT_DOUBLE_EQ(huge.width, clamped.width);
}

INSTANTIATE_TEST_SUITE_P(Canvases, CanvasPixels, testing::Values(Backend{"Qt", renderQt}, Backend{"Cairo", renderCairo}),
                         [](const testing::TestParamInfo<Backend>& info) { return std::string(info.param.name); });

TEST(QtCanvas, FontPointsAreViewUnitsAtAnyDpi) {
  const FontSpec font{"", 20};
  SizeF plain, dpi300, nimbus;
  renderQt([&](Canvas& c) { plain = c.textSize("Axis", font), nimbus = c.textSize("Axis", {"nimbus sans", 20}); }, 1);
  QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
  image.setDotsPerMeterX(11811);  // 300 dpi
  image.setDotsPerMeterY(11811);
  QPainter painter(&image);
  dpi300 = QtCanvas(painter, 10, 10).textSize("Axis", font);
  EXPECT_NEAR(dpi300.width, plain.width, 0.01 * plain.width);
  EXPECT_NEAR(dpi300.height, plain.height, 0.01 * plain.height);
  EXPECT_DOUBLE_EQ(nimbus.width, plain.width);  // the system font is Nimbus Sans
}

TEST(QtCanvas, PainterStateComesBackAfterTheCanvas) {
  QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  painter.scale(2, 2);
  const QTransform before = painter.worldTransform();
  {
    QtCanvas canvas(painter, 5, 5);
    canvas.save();
    canvas.translate(1, 1);
    canvas.save();  // left open on purpose
  }
  EXPECT_EQ(painter.worldTransform(), before);
}

TEST(FontChoice, FamiliesAndSizes) {
  EXPECT_EQ(resolvedFontFamily({"", 12}), "Helvetica");
  EXPECT_EQ(resolvedFontFamily({"Times", 12}), "Times");
  for (double bad : {-3.0, double(INFINITY), 0.0}) EXPECT_EQ(resolvedFontSize(bad), 12) << bad;
  EXPECT_EQ(resolvedFontSize(1e6), 1000);
  EXPECT_EQ(resolvedFontSize(7.5), 7.5);
  // Qt lists "Nimbus Sans [foundry]"; case and foundry do not matter.
  for (const char* family : {"", "NIMBUS SANS", "Liberation Sans", "Helvetica", "arial", "Times", "Courier"}) EXPECT_TRUE(fontFamilyAvailable(family)) << family;
  EXPECT_FALSE(fontFamilyAvailable("No Such Family Anywhere"));
}

}  // namespace
}  // namespace xyla

namespace xyla {
namespace {

// Text boxes must not depend on the format: PDF and PNG (Qt) and EPS (cairo) lay out the
// same picture.
TEST(CanvasText, BoxesAgreeBetweenBackEnds) {
  for (const char* family : {"", "Times", "Courier", "Liberation Sans"}) {
    const FontSpec font{family, 17};
    SizeF qt, cairo;
    double qtDescent = 0, cairoDescent = 0;
    renderQt([&](Canvas& c) { qt = c.textSize("Ag 1.5\nx", font), qtDescent = c.fontDescent(font); }, 1.0);
    renderCairo([&](Canvas& c) { cairo = c.textSize("Ag 1.5\nx", font), cairoDescent = c.fontDescent(font); }, 1.0);
    EXPECT_DOUBLE_EQ(qt.height, cairo.height) << family;
    EXPECT_DOUBLE_EQ(qtDescent, cairoDescent) << family;
    EXPECT_NEAR(qt.width, cairo.width, 0.02 * qt.width) << family;
  }
}

}  // namespace
}  // namespace xyla
