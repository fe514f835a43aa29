#include "app/application.h"

#include <ostream>

#include "app/buffer_table.h"
#include "io/ascii_import.h"
#include "io/document_export.h"
#include "model/xyla_document.h"

namespace xyla {

Application::Application(Ui& ui) : manager_(ui) {}

Application::~Application() {
  // Documents tell the controller when they close; close them while it still exists.
  documents_.clear();
}

XylaDocument& Application::newDocument() {
  documents_.push_back(std::make_unique<XylaDocument>(&manager_));
  XylaDocument& doc = *documents_.back();
  doc.edited = false;
  manager_.setCurrentDocument(&doc);
  return doc;
}

int Application::runCommandLine(const CommandLine& cl, std::ostream& out, std::ostream& err) {
  Manager& m = manager_;
  if (!m.PD) newDocument();
  m.startPD = m.PD;
  m.opt_i = cl.importFile;
  m.opt_m = cl.macroFile;
  m.opt_f = cl.fileName;
  m.opt_q = cl.quit;
  if (!cl.fileName.empty()) m.SV["file"] = cl.fileName;

  if (!cl.importFile.empty()) {
    // The command-line import: one buffer per column, X in column 1, numbers only.
    ImportOptions o;
    o.file = cl.importFile;
    importFile(*m.PD, o);
  }
  int status = 0;
  if (!cl.macroFile.empty()) {
    err << "xyla: cannot run " << cl.macroFile << ": this build has no macro interpreter yet\n";
    status = 2;
  }
  if (cl.list) out << bufferTable(*m.PD) << std::flush;
  if (!cl.exportFile.empty()) {
    std::string error;
    if (cl.badDpi) {
      err << "xyla: --dpi needs a positive whole number\n";
      status = status ? status : 1;
    } else if (!saveDocumentImage(m, *m.startPD, cl.exportFile, cl.dpi, error)) {
      err << "xyla: " << error << "\n";
      status = status ? status : 1;
    }
  }
  return status;
}

}  // namespace xyla
