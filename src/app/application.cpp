#include "app/application.h"

#include <ostream>

#include "app/buffer_table.h"
#include "app/version.h"
#include "expr/builtins.h"
#include "fit/fit_controller.h"
#include "io/ascii_import.h"
#include "io/document_export.h"
#include "io/mysql_import.h"
#include "io/tabulix_import.h"
#include "io/vamas_import.h"
#include "macro/command_table.h"
#include "model/document_file.h"
#include "model/xyla_document.h"

namespace xyla {

// Most iterations of one fit in a batch run unless the macro sets another total.
constexpr int kBatchFitIterations = 1000;

Application::Application(Ui& ui, DocumentHost* windows)
    : manager_(ui), macros_(manager_, windows ? windows : &batchDocuments_), queries_(ui) {
  installMySQLRefresh(manager_, &connections_);
  // The data functions of expressions (symbol sizes, axis scales, buffer calculations)
  // read this controller's calculation document wherever they are evaluated.
  if (!expr::calcManager()) expr::setCalcManager(&manager_);
}

Application::~Application() {
  // Documents tell the controller when they close; close them while it still exists.
  documents_.clear();
  if (expr::calcManager() == &manager_) expr::setCalcManager(nullptr);
}

XylaDocument& Application::newDocument() {
  documents_.push_back(std::make_unique<XylaDocument>(&manager_));
  XylaDocument& doc = *documents_.back();
  doc.edited = false;
  manager_.setCurrentDocument(&doc);
  return doc;
}

XylaDocument* Application::openDocument(const std::string& path) {
  if (path.ends_with(".myxyla")) {
    queries_.openQueryFile(path);
    return manager_.PD;
  }
  auto doc = std::make_unique<XylaDocument>(&manager_);
  // A plot file of the older Tabulix program opens as a new document of its own.
  const bool tabulix = looksLikeTabulix(path);
  if (tabulix ? !openTabulixFile(*doc, path, manager_.ui()) : !openDocumentFile(*doc, path, manager_.ui()))
    return nullptr;
  // An imported plot stays untitled, so saving it never writes over the Tabulix file.
  if (!tabulix) doc->fileName = path;
  doc->edited = false;
  documents_.push_back(std::move(doc));
  manager_.setCurrentDocument(documents_.back().get());
  return documents_.back().get();
}

void Application::closeDocument(XylaDocument& doc) {
  manager_.documentClosed(&doc);
  std::erase_if(documents_, [&](const std::unique_ptr<XylaDocument>& d) { return d.get() == &doc; });
  if (!manager_.PD && !documents_.empty()) manager_.setCurrentDocument(documents_.back().get());
}

bool Application::importStartFile(const std::string& path) {
  if (looksLikeVamas(path)) return vamasImport(*manager_.PD, path, false, manager_.ui()) >= 0;
  // The command-line import: one buffer per column, X in column 1, numbers only.
  ImportOptions o;
  o.file = path;
  return importFile(*manager_.PD, o) >= 0;
}

int Application::runBatchMacro(const std::string& path, std::ostream& out, std::ostream& err) {
  // The console answers the fit's iteration-limit question with "Continue"; a total
  // (fitlimit's second argument) ends a fit that never converges.
  macros_.fitController().iterationTotal = kBatchFitIterations;
  macros_.fitController().panel.preview = false;
  // What the macro prints reaches the shell as it is printed.
  const MacroController::FileRun run = macros_.runMacroFile(path, manager_.PD, &out);
  if (!run.read) {
    err << "xyla: cannot read the macro file " << path << "\n";
    return 1;
  }
  if (run.stopLine > 0) {
    err << "xyla: " << path << ", line " << run.stopLine << ": the macro stopped at \"" << run.stopCommand << "\"\n";
    return 1;
  }
  return 0;
}

int Application::runCommandLine(const CommandLine& cl, std::ostream& out, std::ostream& err) {
  Manager& m = manager_;
  if (!m.PD) newDocument();
  m.startPD = m.PD;
  m.opt_i = cl.importFile;
  m.opt_m = cl.macroFile;
  m.opt_f = cl.fileName;
  m.opt_q = cl.quit;
  connections_.allowNetwork(cl.allowNetwork);
  if (!cl.fileName.empty()) m.SV["file"] = cl.fileName;

  // A start file too large for the memory ends the run with status 1 (it said why).
  int status = !cl.importFile.empty() && !importStartFile(cl.importFile) ? 1 : 0;
  for (const std::string& e : cl.errors) {
    err << "xyla: " << e << "\n";
    status = 1;
  }
  if (status) return status;  // nothing runs on a command line not understood or a start file not read
  if (cl.help) {
    out << commandLineHelp() << std::flush;
    return 0;
  }
  if (cl.version) {
    out << versionLine() << "\n" << std::flush;
    return 0;
  }
  if (cl.commandsMarkdown) {
    out << commandsMarkdown() << std::flush;
    return 0;
  }
  if (cl.commands) {
    const std::string text = describeCommands(cl.commandName);
    if (text.empty()) {
      err << "xyla: there is no macro command " << cl.commandName << "\n";
      return 1;
    }
    out << text << std::flush;
    return 0;
  }
  if (!cl.fitBatch.empty()) return runFitBatch(cl, out, err);
  if (!cl.macroFile.empty()) status = runBatchMacro(cl.macroFile, out, err);
  if (!m.PD) return status;  // the macro closed the start document
  if (cl.list) out << bufferTable(*m.PD) << std::flush;
  if (!cl.exportFile.empty() && m.startPD) {
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
