#include "macro/macro_controller.h"

#include <ostream>
#include <utility>

#include "analysis/quantification.h"
#include "fit/fit_controller.h"
#include "macro/command_table.h"
#include "macro/style_writer.h"
#include "model/document_host.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

// The documents of a controller that was given none: every request does nothing.
class NoDocuments : public DocumentHost {
 public:
  XylaDocument* newDocument() override { return nullptr; }
  XylaDocument* openDocument(const std::string&) override { return nullptr; }
  void closeDocument(XylaDocument&) override {}
  void quitApplication() override {}
};

}  // namespace

MacroController::MacroController(Manager& m, DocumentHost* documents)
    : report(&m.ui()),
      m_(m),
      documents_(documents),
      store_(m.ui()),
      calculator_(m),
      fit_(std::make_unique<fit::Fit>()),
      quant_(std::make_unique<xps::QuantSession>()) {
  static NoDocuments none;
  if (!documents_) documents_ = &none;
  m_.macroRunner = this;
}

MacroController::~MacroController() {
  if (m_.macroRunner == this) m_.macroRunner = nullptr;
}

void MacroController::load() {
  store_.load();
  calculator_.load();
}

void MacroController::appendConsole(const std::string& text) {
  console_ += text;
  if (echo_) *echo_ << text << std::flush;
  m_.ui().consoleOutput(text);
}

void MacroController::ma_execute() {
  if (Macro* m = store_.selectedMacro()) m->parseMacro(m_, this);
}

void MacroController::ma_executeByShortcut(int key) {
  // Indexes, not iterators: a macro may change the list while it runs.
  for (std::size_t i = 0; i < store_.MA.size(); ++i) {
    if (store_.MA[i]->shortcut == key) store_.MA[i]->parseMacro(m_, this);
  }
}

void MacroController::macroByMenu(int index) {
  if (index < 0 || index >= static_cast<int>(store_.MA.size())) return;
  store_.MA[index]->parseMacro(m_, this);
}

void MacroController::runMacrosNamed(XylaDocument& doc, const std::string& name) {
  for (std::size_t i = 0; i < store_.MA.size(); ++i) {
    if (equalsIgnoringCase(store_.MA[i]->name, name)) store_.MA[i]->parseMacroFor(m_, &doc, this);
  }
}

MacroController::FileRun MacroController::runMacroFile(const std::string& path, XylaDocument* doc, std::ostream* echo) {
  FileRun run;
  Macro macro;
  if (!macro.loadFromFile(path)) return run;
  run.read = true;
  std::ostream* const outer = std::exchange(echo_, echo);
  macro.parseMacroFor(m_, doc, this);
  echo_ = outer;
  run.stopLine = macro.stopLine;
  run.stopCommand = macro.stopCommand;
  return run;
}

void MacroController::ma_insertStyle(std::size_t position) {
  if (!m_.PD || !store_.selectedMacro()) return;
  store_.insertText(styleScript(*m_.PD), position);
}

}  // namespace xyla
