#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "io/ascii_import.h"
#include "io/document_export.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

namespace fs = std::filesystem;

// Exports documents into a fresh directory. With XYLA_GALLERY_DIR set, the pictures are
// kept there for a person to look at.
class DocumentExport : public ::testing::Test {
 protected:
  DocumentExport() {
    const char* keep = std::getenv("XYLA_GALLERY_DIR");
    dir = keep ? fs::path(keep) : fs::temp_directory_path() / ("xyla-export-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    m.setCurrentDocument(&doc);
  }
  ~DocumentExport() override {
    if (!std::getenv("XYLA_GALLERY_DIR")) fs::remove_all(dir);
  }

  std::string path(const std::string& name) const { return (dir / name).string(); }

  QImage exportPng(const std::string& name, int dpi = 72) {
    std::string error;
    EXPECT_TRUE(savePNG(m, doc, path(name), dpi, error)) << error;
    return QImage(QString::fromStdString(path(name)));
  }

  // Loads the real C 1s spectrum into the document.
  void loadSpectrum() {
    ImportOptions o;
    o.file = dataDir() + "/xps/0-150W_NiWC1s_C1s.txt";
    importFile(doc, o);
    ASSERT_GE(doc.bufferCount(), 1);
  }

  static bool dark(QRgb p) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90 && qAlpha(p) > 200; }
  static bool white(QRgb p) { return qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) > 240; }

  TempSettings settings;
  ScriptedUi ui;
  Manager m{ui};
  XylaDocument doc{&m};
  fs::path dir;
};

TEST_F(DocumentExport, FrameAndTicksLandWhereTheGeometrySaysAt72And144Dpi) {
  doc.viewWidth = 400;
  doc.viewHeight = 300;
  doc.marginleft = 60, doc.marginright = 20, doc.margintop = 20, doc.marginbottom = 50;
  doc.framewidth = 2;
  doc.ticklength[0] = 10;
  doc.mticks[0] = false;
  doc.scale(1, 0, 10, 0, 10, false, false);
  for (int dpi : {72, 144}) {
    const double k = dpi / 72.0;
    const QImage img = exportPng("geometry" + std::to_string(dpi) + ".png", dpi);
    ASSERT_EQ(img.width(), std::lround(400 * k));
    ASSERT_EQ(img.height(), std::lround(300 * k));
    auto at = [&](double x, double y) { return img.pixel(int(x * k), int((300 - y) * k)); };
    EXPECT_TRUE(dark(at(60, 150))) << dpi;   // left frame edge
    EXPECT_TRUE(dark(at(220, 280))) << dpi;  // top frame edge
    EXPECT_TRUE(white(at(200, 150))) << dpi; // inside the plot area
    EXPECT_TRUE(white(at(60 + 32 * 3, 50 + 5))) << dpi;    // between ticks 2 and 4
    EXPECT_TRUE(dark(at(60 + 32 * 4, 50 + 6))) << dpi;    // tick at x = 4 reaches 10 up
    EXPECT_TRUE(white(at(60 + 32 * 4, 50 + 14))) << dpi;  // ...and no further
  }
}

TEST_F(DocumentExport, VectorFilesAreWellFormed) {
  loadSpectrum();
  doc.rescale(false, 0);
  std::string error;
  ASSERT_TRUE(savePDF(m, doc, path("c1s.pdf"), error)) << error;
  const std::string pdf = readFile(path("c1s.pdf"));
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
  ASSERT_TRUE(saveEPS(m, doc, path("c1s.eps"), error)) << error;
  const std::string eps = readFile(path("c1s.eps"));
  EXPECT_EQ(eps.rfind("%!PS-Adobe-3.0 EPSF-3.0", 0), 0u);
  EXPECT_NE(eps.find("%%BoundingBox: 0 0 640 480"), std::string::npos);
  ASSERT_TRUE(saveSVG(m, doc, path("c1s.svg"), error)) << error;
  EXPECT_NE(readFile(path("c1s.svg")).find("<svg"), std::string::npos);
  ASSERT_TRUE(saveJPG(m, doc, path("c1s.jpg"), 72, error)) << error;
  const QImage jpg(QString::fromStdString(path("c1s.jpg")));
  EXPECT_EQ(jpg.size(), QSize(640, 480));
}

