// Draws documents built from arbitrary bytes: ranges (also equal, reversed, non-finite,
// non-positive on log axes), axis modes, the user tick strings, styles, sizes, buffer
// values, text objects (places, alignments, angles, data positions), graphic objects
// (points, heads, dashes, picture bytes) and a sub-plot. The pass must finish without crashing, hanging or producing non-finite
// coordinates.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "render/recording_canvas.h"
#include "render/xyla_view.h"
#include "model/silent_ui.h"

namespace {

// Consumes the input front to back; runs dry into zeros.
class Bytes {
 public:
  Bytes(const std::uint8_t* d, std::size_t n) : d_(d), n_(n) {}
  std::uint8_t byte() { return i_ < n_ ? d_[i_++] : 0; }
  double number() {
    switch (byte() % 8) {
      case 0: return std::nan("");
      case 1: return std::numeric_limits<double>::infinity() * (byte() % 2 ? 1 : -1);
      case 2: {
        double v = 0;
        for (int k = 0; k < 8; ++k) reinterpret_cast<std::uint8_t*>(&v)[k] = byte();
        return v;
      }
      default: return (static_cast<int>(byte()) - 100) * std::pow(10.0, static_cast<int>(byte() % 13) - 6);
    }
  }
  std::string text() {
    const std::size_t len = byte() % 12;
    std::string s;
    for (std::size_t k = 0; k < len; ++k) s += static_cast<char>("0123456789.:-wmyeE ,abc\\n%Y"[byte() % 27]);
    return s;
  }

 private:
  const std::uint8_t* d_;
  std::size_t n_, i_ = 0;
};

void fillDocument(xyla::XylaDocument& doc, Bytes& in) {
  doc.xmin1 = in.number(), doc.xmax1 = in.number(), doc.ymin1 = in.number(), doc.ymax1 = in.number();
  doc.xmin2 = in.number(), doc.xmax2 = in.number(), doc.ymin2 = in.number(), doc.ymax2 = in.number();
  doc.framestyle = in.byte() % 3;
  doc.arrowtype = in.byte() % 3;
  doc.framearrows = in.byte() % 2;
  doc.plotlegend = in.byte() % 2;
  doc.legendbg = in.byte() % 2;
  doc.alldraw = in.byte() % 4 == 0;
  for (int k = 0; k < 4; ++k) {
    doc.axis[k] = in.byte() % 4 != 0;
    doc.axismode[k] = in.byte() % 3;
    doc.reverse[k] = in.byte() % 2;
    doc.smalllog[k] = in.byte() % 2;
    doc.grid[k] = doc.mgrid[k] = in.byte() % 2;
    doc.scalstart[k] = in.text();
    doc.scalend[k] = in.text();
    doc.scalspace[k] = in.text();
    doc.scalminticks[k] = in.text();
    doc.trigger[k] = in.text();
    doc.axistimeformat[k] = in.text();
    doc.expoff[k] = static_cast<int>(in.byte()) - 128;
    doc.dp[k] = static_cast<int>(in.byte()) - 2;
    doc.angle[k] = in.number();
    doc.numfont[k].size = in.number();
  }
  const int buffers = in.byte() % 4;
  for (int k = 0; k < buffers; ++k) {
    xyla::DataBuffer& b = doc.newBuffer();
    b.belongx = 1 + in.byte() % 2;
    b.belongy = 1 + in.byte() % 2;
    const std::uint8_t flags = in.byte();
    b.plotsymbols = flags & 1, b.plotybars = flags & 2, b.plotfhist = flags & 4, b.plotarea = flags & 8;
    b.plothist = flags & 16, b.plotysticks = flags & 32, b.plotdots = flags & 64, b.stickabs = flags & 128;
    b.symbol = in.byte() % 20;
    b.dash = in.byte() % 17;
    b.dashwidth = in.number();
    b.linewidth = in.number();
    b.symbolsize = in.number();
    b.sticksize = in.number();
    b.errorbary = in.byte() % 4;
    b.errorvaly = in.number();
    if (in.byte() % 2) b.dynsize = in.text();
    const int n = in.byte() % 40;
    for (int i = 0; i < n; ++i) b.addDoubleValueError(in.number(), in.number(), in.number(), in.number());
  }
}

// A sub-plot has no sub-plots of its own.
void fillObjects(xyla::XylaDocument& doc, Bytes& in) {
  const int texts = in.byte() % 4;
  for (int k = 0; k < texts; ++k) {
    xyla::TextObject& t = doc.addText(std::make_unique<xyla::TextObject>());
    t.text = in.text();
    t.font.size = in.number();
    t.autopos = in.byte() % 2;
    t.autoposloc = static_cast<int>(in.byte()) - 2;
    t.autoposangle = 90 * (in.byte() % 5);
    t.autoposoffset = in.number();
    t.angle = in.number();
    t.tbalign = static_cast<int>(in.byte() % 11) - 1;
    t.drawsbackground = in.byte() % 2;
    t.posmode = in.byte() % 4;
    t.setPosition(in.number(), in.number());
  }
  const int graphics = in.byte() % 4;
  for (int k = 0; k < graphics; ++k) {
    xyla::Graphic& g = doc.addGraphic(std::make_unique<xyla::Graphic>());
    g.type = in.byte() % 4;
    g.posmode = in.byte() % 3;
    g.x1 = in.number(), g.y1 = in.number(), g.x2 = in.number(), g.y2 = in.number();
    g.linewidth = in.number();
    g.arrowsize = in.number();
    g.arrowtype = static_cast<int>(in.byte() % 7) - 1;
    g.dashp = static_cast<int>(in.byte() % 18) - 1;
    g.display = in.byte() % 3;
    g.arrow1 = in.byte() % 2, g.arrow2 = in.byte() % 2, g.fill = in.byte() % 2;
    // Picture bytes: a PNG signature followed by input bytes, so the decoder gets past
    // the signature check.
    const int len = in.byte() % 64;
    if (len > 0) g.image = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (int i = 0; i < len; ++i) g.image.push_back(in.byte());
  }
  if (!doc.subview && in.byte() % 4 == 0) {
    auto sub = std::make_unique<xyla::XylaDocument>(doc.M);
    const double x = in.number(), y = in.number(), w = in.number(), h = in.number();
    xyla::XylaDocument& s = doc.addSubplot(std::move(sub), x, y, w, h);
    s.xmin1 = in.number(), s.xmax1 = in.number();
    fillObjects(s, in);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static xyla::SilentUi ui;
  xyla::Manager m(ui);
  xyla::XylaDocument doc(&m);
  Bytes in(data, size);
  fillDocument(doc, in);
  fillObjects(doc, in);
  m.setCurrentDocument(&doc);
  xyla::XylaView view(&m, 50 + in.byte() * 4, 50 + in.byte() * 3);
  view.setXylaDocument(&doc);
  xyla::RecordingCanvas canvas;
  view.prepare(canvas);
  view.drawRect(canvas);
  for (const auto& op : canvas.ops)
    for (const auto& e : op.path.elements())
      if (!std::isfinite(e.x) || !std::isfinite(e.y)) {
        xyla::RecordingCanvas one;
        one.ops.push_back(op);
        xyla::fuzz::fail(__FILE__, __LINE__, "non-finite path coordinate: " + one.dump());
      }
  return 0;
}
