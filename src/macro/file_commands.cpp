// Pictures, ASCII, MySQL, binary and VAMAS import, ASCII export, the console and the
// colour mode.
#include <filesystem>
#include <optional>

#include "io/ascii_export.h"
#include "io/ascii_import.h"
#include "io/binary_import.h"
#include "io/document_export.h"
#include "io/mysql_import.h"
#include "io/vamas_import.h"
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"
#include "model/document_file.h"
#include "model/document_host.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

void colormode(Macro& m) {
  if (m.I[0] == 0 || m.I[0] == 1) m.colormode = m.I[0];
}

// A file that could not be written is an error of the macro: the run stops there.
void reportExport(Macro& m, bool ok, const std::string& error) {
  if (ok) return;
  m.M->ui().alert("Export Error", error, {"OK"});
  ++m.ERR;
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
  if (m.MC) m.MC->documents().printDocument(*m.PD);
}

// The new document becomes the controller's current document and the macro's target.
void newDocument(Macro& m) {
  if (!m.MC) return;
  if (XylaDocument* doc = m.MC->documents().newDocument()) m.PD = doc;
}

// The opened document becomes the target; when it cannot be opened (the open code has
// said why) the run stops here, and the macro is left without a target.
void openCommand(Macro& m) {
  m.PD = m.MC ? m.MC->documents().openDocument(m.S[0]) : nullptr;
  if (!m.PD) ++m.ERR;
}

// Asks for the file to write, starting with `preset`; on an answer the document takes
// that name and is written there.
// The panel starts in the preset's folder with its file name, so a relative preset such
// as sub/doc.xyla names sub/doc.xyla once. A save that fails stops the run.
void saveThroughPanel(Macro& m, const std::string& title, const std::string& preset) {
  const std::filesystem::path p(preset);
  const std::optional<std::string> name =
      m.M->ui().savePanel(title, p.parent_path().string(), p.filename().string());
  if (!name || name->empty()) return;
  m.PD->fileName = *name;
  if (!saveDocumentFile(*m.PD, *name, m.M->ui())) ++m.ERR;
}

// A document with a file is written there; an untitled one asks for a name first.
void save(Macro& m) {
  if (m.PD->fileName.empty()) {
    saveThroughPanel(m, "Save", "");
  } else if (!saveDocumentFile(*m.PD, m.PD->fileName, m.M->ui())) {
    ++m.ERR;
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
  if (importFile(*m.PD, o) < 0) ++m.ERR;  // out of memory: the run stops
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
  if (binaryImport(*m.PD, o, m.M->ui()) < 0) ++m.ERR;
}

// Our own: a VAMAS file, counts divided by dwell time and scans when argument 1 is on.
void vamasimport(Macro& m) {
  if (vamasImport(*m.PD, m.S[0], m.O[1] && m.I[1] != 0, m.M->ui()) < 0) ++m.ERR;
}

void clr(Macro& m) {
  if (m.MC) m.MC->ma_clr();
}

void exportCommand(Macro& m) {
  if (m.I[1] < 0 || m.I[1] > 3) return;
  for (int index : m.B) {
    const DataBuffer* b = m.PD->buffer(index);
    std::string error;
    if (b && !exportASCII(*b, m.S[0], m.I[1], &error)) return reportExport(m, false, error);
  }
}

}  // namespace

void registerFileCommands(CommandTable& t) {
  t.add(G::Files, "colormode", "i", 1, colormode,
        {"mode", "Reads later colour arguments as red, green, blue (0) or hue, saturation, brightness (1)."});
  t.add(G::Files, "savepng", "si", 1, savepng,
        {"file [dpi]", "Writes the plot as a PNG picture (72 dpi: one pixel per point); a failure stops the macro."});
  t.add(G::Files, "savejpg", "si", 1, savejpg,
        {"file [dpi]", "Writes the plot as a JPEG picture; a failure stops the macro."});
  t.add(G::Files, "savepdf", "s", 1, savepdf,
        {"file", "Writes the plot as a PDF file; a failure stops the macro."});
  t.add(G::Files, "saveeps", "s", 1, saveeps,
        {"file", "Writes the plot as an EPS file; a failure stops the macro."});
  t.add(G::Files, "printdoc", "", 0, printdoc,
        {"", "Prints the plot through the print dialog (batch runs have no printer and skip it)."});
  t.add(G::Files, "new", "", 0, newDocument,
        {"", "Opens a new empty document and makes it the macro's target."}, false);
  t.add(G::Files, "open", "s", 1, openCommand,
        {"file", "Opens a document file and makes it the macro's target; a failure stops the macro."}, false);
  t.add(G::Files, "save", "", 0, save,
        {"", "Saves the document to its file (asking for a name when it has none); a failure stops the macro."});
  t.add(G::Files, "saveas", "s", 1, saveas,
        {"file", "Saves the document to the file, which it keeps as its name; a failure stops the macro."});
  t.add(G::Files, "import", "sisiisss", 2, import,
        {"file mode [separator] [xcolumn] [noxcolumn] [comment] [ignore] [commentmark]", "Imports an ASCII file: mode 0 one buffer per column, 1 one buffer of X, Y and errors; lines with the ignore text are skipped, text after the comment mark dropped."});
  t.add(G::Files, "clr", "", 0, clr,
        {"", "Empties the macro console."});
  t.add(G::Files, "export", "sib", 3, exportCommand,
        {"file mode buffers", "Writes the buffers as tab-separated text: mode 0 X, Y and errors, 1 X, Y, Y error, 2 X, Y, X error, 3 X only; a failure stops the macro."});
  t.add(G::Files, "mysqlimport", "ssssss", 6, mysqlimport,
        {"host database user password port query", "Imports the result of a MySQL query as buffers."});
  t.add(G::Files, "binaryimport", "siiiis", 5, binaryimport,
        {"file type layout swap columns [comment]", "Imports a headerless binary number file: type 0-3, layout 0 or 1, swap 1 for the other byte order, the number of columns."});
  t.add(G::Files, "vamasimport", "si", 1, vamasimport,
        {"file [perSecond]", "Imports a VAMAS file; perSecond 1 divides the counts by dwell time and scans."});
}

}  // namespace xyla
