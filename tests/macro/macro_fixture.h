#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
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

  ScriptedDocuments documents;
  MacroController mc{m, &documents};
  Macro macro;
};

}  // namespace xyla::test
