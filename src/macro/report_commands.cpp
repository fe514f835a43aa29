// Filling the report window from macros; batch runs write it with repsave.
#include "io/report_entries.h"
#include "io/report_rtf.h"
#include "macro/command_families.h"
#include "macro/command_table.h"
#include "macro/macro.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

void repadd(Macro& m) {
  if (!m.M->report.add(m.S[0], m.D[1], m.getColor(m.D[2], m.D[3], m.D[4]), m.S[5])) m.M->ui().beep();
}

void qrepadd(Macro& m) {
  if (!m.M->report.add(m.deffont, m.deffontsize, m.getColor(m.defr, m.defg, m.defb), m.S[0])) m.M->ui().beep();
}

void reppaste(Macro& m) { pasteToReport(*m.M, m.S[0]); }

void repclear(Macro& m) { m.M->report.clear(); }

void repprint(Macro& m) {
  if (m.M->report.onPrint) m.M->report.onPrint();
}

void repsave(Macro& m) {
  std::string error;
  if (!saveReportFile(m.M->report.runs(), m.S[0], error)) m.M->ui().alert("Report Save Error", error, {"OK"});
}

void repopen(Macro& m) {
  std::string error;
  if (auto runs = loadReportFile(m.S[0], error))
    m.M->report.replace(std::move(*runs));
  else
    m.M->ui().alert("Report Open Error", error, {"OK"});
}

}  // namespace

void registerReportCommands(CommandTable& t) {
  const bool anyDocument = false;  // the report belongs to the program, not to a document
  t.add(G::Report, "repadd", "sdddds", 6, repadd,
        {"font size red green blue text", "Appends the text to the report in that font, size and colour."}, anyDocument);
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
