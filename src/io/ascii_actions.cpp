#include "io/ascii_actions.h"

#include <unistd.h>

#include <cstdlib>

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
  // The temporary file lives in the system's temporary folder ($TMPDIR or /tmp), readable
  // by its owner only, and is removed when this function returns.
  const char* tmp = std::getenv("TMPDIR");
  std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/xyla-pasted.XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return 0;
  struct Removed {
    const std::string& path;
    ~Removed() { ::unlink(path.c_str()); }
  } removed{name};
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (done < text.size()) return 0;
  ImportOptions o;
  o.file = name;
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
