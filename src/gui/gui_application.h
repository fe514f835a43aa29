#pragma once

#include <QObject>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "gui/action_runner.h"
#include "gui/window_host.h"

class QPrinter;

namespace xyla {
class Manager;
class MacroController;
class Ui;
class XylaDocument;
}  // namespace xyla

namespace xyla::gui {

class CalculatorPanel;
class DataPanel;
class FitPanel;
class QueryPanel;
class DocumentWindow;
class MacroPanel;
class PreferencesWindow;
class ReportPanel;

// The interactive program: one window per open document, the pointer mode and range
// selector shared by every tool palette, the macro menus, recent files, printing and
// the questions before anything unsaved is closed. It owns the application controller,
// which keeps the documents and talks to the windows through the window host.
class GuiApplication : public QObject, public ActionRunner {
  Q_OBJECT
 public:
  // Questions, panels and progress go to `dialogs` (the Qt dialogs; scripted in tests).
  explicit GuiApplication(Ui& dialogs);
  ~GuiApplication() override;

  Application& app() { return app_; }
  Manager& manager();
  MacroController& macros();

  // Makes a window for every document that has none yet, and shows them.
  void adoptDocuments();
  DocumentWindow* windowFor(const XylaDocument* doc) const;
  const std::vector<DocumentWindow*>& windows() const { return windows_; }

  // A new untitled document in its own window.
  DocumentWindow& newDocument();
  // Opens `path`: a document file in a window of its own (or the window that already
  // shows it); any other file is imported as ASCII data into the current document.
  // Null when nothing was opened.
  DocumentWindow* openPath(const std::string& path);
  // The open panel, then openPath for each chosen file.
  void openWithPanel();
  // Closes the window of `doc`; `ask` puts the save question for a changed document.
  // False when the person cancelled.
  bool closeDocument(XylaDocument& doc, bool ask = true);
  // Asks about every changed document, closes every window and ends the event loop.
  // False (and nothing closes) when the person cancelled.
  bool quit();
  // Prints `doc`; `showPanel` shows the print dialog first. With `printerOverride` set
  // (tests) it prints there without a dialog.
  bool print(XylaDocument& doc, bool showPanel);
  QPrinter* printerOverride = nullptr;

  // The shared tool palette state.
  void setPointerMode(const std::string& mode);
  void setRangeChoice(int axis12);
  // A click in mode "normx" or "normy": the value fills the normalisation page's first
  // reference, the next click its second, and so on by turns.
  void setMouseLocation(double value);
  // Rebuilds every window's "Macro" menu from the macro list.
  void rebuildMacroMenus();
  // Runs `work` as one user action: timers wait meanwhile, windows stay open, and the
  // windows redraw afterwards.
  void run(const std::function<void()>& work) override;
  // Runs an import as one user action; the buffers it appends to the current document
  // become the selection, so the actions that follow work on them without asking.
  void runImport(const std::function<void()>& work);
  bool busy() const override { return busy_ > 0; }

  QStringList recentFiles() const;
  void addRecentFile(const std::string& path);

  // The panels of the program, made on first use; they always show the current document.
  DataPanel& dataPanel();
  ReportPanel& reportPanel();
  MacroPanel& macroPanel();
  CalculatorPanel& calculatorPanel();
  FitPanel& fitPanel();
  QueryPanel& queryPanel();
  // The preferences window, made on first use.
  PreferencesWindow& preferences();
  // Shows or hides a panel by its visibility key ("DataViewVisible", "ReportVisible",
  // "MacroInspectorVisible", "CalculatorVisible", "FitInspectorVisible", "MySQLImport").
  void showPanel(const std::string& key, bool on);
  bool panelVisible(const std::string& key) const;
  // Shows the panels that were open when the program last quit.
  void restorePanels();

  // Where the next pasted graphic goes, in view points from where it was copied.
  int pasteOffset = 0;

  // Milliseconds per timer second for new windows (tests shorten it).
  int timerMsPerSecond = 1000;

 signals:
  void recentFilesChanged();

 private:
  friend class DocumentWindow;
  friend class WindowHost;
  DocumentWindow& attach(XylaDocument& doc);
  void windowClosed(DocumentWindow* w);
  void destroyClosedDocuments();
  void redrawDocument(XylaDocument& doc);
  void refreshPanelsNow();
  void schedulePanelRefresh();
  void scheduleReportRefresh();
  QWidget* panel(const std::string& key) const;
  QWidget* makePanel(const std::string& key);
  void placeBesideWindow(QWidget& p);
  void showFitPanel();
  void openMacroFile(const std::string& path);

  WindowHost host_;
  Application app_;
  std::vector<DocumentWindow*> windows_;
  int busy_ = 0;
  int normClicks_ = 0;
  std::vector<XylaDocument*> closing_;  // windows gone, documents waiting for an idle moment
  DataPanel* dataPanel_ = nullptr;
  ReportPanel* reportPanel_ = nullptr;
  MacroPanel* macroPanel_ = nullptr;
  CalculatorPanel* calculatorPanel_ = nullptr;
  FitPanel* fitPanel_ = nullptr;
  QueryPanel* queryPanel_ = nullptr;
  PreferencesWindow* preferences_ = nullptr;
  bool panelRefreshPending_ = false;
  bool reportRefreshPending_ = false;
};

// True when `path` opens as a document rather than being imported: a document file (by
// its extension or its first bytes), a query file or an older Tabulix plot file.
bool isDocumentFile(const std::string& path);

// True for an untitled document nobody has touched (no file, no change, nothing in it):
// it gives way to a document that is opened.
bool untouched(const XylaDocument& d);

}  // namespace xyla::gui
