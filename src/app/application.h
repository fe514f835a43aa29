#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "io/mysql_import.h"
#include "io/mysql_queries.h"
#include "macro/macro_controller.h"
#include "model/document_host.h"
#include "model/manager.h"

namespace xyla {

class XylaDocument;

// The running program: the controller, the open documents and the start-up sequence.
// In batch runs it also answers the macros' document requests itself.
class Application {
 public:
  // Talks to the person through `ui`. `windows`, when given, answers the macros'
  // document requests instead (the window layer, which shows each document).
  explicit Application(Ui& ui, DocumentHost* windows = nullptr);
  ~Application();

  Manager& manager() { return manager_; }
  MacroController& macros() { return macros_; }
  // The open documents, oldest first.
  const std::vector<std::unique_ptr<XylaDocument>>& documents() const { return documents_; }
  // The stored MySQL queries (`MYQ`) and their panel operations.
  QueryStore& queries() { return queries_; }
  // Which MySQL servers documents may refresh from without asking.
  ConnectionApproval& connections() { return connections_; }
  // Opens a new untitled document and makes it current.
  XylaDocument& newDocument();
  // Opens the document file at `path` as a new document and makes it current; null
  // (nothing changes) when the file cannot be read. A Tabulix plot file opens as a new
  // document too; a "myxyla" query file replaces the query list instead and answers the
  // current document (no new document).
  XylaDocument* openDocument(const std::string& path);
  // Reads a file for "-i": VAMAS files (recognised by their first line) as VAMAS,
  // everything else as ASCII data with the command-line options. False when memory ran
  // out (the document is then as it was and the person was told).
  bool importStartFile(const std::string& path);
  // Closes `doc`: the controller forgets it and it is destroyed.
  void closeDocument(XylaDocument& doc);
  // Asks the program to end (a macro's "quitapp").
  void quitApplication() { quit_ = true; }
  // True when the program was asked to end (by a macro).
  bool quitRequested() const { return quit_; }

  // Carries out the command line on the start document: "-f", "-i", "-m", then
  // "--list" and "--export". The macro console is echoed to `out`. Answers the process
  // exit status.
  int runCommandLine(const CommandLine& cl, std::ostream& out, std::ostream& err);

 private:
  // Runs a macro file on the current document as a batch step; answers the exit status.
  int runBatchMacro(const std::string& path, std::ostream& out, std::ostream& err);
  // "--fit-batch": imports the files, runs the model macro on the first and fits its
  // table to all of them into one table of results.
  int runFitBatch(const CommandLine& cl, std::ostream& out, std::ostream& err);

  // The macros' document requests of a batch run, carried out on this application.
  class BatchDocuments : public DocumentHost {
   public:
    explicit BatchDocuments(Application& app) : app_(app) {}
    XylaDocument* newDocument() override { return &app_.newDocument(); }
    XylaDocument* openDocument(const std::string& path) override { return app_.openDocument(path); }
    void closeDocument(XylaDocument& doc) override { app_.closeDocument(doc); }
    void quitApplication() override { app_.quitApplication(); }

   private:
    Application& app_;
  };

  BatchDocuments batchDocuments_{*this};
  Manager manager_;
  MacroController macros_;
  QueryStore queries_;
  ConnectionApproval connections_{&queries_};
  std::vector<std::unique_ptr<XylaDocument>> documents_;
  bool quit_ = false;
};

}  // namespace xyla
