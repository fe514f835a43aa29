// Pictures, ASCII, MySQL, binary and VAMAS import, ASCII export, the console and the
// colour mode.
#include <filesystem>
#include <optional>

#include "io/ascii_export.h"
#include "io/ascii_import.h"
#include "io/binary_import.h"
#include "io/mysql_import.h"
#include "io/vamas_import.h"
#include "io/document_export.h"
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"
#include "model/document_file.h"
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

// Batch runs have no printer: there the command does nothing.
void printdoc(Macro& m) {
  if (m.MC && m.MC->printDocument) m.MC->printDocument(*m.PD);
}

// The new document becomes the controller's current document and the macro's target.
void newDocument(Macro& m) {
  if (!m.MC || !m.MC->newDocument) return;
  if (XylaDocument* doc = m.MC->newDocument()) m.PD = doc;
}

// The opened document becomes the target; when it cannot be opened the macro is left
// without one, so the next command is unknown and the run stops.
void openCommand(Macro& m) {
  m.PD = m.MC && m.MC->openDocument ? m.MC->openDocument(m.S[0]) : nullptr;
}

// Asks for the file to write, starting with `preset`; on an answer the document takes
// that name and is written there.
void saveThroughPanel(Macro& m, const std::string& title, const std::string& preset) {
  const std::filesystem::path p(preset);
  const std::optional<std::string> name = m.M->ui().savePanel(title, p.parent_path().string(), preset);
  if (!name || name->empty()) return;
  m.PD->fileName = *name;
  saveDocumentFile(*m.PD, *name, m.M->ui());
}

// A document with a file is written there; an untitled one asks for a name first.
void save(Macro& m) {
  if (m.PD->fileName.empty()) {
    saveThroughPanel(m, "Save", "");
  } else {
    saveDocumentFile(*m.PD, m.PD->fileName, m.M->ui());
  }
}

void saveas(Macro& m) {
  m.PD->fileName = m.S[0];
  saveThroughPanel(m, "Save As", m.S[0]);
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

void mysqlimport(Macro& m) {
  const MySQLSource q{m.S[0], m.S[1], m.S[2], m.S[3], portValue(m.S[4]), m.S[5]};
  importMySQL(*m.PD, q, false, false, m.M->ui());
}

void binaryimport(Macro& m) {
  if (m.I[1] < 0 || m.I[1] > 3 || (m.I[2] != 0 && m.I[2] != 1) || (m.I[3] != 0 && m.I[3] != 1) || m.I[4] <= 0)
    return;
  BinaryImportOptions o;
  o.file = m.S[0];
  o.type = m.I[1];
  o.layout = m.I[2];
  o.swap = m.I[3] != 0;
  o.columns = m.I[4];
  o.comment = stringArg(m, 5);
  binaryImport(*m.PD, o, m.M->ui());
}

// Our own: a VAMAS file, counts divided by dwell time and scans when argument 1 is on.
void vamasimport(Macro& m) { vamasImport(*m.PD, m.S[0], m.O[1] && m.I[1] != 0, m.M->ui()); }

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
  t.add(G::Files, "printdoc", "", 0, printdoc);
  t.add(G::Files, "new", "", 0, newDocument, false);
  t.add(G::Files, "open", "s", 1, openCommand, false);
  t.add(G::Files, "save", "", 0, save);
  t.add(G::Files, "saveas", "s", 1, saveas);
  t.add(G::Files, "import", "sisiisss", 2, import);
  t.add(G::Files, "mysqlimport", "ssssss", 6, mysqlimport);
  t.add(G::Files, "binaryimport", "siiiis", 5, binaryimport);
  t.add(G::Files, "vamasimport", "si", 1, vamasimport);
  t.add(G::Files, "clr", "", 0, clr);
  t.add(G::Files, "export", "sib", 3, exportCommand);
}

}  // namespace xyla