TEST_F(DocumentExport, PrintModeIsSetOnlyWhileWriting) {
  int redraws = 0;
  bool printingSeen = false;
  m.onRedraw = [&](XylaDocument&) {
    ++redraws;
    printingSeen |= m.printmode;
  };
  m.pointerMode = "select";
  const QImage img = exportPng("print.png");
  EXPECT_FALSE(m.printmode);
  EXPECT_TRUE(printingSeen);
  EXPECT_EQ(redraws, 2);
  // The resize handles of the select mode are screen-only: the frame corner shows only the
  // frame colour, not a light-grey square beside it.
  const double left = doc.marginleft, top = doc.viewHeight - doc.margintop;
  EXPECT_TRUE(white(img.pixel(int(left) + 3, int(doc.viewHeight - top) + 3)) ||
              dark(img.pixel(int(left) + 3, int(doc.viewHeight - top) + 3)));
}

TEST_F(DocumentExport, ActionsBeepWithoutDocumentAndReportFailures) {
  m.setCurrentDocument(nullptr);
  savePNGAction(m);
  EXPECT_EQ(ui.beeps, 1);
  m.setCurrentDocument(&doc);
  ui.answerSave(path("no/such/dir/x"));
  savePDFAction(m);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Export Error");
  EXPECT_EQ(ui.panelTitles.back(), "Save document as PDF");
  ui.answerSave(path("named"));
  saveEPSAction(m);
  EXPECT_TRUE(fs::exists(path("named.eps")));  // the required extension is added
  std::string error;
  EXPECT_FALSE(saveDocumentImage(m, doc, path("x.tiff"), 72, error));
  EXPECT_NE(error.find("x.tiff"), std::string::npos);
  EXPECT_FALSE(savePNG(m, doc, path("bad.png"), 0, error));
  EXPECT_FALSE(fs::exists(path("bad.png")));
}

// Every style on the real spectrum, checked for a few pixels and kept for viewing when
// XYLA_GALLERY_DIR is set.
TEST_F(DocumentExport, StyleGalleryOfTheRealSpectrum) {
  loadSpectrum();
  DataBuffer& b = *doc.buffer(0);
  b.comment = "C 1s, 150 W";
  doc.plotlegend = true;
  doc.legendbg = true;
  doc.legendbgcolor = {0.95, 0.95, 0.95, 1};
  doc.grid[0] = doc.grid[1] = true;
  doc.gridcolor[0] = doc.gridcolor[1] = {0.85, 0.85, 0.85, 1};
  doc.gridfront[0] = doc.gridfront[1] = false;
  doc.axistext[0] = "Binding energy (eV)";
  doc.axistext[1] = "Intensity (counts)";
  doc.reverse[0] = true;
  doc.rescale(false, 0);
  const QImage lines = exportPng("gallery-lines.png", 144);
  EXPECT_FALSE(lines.isNull());

  b.plotsymbols = true;
  b.symbol = 1;
  b.symbolsize = 5;
  b.color = {0.1, 0.2, 0.7, 1};
  b.errorbary = 2;
  b.errorvaly = 2;
  b.errorcolor = {0.6, 0.6, 0.6, 1};
  exportPng("gallery-symbols.png", 144);

  b.plotsymbols = false;
  b.errorbary = 0;
  b.plotarea = true;
  b.fillcolor = {0.7, 0.8, 1.0, 1};
  doc.axismode[1] = 1;
  doc.smalllog[1] = false;
  doc.scale(1, doc.xmin1, doc.xmax1, 1000, 4000, false, false);
  exportPng("gallery-area-log.png", 144);

  doc.axismode[1] = 0;
  b.plotarea = false;
  b.plotlines = false;
  b.plotfhist = true;
  b.plothist = true;
  b.fillcolor = {1.0, 0.85, 0.6, 1};
  doc.framestyle = 2;
  doc.framearrows = true;
  doc.rescale(false, 0);
  const QImage hist = exportPng("gallery-histogram.png", 144);
  // Frame style 2 draws no top edge: the middle of the top margin line stays white.
  const int topY = int(doc.margintop * 2);
  EXPECT_TRUE(white(hist.pixel(hist.width() / 2, topY)));
}

