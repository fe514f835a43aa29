#include "io/ascii_actions.h"

#include <QTemporaryFile>


#include "io/ascii_export.h"
#include "io/ascii_import.h"
#include "io/import_report.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

ImportOptions importPanelPreset() {
  ImportOptions o;
  const Settings* s = Settings::standard();
  if (!s) return o;
  if (auto v = s->getInt("ImportMode")) o.mode = *v;
  if (auto v = s->getString("ImportSep")) o.separator = *v;
  if (auto v = s->getInt("ImportXCol")) o.xcolumn = *v;
  if (auto v = s->getBool("NoXCol")) o.noxcolumn = *v;
  if (auto v = s->getString("ImportIgnoreCont")) o.ignore = *v;
  if (auto v = s->getString("ImportComment")) o.commentmark = *v;
  if (auto v = s->getBool("ImportNumLines")) o.numberlines = *v;
  return o;
}

void storeImportOptions(const ImportOptions& o) {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setInt("ImportMode", o.mode);
  s->setString("ImportSep", o.separator);
  s->setInt("ImportXCol", o.xcolumn);
  s->setBool("NoXCol", o.noxcolumn);
  s->setString("ImportIgnoreCont", o.ignore);
  s->setString("ImportComment", o.commentmark);
  s->setBool("ImportNumLines", o.numberlines);
  s->sync();
}

void importAsciiAction(Manager& m, const ImportOptions& options) {
  if (!m.PD) {
    m.ui().beep();
    return;
  }
  for (const std::string& f : askForImportFiles(m.ui(), "Import ASCII")) {
    ImportOptions o = options;
    o.file = f;
    o.source.clear();
    o.comment.clear();
    importFile(*m.PD, o);
  }
  // The panel's options are remembered whether a file was chosen or not.
  storeImportOptions(options);
}

int importPastedText(Manager& m, const std::string& text) {
  if (!m.PD) {
    m.ui().beep();
    return 0;
  }
  // The temporary file lives in the system's temporary folder and is removed when this
  // function returns.
  QTemporaryFile file;
  if (!file.open()) return 0;
  file.write(text.data(), static_cast<qint64>(text.size()));
  file.flush();
  ImportOptions o;
  o.file = file.fileName().toStdString();
  o.source = "Pasteboard";
  return importFile(*m.PD, o);
}

void exportAsciiAction(Manager& m) {
  if (!m.PD) {
    m.ui().beep();
    return;
  }
  if (!m.selectionGuard()) return;
  Settings* s = Settings::standard();
  const std::string dir = s ? s->getString("PATH").value_or("") : "";
  const auto name = m.ui().savePanel("Export ASCII", dir, "");
  if (!name || name->empty()) return;
  exportASCII(*m.PD, *name);
}

}  // namespace xyla
