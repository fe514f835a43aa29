// Pictures, ASCII import and export, the console and the colour mode.
#include "io/ascii_export.h"
#include "io/ascii_import.h"
#include "io/document_export.h"
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

void colormode(Macro& m) {
  if (m.I[0] == 0 || m.I[0] == 1) m.colormode = m.I[0];
}

void reportExport(Macro& m, bool ok, const std::string& error) {
  if (!ok) m.M->ui().alert("Export Error", error, {"OK"});
}

int resolutionArg(const Macro& m) { return m.O[1] ? m.I[1] : 72; }

void savepng(Macro& m) {
  std::string error;
  reportExport(m, savePNG(*m.M, *m.PD, m.S[0], resolutionArg(m), error), error);
}
void savejpg(Macro& m) {
  std::string error;
  reportExport(m, saveJPG(*m.M, *m.PD, m.S[0], resolutionArg(m), error), error);
}
void savepdf(Macro& m) {
  std::string error;
  reportExport(m, savePDF(*m.M, *m.PD, m.S[0], error), error);
}
void saveeps(Macro& m) {
  std::string error;
  reportExport(m, saveEPS(*m.M, *m.PD, m.S[0], error), error);
}

// The new document becomes the controller's current document and the macro's target.
void newDocument(Macro& m) {
  if (!m.MC || !m.MC->newDocument) return;
  if (XylaDocument* doc = m.MC->newDocument()) m.PD = doc;
}

void import(Macro& m) {
  if (m.I[1] != 0 && m.I[1] != 1) return;
  ImportOptions o;
  o.file = m.S[0];
  o.mode = m.I[1];
  o.comment = stringArg(m, 5);
  o.separator = stringArg(m, 2);
  o.xcolumn = m.O[3] ? m.I[3] : 0;
  o.noxcolumn = m.I[4] != 0;
  o.ignore = stringArg(m, 6);
  o.commentmark = stringArg(m, 7);
  o.numberlines = false;
  importFile(*m.PD, o);
}

void clr(Macro& m) {
  if (m.MC) m.MC->ma_clr();
}

void exportCommand(Macro& m) {
  if (m.I[1] < 0 || m.I[1] > 3) return;
  forEachBuffer(m, [&](DataBuffer& b) { exportASCII(b, m.S[0], m.I[1]); });
}

}  // namespace

void registerFileCommands(CommandTable& t) {
  t.add(G::Files, "colormode", "i", 1, colormode);
  t.add(G::Files, "savepng", "si", 1, savepng);
  t.add(G::Files, "savejpg", "si", 1, savejpg);
  t.add(G::Files, "savepdf", "s", 1, savepdf);
  t.add(G::Files, "saveeps", "s", 1, saveeps);
  t.add(G::Files, "new", "", 0, newDocument, false);
  t.add(G::Files, "import", "sisiisss", 2, import);
  t.add(G::Files, "clr", "", 0, clr);
  t.add(G::Files, "export", "sib", 3, exportCommand);
}

}  // namespace xyla
