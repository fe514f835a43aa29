#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

// A scripted Ui that also notes, at each redraw request, whether the controller was
// drawing for output.
class PrintModeUi : public ScriptedUi {
 public:
  void redraw(XylaDocument& d) override {
    ScriptedUi::redraw(d);
    printModes.push_back(m && m->printmode);
  }
  const Manager* m = nullptr;
  std::vector<bool> printModes;
};

// Exports documents into a fresh directory. With XYLA_GALLERY_DIR set, the pictures are
// kept there for a person to look at.
class DocumentExport : public ::testing::Test {
 protected:
  DocumentExport() {
    const char* keep = std::getenv("XYLA_GALLERY_DIR");
    dir = keep ? fs::path(keep) : fs::temp_directory_path() / ("xyla-export-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    m.setCurrentDocument(&doc);
    ui.m = &m;
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
  PrintModeUi ui;
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

// EPS draws what PNG and PDF draw: text that is no UTF-8 and degenerate transforms (a
// huge axis-number angle, a range too small to scale) cost the one item, not the file.
TEST_F(DocumentExport, EpsWritesWhatTheOtherFormatsDraw) {
  loadSpectrum();
  const struct {
    const char* what;
    std::function<void(XylaDocument&)> change;
  } cases[] = {
      {"Latin-1 axis title", [](XylaDocument& d) { d.axistext[0] = "Intensit\xe9"; }},
      {"huge number angle", [](XylaDocument& d) { d.angle[0] = 1e308; }},
      {"denormal range", [](XylaDocument& d) { d.xmin1 = 0, d.xmax1 = 1e-320; }},
  };
  for (const auto& c : cases) {
    XylaDocument d(&m);
    d.appendBuffer(doc.buffer(0)->copyWithZone());
    d.rescale(false, 0);
    c.change(d);
    std::string error;
    EXPECT_TRUE(saveEPS(m, d, path("odd.eps"), error)) << c.what << ": " << error;
    EXPECT_TRUE(savePDF(m, d, path("odd.pdf"), error)) << c.what << ": " << error;
  }
}

TEST_F(DocumentExport, PrintModeIsSetOnlyWhileWriting) {
  m.pointerMode = "select";
  const QImage img = exportPng("print.png");
  EXPECT_FALSE(m.printmode);
  // The window redraws without its decorations while the file is written, then with them.
  EXPECT_EQ(ui.printModes, (std::vector<bool>{true, false}));
  EXPECT_EQ(ui.redraws, (std::vector<const XylaDocument*>{&doc, &doc}));
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

}  // namespace
}  // namespace xyla::test
