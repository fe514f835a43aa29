// Pointer, wheel, key and context-menu events on a plot view, as bytes choose them: a
// pointer mode and range choice, presses, drags and releases anywhere (also far outside
// the view and at non-finite places), wheel storms, keys with and without a current
// object, text edits, undo and redo. After each event the ranges stay finite; a drawing
// pass now and then must finish; at the end, undoing every step gives back the buffers'
// points and the lists of texts and graphics as they were.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/text_object.h"
#include "model/xyla_document.h"
#include "render/interaction_edits.h"
#include "render/recording_canvas.h"
#include "render/view_interaction.h"
#include "render/xyla_view.h"

namespace {

const char* const kModes[] = {"zoom",   "upscale", "downscale", "range",     "measure", "select", "text",
                              "graphic", "legend", "movex",     "movey",     "movexy",  "movepoint", "normx",
                              "normy",   "bgsub",   "shirbg",    "subview",   "chsubview"};

class Bytes {
 public:
  Bytes(const uint8_t* d, size_t n) : d_(d), n_(n) {}
  bool more() const { return i_ < n_; }
  uint8_t byte() { return i_ < n_ ? d_[i_++] : 0; }
  // A coordinate: mostly inside the 400 x 300 view, sometimes far out or not finite.
  double place(double size) {
    const uint8_t b = byte();
    if (b == 255) return std::numeric_limits<double>::quiet_NaN();
    if (b == 254) return 1e300;
    if (b == 253) return -1e18;
    return b * size / 250.0;
  }

 private:
  const uint8_t* d_;
  size_t n_;
  size_t i_ = 0;
};

bool finiteRanges(const xyla::XylaDocument& d) {
  for (double v : {d.xmin1, d.xmax1, d.ymin1, d.ymax1, d.xmin2, d.xmax2, d.ymin2, d.ymax2})
    if (!std::isfinite(v)) return false;
  return true;
}

// Finishes each in-place edit at once, with a label or empty as the input says.
class InPlaceEditor : public xyla::InteractionHost {
 public:
  InPlaceEditor(xyla::XylaDocument& doc, Bytes& in) : doc_(doc), in_(in) {}
  void editText(xyla::TextObject& edited) override {
    const bool created = edited.text.empty();
    xyla::interaction::finishTextEdit(doc_, &edited, in_.byte() % 2 ? "label" : "", created);
  }

 private:
  xyla::XylaDocument& doc_;
  Bytes& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace xyla;
  SilentUi ui;
  Manager m(ui);
  XylaDocument doc(&m);
  XylaView view(&m, 400, 300);
  view.setXylaDocument(&doc);
  m.setCurrentDocument(&doc);
  for (int k = 0; k < 2; ++k) {
    DataBuffer& b = doc.newBuffer();
    for (int i = 0; i < 20; ++i) b.addDoubleValue(i * 0.5, std::sin(i + k));
    if (k == 1) b.belongx = b.belongy = 2;
  }
  auto t = std::make_unique<TextObject>(&doc);
  t->text = "peak";
  t->tloc = {100, 200};
  t->setFrameSize(40, 20);
  doc.addText(std::move(t));
  doc.rescale(false, 0);
  doc.undoStack.clear();
  const std::size_t texts = doc.T.size(), graphics = doc.G.size();
  const int points0 = doc.buffer(0)->count(), points1 = doc.buffer(1)->count();

  Bytes in(data, size);
  InPlaceEditor editor(doc, in);
  ViewInteraction act(view, &editor);
  RecordingCanvas canvas;
  view.prepare(canvas);
  view.drawRect(canvas);
  int events = 0;
  while (in.more() && ++events < 400) {
    const uint8_t op = in.byte();
    const PointerModifiers mods{(op & 16) != 0, (op & 32) != 0, (op & 64) != 0};
    switch (op % 10) {
      case 0:
        m.pointerMode = kModes[in.byte() % (sizeof kModes / sizeof *kModes)];
        m.axis12 = in.byte() % 3;
        break;
      case 1:
      case 2: {
        act.mouseDown({in.place(400), in.place(300)}, mods, 1 + in.byte() % 2);
        for (int k = in.byte() % 4; k > 0; --k) act.mouseDragged({in.place(400), in.place(300)});
        act.prepareOverlay();
        act.mouseUp({in.place(400), in.place(300)});
        break;
      }
      case 3: {
        const double d = (static_cast<int>(in.byte()) - 128) / 8.0;
        for (int k = in.byte() % 50; k >= 0; --k) act.scrollWheel(d, mods);
        break;
      }
      case 4: {
        const ViewKey keys[] = {ViewKey::Other, ViewKey::Delete, ViewKey::Left, ViewKey::Right, ViewKey::Up, ViewKey::Down};
        act.keyDown(in.byte() % 128, keys[in.byte() % 6], mods);
        break;
      }
      case 5: act.contextMenu(in.byte() % 4); break;
      case 6:
        if (doc.undoStack.canUndo()) doc.undoStack.undo();
        break;
      case 7:
        if (doc.undoStack.canRedo()) doc.undoStack.redo();
        break;
      case 8:
        if (!doc.DB.empty()) m.tableSelection.insert(in.byte() % 25);
        m.select(in.byte() % 3);
        break;
      default:
        canvas = RecordingCanvas();
        view.prepare(canvas);
        view.drawRect(canvas);
        break;
    }
    FUZZ_CHECK(finiteRanges(doc), "a range became non-finite");
    FUZZ_CHECK(!act.dragging(), "a drag outlived its release");
  }
  while (doc.undoStack.canUndo()) doc.undoStack.undo();
  FUZZ_CHECK(doc.T.size() == texts, "undoing everything did not restore the texts");
  FUZZ_CHECK(doc.G.size() == graphics, "undoing everything did not restore the graphics");
  FUZZ_CHECK(doc.buffer(0)->count() == points0 && doc.buffer(1)->count() == points1,
             "undoing everything did not restore the points");
  return 0;
}