// A PNG of `w` x `h` pixels: a red-to-blue gradient, bytes as a graphic keeps them.
std::vector<unsigned char> gradientPng(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(255 * (w - 1 - x) / (w - 1), 40, 255 * x / (w - 1)));
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return {bytes.begin(), bytes.end()};
}

// Texts in and around the frame, arrows of every head type pointing at the peak, shapes
// behind and in front, a picture and an inset sub-plot zoomed on the peak.
TEST_F(DocumentExport, TextsGraphicsPictureAndInset) {
  loadSpectrum();
  DataBuffer& b = *doc.buffer(0);
  doc.viewWidth = 640, doc.viewHeight = 480;
  doc.margintop = 50;  // room for the title
  doc.reverse[0] = true;
  doc.axistext[0] = "Binding energy (eV)";
  doc.rescale(false, 0);
  const auto peak = std::max_element(b.Y.begin(), b.Y.end()) - b.Y.begin();
  const double px = b.X[peak], py = b.Y[peak];

  auto addText = [&](const std::string& s, int code, int angle, double size) -> TextObject& {
    TextObject& t = doc.addText(std::make_unique<TextObject>());
    t.text = s;
    t.font = FontSpec{"Helvetica", size};
    t.autopos = code > 0;
    t.autoposloc = code;
    t.autoposangle = t.angle = angle;
    t.autoposoffset = 6;
    return t;
  };
  addText("C 1s, 150 W", 11, 0, 20);
  addText("Intensity (counts)", 20, 90, 16);
  addText("top left", 1, 0, 12);
  addText("bottom right", 9, 0, 12);
  TextObject& note = addText("main peak\nC-C / C-H", 0, 0, 12);
  note.posmode = 1;
  note.tbalign = 5;  // middle right at the data point
  note.color = {0.7, 0.1, 0.1, 1};
  note.drawsbackground = true;
  note.backgroundcolor = {1, 0.95, 0.8, 1};
  note.setPosition(px + 2.5, py * 0.9);

  auto addGraphic = [&](int type, double x1, double y1, double x2, double y2) -> Graphic& {
    Graphic& g = doc.addGraphic(std::make_unique<Graphic>());
    g.type = type;
    g.posmode = 1;
    g.x1 = x1, g.y1 = y1, g.x2 = x2, g.y2 = y2;
    return g;
  };
  for (int type = 0; type < 4; ++type) {
    Graphic& a = addGraphic(Graphic::Line, px + 2.4, py * (0.86 - 0.05 * type), px + 0.3, py * (0.97 - 0.04 * type));
    a.arrow2 = true;
    a.arrowtype = type;
    a.linewidth = 1.5;
    a.color = {0.7, 0.1, 0.1, 1};
  }
  Graphic& band = addGraphic(Graphic::Rectangle, px - 0.8, doc.ymin1, px + 0.8, doc.ymax1);
  band.display = 1;  // behind the spectrum
  band.fill = true;
  band.fillcolor = {0.85, 0.95, 0.85, 1};
  band.color = {0.3, 0.6, 0.3, 1};
  band.linewidth = 1;
  band.dashp = 2;
  Graphic& ring = addGraphic(Graphic::Ellipse, px - 1.2, py * 0.93, px + 1.2, py * 1.03);
  ring.color = {0.1, 0.3, 0.8, 1};
  ring.linewidth = 6;
  ring.dashp = 1;
  Graphic& picture = doc.addGraphic(std::make_unique<Graphic>());
  picture.type = Graphic::Rectangle;
  picture.setPoints(100, 320, 160, 360);
  picture.image = gradientPng(60, 40);

  auto inner = std::make_unique<XylaDocument>(&m);
  inner->marginleft = 45, inner->marginbottom = 30, inner->marginright = 8, inner->margintop = 8;
  inner->numfont.fill(FontSpec{"Helvetica", 9});
  inner->ticklength.fill(5);
  inner->framecolor = {0.1, 0.3, 0.8, 1};
  inner->reverse[0] = true;
  auto zoom = b.copyWithZone();
  zoom->rescale();
  zoom->color = {0.1, 0.3, 0.8, 1};
  inner->appendBuffer(std::move(zoom));
  inner->scale(1, px + 3, px - 3, py * 0.3, py * 1.05, false, false);
  XylaDocument& inset = doc.addSubplot(std::move(inner), 110, 170, 200, 130);
  TextObject& insetLabel = inset.addText(std::make_unique<TextObject>());
  insetLabel.text = "zoom";
  insetLabel.font = FontSpec{"Helvetica", 10};
  insetLabel.autopos = true;
  insetLabel.autoposloc = 3;
  insetLabel.autoposoffset = 4;

  const QImage img = exportPng("gallery-objects.png", 144);
  ASSERT_FALSE(img.isNull());
  // Pixel of a view point at 144 dpi (image rows run downwards).
  auto at = [&](double x, double y) { return img.pixel(int(x * 2), int((doc.viewHeight - y) * 2)); };
  const QRgb left = at(103, 340), right = at(157, 340);  // the gradient, left red, right blue
  EXPECT_GT(qRed(left), 200);
  EXPECT_LT(qBlue(left), 60);
  EXPECT_GT(qBlue(right), 200);
  // The inset frame is drawn in its colour at its place in the parent.
  const QRgb insetFrame = at(110 + 45, 170 + 60);
  EXPECT_GT(qBlue(insetFrame), 150);
  EXPECT_LT(qRed(insetFrame), 80);
  // The filled band shows behind the spectrum near the bottom of the plot.
  const QRgb bandFill = at(xPoint(doc, px + 0.4, 1), doc.marginbottom + 10);
  EXPECT_GT(qGreen(bandFill), qRed(bandFill) + 10);
  // The title above the frame left dark pixels there.
  int darkPixels = 0;
  for (double x = 250; x < 470; x += 0.5)
    for (double y = doc.viewHeight - doc.margintop + 8; y < doc.viewHeight - 2; y += 0.5) darkPixels += dark(at(x, y));
  EXPECT_GT(darkPixels, 50);
  // The vector formats carry the same objects (turned texts, the picture, the inset).
  std::string error;
  EXPECT_TRUE(savePDF(m, doc, path("gallery-objects.pdf"), error)) << error;
  EXPECT_TRUE(saveEPS(m, doc, path("gallery-objects.eps"), error)) << error;
  EXPECT_TRUE(saveSVG(m, doc, path("gallery-objects.svg"), error)) << error;
}

