#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "macro/calculator.h"
#include "macro/macro_store.h"
#include "model/document_services.h"
#include "model/report.h"

namespace xyla {

class DocumentHost;
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
// It runs the macros of the document timers for the controller (`Manager::macroRunner`).
class MacroController : public MacroRunner {
 public:
  // `documents` makes, opens and closes documents for the macros ("new", "open",
  // "close", ...); without one those commands do nothing.
  explicit MacroController(Manager& m, DocumentHost* documents = nullptr);
  ~MacroController() override;
  MacroController(const MacroController&) = delete;
  MacroController& operator=(const MacroController&) = delete;

  Manager& manager() { return m_; }
  DocumentHost& documents() { return *documents_; }
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
  void runMacrosNamed(XylaDocument& doc, const std::string& name) override;
  // How a macro file run ended.
  struct FileRun {
    bool read = false;        // false: the file could not be read and nothing ran
    int stopLine = 0;         // line of the command that stopped the run on an error, 0 for none
    std::string stopCommand;  // that command as typed
  };
  // Reads a macro file into a fresh record and runs it on `doc`. With `echo`, what the
  // macro prints is also written there as it is printed.
  FileRun runMacroFile(const std::string& path, XylaDocument* doc, std::ostream* echo = nullptr);
  // Writes the current document's look as a macro into the selected macro at byte
  // `position`; nothing without a document or a selected macro.
  void ma_insertStyle(std::size_t position);

  // The report window's contents, filled by the report commands and the report panel.
  Report report;

 private:
  Manager& m_;
  DocumentHost* documents_;
  std::ostream* echo_ = nullptr;
  MacroStore store_;
  Calculator calculator_;
  std::string console_;
  std::unique_ptr<fit::Fit> fit_;
  std::unique_ptr<xps::QuantSession> quant_;
};

}  // namespace xyla
