// Reads fuzzed bytes as a Tabulix plot file into a document and draws it. The reader
// must keep every buffer's X and Y lists equally long, and the drawing pass must finish
// whatever styles, ranges, texts and graphics the file set.
//
// Input layout:
//   byte 0  bit 0: put "Tabulix.7\n" before the rest, so most inputs pass the first-line
//           check
//   then the file
#include <QGuiApplication>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "io/tabulix_import.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"
#include "render/recording_canvas.h"
#include "render/xyla_view.h"

namespace {

void checkBuffers(const xyla::XylaDocument& doc) {
  for (const auto& b : doc.DB) FUZZ_CHECK(b->X.size() == b->Y.size(), "a buffer has unequal X and Y lists");
  for (const auto& sub : doc.subplots) checkBuffers(*sub);
}

}  // namespace

// Texts look their fonts up in the platform's font list, which needs a Gui application,
// as the program always has one.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static xyla::fuzz::ScratchFile file;
  static xyla::SilentUi ui;
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) file.write({"Tabulix.7\n", rest});
  else file.write({rest});
  xyla::Manager m(ui);
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  if (!xyla::openTabulixFile(doc, file.path(), ui)) {
    FUZZ_CHECK(doc.DB.empty() && doc.T.empty() && doc.G.empty(), "a refused file changed the document");
    return 0;
  }
  checkBuffers(doc);
  xyla::XylaView view(&m, 640, 480);
  view.setXylaDocument(&doc);
  xyla::RecordingCanvas canvas;
  view.prepare(canvas);
  view.drawRect(canvas);
  return 0;
}