// Sixteen symbols over a time axis, exponent numbers on the left and a right axis with
// custom labels; every series colour must reach the picture.
TEST_F(DocumentExport, SymbolsTimeAxisAndExponentNumbers) {
  const double day = 86400;
  for (int s = 0; s < 16; ++s) {
    DataBuffer& b = doc.newBuffer();
    for (int i = 0; i < 12; ++i) b.addDoubleValue(i * 30 * day, (s + 1) * 1e5 + (i % 3) * 2e4);
    b.plotsymbols = true;
    b.symbol = s;
    b.symbolsize = 8;
    b.color = {s / 16.0, 0.3, 1 - s / 16.0, 1};
    b.fillcolor = {1, 0.8, 0.2, 1};
    b.symfill = s % 2 == 0;
    b.dash = s;
    b.comment = "symbol " + std::to_string(s);
  }
  doc.viewWidth = 900;
  doc.viewHeight = 700;
  doc.marginright = 170;
  doc.axismode[0] = 2;
  doc.expoff[1] = 3;
  doc.axis[3] = true;
  doc.alabel[3]["0.4"] = "forty";
  doc.plotlegend = true;
  doc.rescale(false, 0);
  doc.legendx = 900 - 150;
  doc.legendy = 700 - 30;
  doc.legendwidth = 40;
  const QImage img = exportPng("gallery-symbols-time.png", 100);
  int found = 0;
  for (int s = 0; s < 16; ++s) {
    const QColor want = QColor::fromRgbF(s / 16.0, 0.3, 1 - s / 16.0);
    bool seen = false;
    for (int y = 0; y < img.height() && !seen; y += 1)
      for (int x = 0; x < img.width() && !seen; x += 1) {
        const QColor c = img.pixelColor(x, y);
        seen = std::abs(c.red() - want.red()) < 3 && std::abs(c.green() - want.green()) < 3 &&
               std::abs(c.blue() - want.blue()) < 3;
      }
    found += seen;
  }
  EXPECT_EQ(found, 16);
  // The right axis shows range 2, untouched by the data: 0 .. 1 in steps of 0.2.
  EXPECT_EQ(doc.alabelindex[3], (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1"}));
}

}  // namespace
}  // namespace xyla::test
