// Filling the report window from macros; batch runs write it with repsave.
#include "io/report_entries.h"
#include "io/report_rtf.h"
#include "macro/command_families.h"
#include "macro/command_table.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

// The report of the program; without a macro controller (never in a real run) the
// commands beep.
Report* reportOf(Macro& m) {
  if (!m.MC) m.M->ui().beep();
  return m.MC ? &m.MC->report : nullptr;
}

void repadd(Macro& m) {
  Report* r = reportOf(m);
  if (r && !r->add(m.S[0], m.D[1], m.getColor(m.D[2], m.D[3], m.D[4]), m.S[5])) m.M->ui().beep();
}

void qrepadd(Macro& m) {
  Report* r = reportOf(m);
  if (r && !r->add(m.deffont, m.deffontsize, m.getColor(m.defr, m.defg, m.defb), m.S[0])) m.M->ui().beep();
}

void reppaste(Macro& m) {
  if (Report* r = reportOf(m)) pasteToReport(*m.M, *r, m.S[0]);
}

void repclear(Macro& m) {
  if (Report* r = reportOf(m)) r->clear();
}

void repprint(Macro& m) {
  if (reportOf(m)) m.M->ui().printReport();
}

// A report file that cannot be written or read is an error of the macro: the run stops.
void repsave(Macro& m) {
  Report* r = reportOf(m);
  std::string error;
  if (r && !saveReportFile(r->runs(), m.S[0], error)) {
    m.M->ui().alert("Report Save Error", error, {"OK"});
    ++m.ERR;
  }
}

void repopen(Macro& m) {
  Report* r = reportOf(m);
  if (!r) return;
  std::string error;
  if (auto runs = loadReportFile(m.S[0], error)) {
    r->replace(std::move(*runs));
  } else {
    m.M->ui().alert("Report Open Error", error, {"OK"});
    ++m.ERR;
  }
}

}  // namespace

void registerReportCommands(CommandTable& t) {
  const bool anyDocument = false;  // the report belongs to the program, not to a document
  t.add(G::Report, "repadd", "sdddds", 6, repadd,
        {"font size red green blue text", "Appends the text to the report in that font, size and colour."},
        anyDocument);
  t.add(G::Report, "qrepadd", "s", 1, qrepadd,
        {"text", "Appends the text to the report in the default font and colour."}, anyDocument);
  t.add(G::Report, "reppaste", "s", 1, reppaste,
        {"entry", "Appends a generated entry to the report: Date, Name, Spline, Figure, Buffer or Fit."}, anyDocument);
  t.add(G::Report, "repclear", "", 0, repclear, {"", "Empties the report."}, anyDocument);
  t.add(G::Report, "repprint", "", 0, repprint, {"", "Prints the report (nothing in batch runs)."}, anyDocument);
  t.add(G::Report, "repsave", "s", 1, repsave, {"file", "Writes the report as an RTF file."}, anyDocument);
  t.add(G::Report, "repopen", "s", 1, repopen, {"file", "Replaces the report with a saved RTF file."}, anyDocument);
}

}  // namespace xyla
