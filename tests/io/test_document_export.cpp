#include <gtest/gtest.h>

#include <QImage>
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
