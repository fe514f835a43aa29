#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "macro/calculator.h"
#include "macro/macro_store.h"
#include "model/report.h"

namespace xyla {

class Manager;
class XylaDocument;
namespace fit {
class Fit;
}
namespace xps {
struct QuantSession;
}

// The macro side of the application controller: the stored macros, the macro console,
// the calculator, and the ways a macro starts (panel, shortcut, timer, command line).
// The window layer plugs in through the hooks.
class MacroController {
 public:
  explicit MacroController(Manager& m);
  ~MacroController();
  MacroController(const MacroController&) = delete;
  MacroController& operator=(const MacroController&) = delete;

  Manager& manager() { return m_; }
  MacroStore& store() { return store_; }
  Calculator& calculator() { return calculator_; }
  // The application's curve-fit controller (the fit commands and the fit panel).
  fit::Fit& fitController() { return *fit_; }
  // The lines and factors collected for quantification.
  xps::QuantSession& quantSession() { return *quant_; }

  // Reads the macro list and the calculator state from the user defaults.
  void load();

  // ---- the macro console ----

  const std::string& console() const { return console_; }
  void appendConsole(const std::string& text);
  // Empties the console.
  void ma_clr() { console_.clear(); }

  // ---- starting macros ----

  // Runs the selected macro on the current document.
  void ma_execute();
  // Runs, in list order, every macro whose shortcut is `key` (case counts).
  void ma_executeByShortcut(int key);
  // Runs the macro at `index` of the list (the "Macro" menu entry) on the current
  // document; an index outside the list does nothing.
  void macroByMenu(int index);
  // Runs every macro named `name` (ignoring case) on `doc`: the macro timer.
  void runMacrosNamed(XylaDocument& doc, const std::string& name);
  // How a macro file run ended.
  struct FileRun {
    bool read = false;        // false: the file could not be read and nothing ran
    int stopLine = 0;         // line of the command that stopped the run on an error, 0 for none
    std::string stopCommand;  // that command as typed
  };
  // Reads a macro file into a fresh record and runs it on `doc`.
  FileRun runMacroFile(const std::string& path, XylaDocument* doc);
  // Writes the current document's look as a macro into the selected macro at byte
  // `position`; nothing without a document or a selected macro.
  void ma_insertStyle(std::size_t position);

  // ---- hooks of the window layer ----

  // The report window's contents, filled by the report commands and the report panel.
  Report report;

  std::function<void(const std::string&)> onConsoleAppend;  // text added to the console
  std::function<XylaDocument*()> newDocument;               // "new": makes and answers one
  // "open": opens and shows the document file at the path, makes it current and answers
  // it; null when the file cannot be opened.
  std::function<XylaDocument*(const std::string&)> openDocument;
  std::function<void(XylaDocument&)> closeDocument;         // "close"
  std::function<void()> quitApplication;                    // "quitapp"
  std::function<void()> hideApplication;                    // "hideapp"
  std::function<void(XylaDocument&)> printDocument;         // "printdoc": prints with the panel
  // "input": shows the input panel with a message; the entered text, or nothing when
  // there is no panel (batch runs).
  std::function<std::optional<std::string>(const std::string&)> inputPanel;

 private:
  Manager& m_;
  MacroStore store_;
  Calculator calculator_;
  std::string console_;
  std::unique_ptr<fit::Fit> fit_;
  std::unique_ptr<xps::QuantSession> quant_;
};

}  // namespace xyla
