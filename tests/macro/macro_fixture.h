#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "render/recording_canvas.h"
#include "render/xyla_view.h"
#include "support/document_fixture.h"

namespace xyla::test {

// A controller with one current document, a macro controller and one macro to run.
class MacroFixture : public DocumentFixture {
 protected:
  // Runs `text` as a macro on the document; answers the console text it printed.
  std::string run(const std::string& text) {
    const std::size_t before = mc.console().size();
    macro.src = text;
    macro.parseMacroFor(m, m.PD, &mc);
    return mc.console().substr(std::min(before, mc.console().size()));
  }

  // Answers the messages of every alert titled "Syntax Error in Macro".
  std::vector<std::string> syntaxErrors() const {
    std::vector<std::string> out;
    for (const auto& a : ui.alerts) {
      if (a.title == "Syntax Error in Macro") out.push_back(a.message);
    }
    return out;
  }

  // Draws the document, sub-plots included, onto a canvas that records every operation.
  RecordingCanvas drawn() {
    RecordingCanvas canvas;
    XylaView view(&m, doc.viewWidth, doc.viewHeight);
    view.setXylaDocument(&doc);
    view.prepare(canvas);
    view.drawRect(canvas);
    return canvas;
  }
  // Answers the texts of the drawing operations on `canvas`, in order.
  static std::vector<std::string> textsOf(const RecordingCanvas& canvas) {
    std::vector<std::string> out;
    for (const auto& op : canvas.ops)
      if (op.kind == "text") out.push_back(op.text);
    return out;
  }

  ScriptedDocuments documents;
  MacroController mc{m, &documents};
  Macro macro;
};

}  // namespace xyla::test
