#include "macro/macro_controller.h"

#include "analysis/quantification.h"
#include "fit/fit_controller.h"
#include "macro/command_table.h"
#include "macro/style_writer.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

MacroController::MacroController(Manager& m)
    : m_(m), store_(m.ui()), calculator_(m), fit_(std::make_unique<fit::Fit>()), quant_(std::make_unique<xps::QuantSession>()) {
  m_.runMacrosNamed = [this](XylaDocument& doc, const std::string& name) { runMacrosNamed(doc, name); };
}

MacroController::~MacroController() { m_.runMacrosNamed = nullptr; }

void MacroController::load() {
  store_.load();
  calculator_.load();
}

void MacroController::appendConsole(const std::string& text) {
  console_ += text;
  if (onConsoleAppend) onConsoleAppend(text);
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

MacroController::FileRun MacroController::runMacroFile(const std::string& path, XylaDocument* doc) {
  FileRun run;
  Macro macro;
  if (!macro.loadFromFile(path)) return run;
  run.read = true;
  macro.parseMacroFor(m_, doc, this);
  run.stopLine = macro.stopLine;
  run.stopCommand = macro.stopCommand;
  return run;
}

void MacroController::ma_insertStyle(std::size_t position) {
  if (!m_.PD || !store_.selectedMacro()) return;
  store_.insertText(styleScript(*m_.PD), position);
}

}  // namespace xyla
