// Writes picture galleries of the drawing for a person to look at: the real C 1s
// spectrum in every series style, texts, graphic objects, a picture and an inset, and
// the sixteen symbols over a time axis.
//
//   build/bin/gallery [directory]        (default: the current directory)
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "io/ascii_import.h"
#include "io/document_export.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

using namespace xyla;

std::filesystem::path outDir;
int failures = 0;

void png(Manager& m, XylaDocument& doc, const std::string& name, int dpi) {
  std::string error;
  const std::string path = (outDir / name).string();
  if (!savePNG(m, doc, path, dpi, error)) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    ++failures;
    return;
  }
  std::printf("%s\n", path.c_str());
}

// A document of its own with a manager that talks to nobody.
struct Scene {
  Scene() : m(ui), doc(&m) { m.setCurrentDocument(&doc); }
  SilentUi ui;
  Manager m;
  XylaDocument doc;
};

// Loads the measured C 1s spectrum; false when it could not be read.
bool loadSpectrum(XylaDocument& doc) {
  ImportOptions o;
  o.file = XYLA_DEMO_SPECTRUM;
  importFile(doc, o);
  return doc.bufferCount() > 0;
}

void styles() {
  Scene s;
  Manager& m = s.m;
  XylaDocument& doc = s.doc;
  if (!loadSpectrum(doc)) return;
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
  png(m, doc, "gallery-lines.png", 144);

  b.plotsymbols = true;
  b.symbol = 1;
  b.symbolsize = 5;
  b.color = {0.1, 0.2, 0.7, 1};
  b.errorbary = 2;
  b.errorvaly = 2;
  b.errorcolor = {0.6, 0.6, 0.6, 1};
  png(m, doc, "gallery-symbols.png", 144);

  b.plotsymbols = false;
  b.errorbary = 0;
  b.plotarea = true;
  b.fillcolor = {0.7, 0.8, 1.0, 1};
  doc.axismode[1] = 1;
  doc.smalllog[1] = false;
  doc.scale(1, doc.xmin1, doc.xmax1, 1000, 4000, false, false);
  png(m, doc, "gallery-area-log.png", 144);

  doc.axismode[1] = 0;
  b.plotarea = false;
  b.plotlines = false;
  b.plotfhist = true;
  b.plothist = true;
  b.fillcolor = {1.0, 0.85, 0.6, 1};
  doc.framestyle = 2;
  doc.framearrows = true;
  doc.rescale(false, 0);
  png(m, doc, "gallery-histogram.png", 144);
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

TextObject& addText(XylaDocument& doc, const std::string& s, int code, int angle, double size) {
  TextObject& t = doc.addText(std::make_unique<TextObject>());
  t.text = s;
  t.font = FontSpec{"Helvetica", size};
  t.autopos = code > 0;
  t.autoposloc = code;
  t.autoposangle = t.angle = angle;
  t.autoposoffset = 6;
  return t;
}

Graphic& addGraphic(XylaDocument& doc, int type, double x1, double y1, double x2, double y2) {
  Graphic& g = doc.addGraphic(std::make_unique<Graphic>());
  g.type = type;
  g.posmode = 1;
  g.x1 = x1, g.y1 = y1, g.x2 = x2, g.y2 = y2;
  return g;
}

// Texts in and around the frame, arrows of every head type pointing at the peak, shapes
// behind and in front, a picture and an inset sub-plot zoomed on the peak.
void objects() {
  Scene s;
  Manager& m = s.m;
  XylaDocument& doc = s.doc;
  if (!loadSpectrum(doc)) return;
  DataBuffer& b = *doc.buffer(0);
  doc.margintop = 50;  // room for the title
  doc.reverse[0] = true;
  doc.axistext[0] = "Binding energy (eV)";
  doc.rescale(false, 0);
  const auto peak = std::max_element(b.Y.begin(), b.Y.end()) - b.Y.begin();
  const double px = b.X[peak], py = b.Y[peak];

  addText(doc, "C 1s, 150 W", 11, 0, 20);
  addText(doc, "Intensity (counts)", 20, 90, 16);
  addText(doc, "top left", 1, 0, 12);
  addText(doc, "bottom right", 9, 0, 12);
  TextObject& note = addText(doc, "main peak\nC-C / C-H", 0, 0, 12);
  note.posmode = 1;
  note.tbalign = 5;  // middle right at the data point
  note.color = {0.7, 0.1, 0.1, 1};
  note.drawsbackground = true;
  note.backgroundcolor = {1, 0.95, 0.8, 1};
  note.setPosition(px + 2.5, py * 0.9);

  for (int type = 0; type < 4; ++type) {
    Graphic& a =
        addGraphic(doc, Graphic::Line, px + 2.4, py * (0.86 - 0.05 * type), px + 0.3, py * (0.97 - 0.04 * type));
    a.arrow2 = true;
    a.arrowtype = type;
    a.linewidth = 1.5;
    a.color = {0.7, 0.1, 0.1, 1};
  }
  Graphic& band = addGraphic(doc, Graphic::Rectangle, px - 0.8, doc.ymin1, px + 0.8, doc.ymax1);
  band.display = 1;  // behind the spectrum
  band.fill = true;
  band.fillcolor = {0.85, 0.95, 0.85, 1};
  band.color = {0.3, 0.6, 0.3, 1};
  band.linewidth = 1;
  band.dashp = 2;
  Graphic& ring = addGraphic(doc, Graphic::Ellipse, px - 1.2, py * 0.93, px + 1.2, py * 1.03);
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

  png(m, doc, "gallery-objects.png", 144);
  std::string error;
  for (const char* ext : {"pdf", "eps", "svg"}) {
    const std::string path = (outDir / ("gallery-objects." + std::string(ext))).string();
    const bool ok = ext[0] == 'p'   ? savePDF(m, doc, path, error)
                    : ext[0] == 'e' ? saveEPS(m, doc, path, error)
                                    : saveSVG(m, doc, path, error);
    if (ok)
      std::printf("%s\n", path.c_str());
    else
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str()), ++failures;
  }
}

// Sixteen symbols over a time axis, exponent numbers on the left and a right axis with
// custom labels.
void symbolsOverTime() {
  Scene scene;
  Manager& m = scene.m;
  XylaDocument& doc = scene.doc;
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
  png(m, doc, "gallery-symbols-time.png", 100);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  outDir = argc > 1 ? argv[1] : ".";
  std::filesystem::create_directories(outDir);
  styles();
  objects();
  symbolsOverTime();
  return failures == 0 ? 0 : 1;
}
