#include "gui/gui_application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "app/panel_placement.h"
#include "fit/peak_pointer.h"
#include "gui/calculator_panel.h"
#include "gui/clipboard_actions.h"
#include "gui/data_panel.h"
#include "gui/document_window.h"
#include "gui/fit_panel.h"
#include "gui/inspector_panel.h"
#include "gui/macro_panel.h"
#include "gui/main_menu.h"
#include "gui/plot_widget.h"
#include "gui/preferences_window.h"
#include "gui/printing.h"
#include "gui/query_panel.h"
#include "gui/report_panel.h"
#include "gui/tool_palette.h"
#include "gui/undo_keys.h"
#include "io/ascii_actions.h"
#include "io/ascii_import.h"
#include "io/tabulix_import.h"
#include "io/vamas_import.h"
#include "macro/macro_controller.h"
#include "macro/macro_store.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

constexpr int kRecentFiles = 10;
const char* const kRecentKey = "RecentDocuments";
// Marks a panel that shows first beside the current window.
const char* const kPlaceBeside = "xylaPlaceBeside";
// The panels whose visibility the program stores when it quits.
const char* const kPanelKeys[] = {"CalculatorVisible", "DataViewVisible", "MacroInspectorVisible",
                                  "MySQLImport",       "FitInspectorVisible", "ReportVisible"};

}  // namespace

bool isDocumentFile(const std::string& path) {
  const std::string ext = std::filesystem::path(path).extension().string();
  if (ext == ".xyla" || ext == ".myxyla" || ext == ".maxyla" || looksLikeTabulix(path)) return true;
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(512);
  return head.startsWith("bplist00") || (head.contains("<plist") && head.contains("<?xml"));
}

GuiApplication::GuiApplication(Ui& dialogs) : host_(*this, dialogs), app_(host_, &host_) {
  qApp->installEventFilter(new UndoKeys(*this));
}

GuiApplication::~GuiApplication() {
  // Windows still open (tests) go first, while the documents they show still exist;
  // the panels next, so that nothing the controller says while it closes reaches them.
  const std::vector<DocumentWindow*> open = windows_;
  for (DocumentWindow* w : open) delete w;
  delete std::exchange(dataPanel_, nullptr);
  delete std::exchange(reportPanel_, nullptr);
  delete std::exchange(macroPanel_, nullptr);
  delete std::exchange(calculatorPanel_, nullptr);
  delete std::exchange(fitPanel_, nullptr);
  delete std::exchange(queryPanel_, nullptr);
  delete std::exchange(preferences_, nullptr);
}

Manager& GuiApplication::manager() { return app_.manager(); }
MacroController& GuiApplication::macros() { return app_.macros(); }

void GuiApplication::adoptDocuments() {
  for (const auto& d : app_.documents())
    if (!windowFor(d.get())) attach(*d).show();
}

DocumentWindow* GuiApplication::windowFor(const XylaDocument* doc) const {
  for (DocumentWindow* w : windows_)
    if (&w->document() == doc) return w;
  return nullptr;
}

DocumentWindow& GuiApplication::attach(XylaDocument& doc) {
  auto* w = new DocumentWindow(*this, doc);
  windows_.push_back(w);
  return *w;
}

void GuiApplication::windowClosed(DocumentWindow* w) {
  std::erase(windows_, w);
  XylaDocument& doc = w->document();
  // The document goes after its window, and only once no macro, timer or action is
  // running: one still on the stack may return through it (also from a nested event loop
  // of a question it asks).
  closing_.push_back(&doc);
  QMetaObject::invokeMethod(this, [this] { destroyClosedDocuments(); }, Qt::QueuedConnection);
}

void GuiApplication::destroyClosedDocuments() {
  if (busy()) return;
  const std::vector<XylaDocument*> closing = std::exchange(closing_, {});
  for (XylaDocument* doc : closing) app_.closeDocument(*doc);
}

DocumentWindow& GuiApplication::newDocument() {
  XylaDocument& d = app_.newDocument();
  DocumentWindow& w = attach(d);
  w.show();
  return w;
}

DocumentWindow* GuiApplication::openPath(const std::string& path) {
  if (std::filesystem::path(path).extension() == ".maxyla") {
    openMacroFile(path);
    return windowFor(manager().PD);
  }
  if (!isDocumentFile(path)) {
    // A data file: imported into the current document, VAMAS files as such, any other
    // with the last settings of the ASCII import.
    if (!manager().PD) newDocument();
    if (looksLikeVamas(path)) {
      runImport([&] { app_.importStartFile(path); });
      return windowFor(manager().PD);
    }
    ImportOptions o = importPanelPreset();
    o.file = path;
    // Comma-separated files read as such unless the import page names a separator.
    if (o.separator.empty() && std::filesystem::path(path).extension() == ".csv") o.separator.push_back(',');
    runImport([&] { importFile(*manager().PD, o); });
    return windowFor(manager().PD);
  }
  const std::string canonical = std::filesystem::weakly_canonical(path).string();
  for (DocumentWindow* w : windows_)
    if (!w->document().fileName.empty() && std::filesystem::weakly_canonical(w->document().fileName) == canonical) {
      w->show();
      w->raise();
      w->activateWindow();
      manager().setCurrentDocument(&w->document());
      return w;
    }
  // A lone untitled window nobody has touched gives way to the opened document (not while
  // a macro runs, which may still work on it).
  DocumentWindow* lone =
      windows_.size() == 1 && untouched(windows_.front()->document()) && !busy() ? windows_.front() : nullptr;
  XylaDocument* d = app_.openDocument(path);
  if (!d) return nullptr;
  // A query file fills the query list and answers the current document.
  if (DocumentWindow* shown = windowFor(d)) return shown;
  addRecentFile(path);
  if (d->rescaleafterload) d->rescale(false, 0);
  d->edited = false;
  DocumentWindow& w = attach(*d);
  w.show();
  if (lone) lone->closeQuietly();
  return &w;
}

void GuiApplication::openWithPanel() {
  Settings* s = Settings::standard();
  const std::string start = s ? s->getString("PATH").value_or("") : "";
  for (const std::string& f : manager().ui().openPanel("Open", start, true)) openPath(f);
}

bool GuiApplication::closeDocument(XylaDocument& doc, bool ask) {
  DocumentWindow* w = windowFor(&doc);
  if (!w) {
    app_.closeDocument(doc);
    return true;
  }
  if (ask) return w->close();
  w->closeQuietly();
  return true;
}

bool GuiApplication::quit() {
  if (busy()) {
    // A macro that quits ends its run first; the quit follows.
    QMetaObject::invokeMethod(this, [this] { quit(); }, Qt::QueuedConnection);
    return false;
  }
  for (DocumentWindow* w : windows_)
    if (!w->maybeSave()) return false;
  if (Settings* s = Settings::standard()) {
    for (const char* key : kPanelKeys) {
      s->setBool(key, panelVisible(key));
      // Each panel's frame on the screen, as the window system describes it.
      if (const QWidget* p = panel(key))
        s->setString(std::string(key) + "Frame", p->saveGeometry().toBase64().toStdString());
    }
    s->sync();
  }
  const std::vector<DocumentWindow*> open = windows_;
  for (DocumentWindow* w : open) w->closeQuietly();
  QApplication::quit();
  return true;
}

bool GuiApplication::print(XylaDocument& doc, bool showPanel) {
  QPrinter own(QPrinter::HighResolution);
  QPrinter& printer = printerOverride ? *printerOverride : own;
  // The job is named like the window: print-to-file panels offer the job name as the
  // file name in the home folder, which a full path would turn into a folder that
  // does not exist.
  printer.setDocName(documentName(doc));
  if (showPanel && !printerOverride) {
    QPrintDialog dialog(&printer, windowFor(&doc));
    if (dialog.exec() != QDialog::Accepted) return false;
  }
  return printDocument(manager(), doc, printer);
}

void GuiApplication::setPointerMode(const std::string& mode) {
  Manager& m = manager();
  m.pointerMode = mode;
  for (DocumentWindow* w : windows_) {
    w->palette().show(mode, m.axis12);
    w->plot().interaction().pointerModeChanged();
    w->plot().requestFullRedraw();
  }
}

void GuiApplication::setRangeChoice(int axis12) {
  if (axis12 < 0 || axis12 > 2) return;
  manager().axis12 = axis12;
  for (DocumentWindow* w : windows_) w->palette().show(manager().pointerMode, axis12);
}

void GuiApplication::setMouseLocation(double value) {
  Settings* s = Settings::standard();
  if (!s) return;
  s->setInt("NormAxis", manager().isMouseMode("normy") ? 1 : 0);
  s->setString(normClicks_++ % 2 == 0 ? "NormRef1" : "NormRef2", formatG(value));
  s->sync();
  manager().refreshPanels();
}

void GuiApplication::rebuildMacroMenus() {
  for (DocumentWindow* w : windows_)
    if (w->macroMenu()) fillMacroMenu(*w->macroMenu(), *this);
}

void GuiApplication::runImport(const std::function<void()>& work) {
  Manager& m = manager();
  XylaDocument* doc = m.PD;
  const int before = doc ? doc->bufferCount() : 0;
  run(work);
  if (!doc || m.PD != doc || doc->bufferCount() <= before) return;
  std::set<int> appended;
  for (int i = before; i < doc->bufferCount(); ++i) appended.insert(i);
  m.setSelection(std::move(appended));
  m.reloadBufferTable();
}

void GuiApplication::run(const std::function<void()>& work) {
  ++busy_;
  work();
  --busy_;
  // A fit may have run through any door; the residual box follows it.
  if (fitPanel_ && !busy()) fitPanel_->followFits();
  for (DocumentWindow* w : windows_) w->documentChanged();
  if (macroPanel_ && macroPanel_->isVisible()) macroPanel_->refreshConsole();
  schedulePanelRefresh();
  if (!busy()) destroyClosedDocuments();
}

void GuiApplication::redrawDocument(XylaDocument& d) {
  XylaDocument* main = d.subview && d.MPD ? d.MPD : &d;
  if (DocumentWindow* w = windowFor(main)) w->documentChanged();
}

void GuiApplication::refreshPanelsNow() {
  for (DocumentWindow* w : windows_) {
    w->palette().show(manager().pointerMode, manager().axis12);
    w->inspector().refresh();
  }
  schedulePanelRefresh();
}

DataPanel& GuiApplication::dataPanel() { return *static_cast<DataPanel*>(makePanel("DataViewVisible")); }
ReportPanel& GuiApplication::reportPanel() { return *static_cast<ReportPanel*>(makePanel("ReportVisible")); }
MacroPanel& GuiApplication::macroPanel() { return *static_cast<MacroPanel*>(makePanel("MacroInspectorVisible")); }
QueryPanel& GuiApplication::queryPanel() { return *static_cast<QueryPanel*>(makePanel("MySQLImport")); }
FitPanel& GuiApplication::fitPanel() { return *static_cast<FitPanel*>(makePanel("FitInspectorVisible")); }
CalculatorPanel& GuiApplication::calculatorPanel() {
  return *static_cast<CalculatorPanel*>(makePanel("CalculatorVisible"));
}

PreferencesWindow& GuiApplication::preferences() {
  if (!preferences_) preferences_ = new PreferencesWindow(manager());
  return *preferences_;
}

QWidget* GuiApplication::panel(const std::string& key) const {
  if (key == "DataViewVisible") return dataPanel_;
  if (key == "ReportVisible") return reportPanel_;
  if (key == "MacroInspectorVisible") return macroPanel_;
  if (key == "CalculatorVisible") return calculatorPanel_;
  if (key == "FitInspectorVisible") return fitPanel_;
  if (key == "MySQLImport") return queryPanel_;
  return nullptr;
}

// The panel of `key`, made on first use as a tool window that does not keep the
// program running once the last document window closed.
QWidget* GuiApplication::makePanel(const std::string& key) {
  if (QWidget* p = panel(key)) return p;
  QWidget* p = nullptr;
  if (key == "DataViewVisible") {
    dataPanel_ = new DataPanel(manager());
    connect(dataPanel_, &DataPanel::copyRequested, this, [this] { copyAction(*this); });
    connect(dataPanel_, &DataPanel::pasteRequested, this, [this] { pasteAction(*this); });
    p = dataPanel_;
  } else if (key == "ReportVisible") {
    p = reportPanel_ = new ReportPanel(manager(), macros().report);
  } else if (key == "MacroInspectorVisible") {
    p = macroPanel_ = new MacroPanel(macros(), *this);
  } else if (key == "CalculatorVisible") {
    p = calculatorPanel_ = new CalculatorPanel(macros().calculator());
  } else if (key == "MySQLImport") {
    p = queryPanel_ = new QueryPanel(manager(), app_.queries(), *this);
  } else if (key == "FitInspectorVisible") {
    p = fitPanel_ = new FitPanel(manager(), macros().fitController(), *this);
  } else {
    return nullptr;
  }
  p->setWindowFlag(Qt::Tool);
  p->setAttribute(Qt::WA_QuitOnClose, false);
  Settings* s = Settings::standard();
  if (auto frame = s ? s->getString(key + "Frame") : std::nullopt)
    p->restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*frame)));
  else
    p->setProperty(kPlaceBeside, true);
  return p;
}

// A panel without a stored frame shows first beside the current document's window, where
// it hides the least of the plot.
void GuiApplication::placeBesideWindow(QWidget& p) {
  DocumentWindow* w = windowFor(manager().PD);
  if (!p.property(kPlaceBeside).toBool() || !w || !w->isVisible()) return;
  p.setProperty(kPlaceBeside, false);
  const QScreen* screen = w->screen();
  if (!screen) return;
  auto rect = [](const QRect& r) { return ScreenRect{r.x(), r.y(), r.width(), r.height()}; };
  const QRect plot(w->plot().mapToGlobal(QPoint(0, 0)), w->plot().size());
  const ScreenRect at =
      placeBeside(rect(p.frameGeometry()), rect(w->frameGeometry()), rect(plot), rect(screen->availableGeometry()));
  p.move(at.x, at.y);
}

void GuiApplication::showPanel(const std::string& key, bool on) {
  QWidget* p = on ? makePanel(key) : panel(key);
  if (!p) return;
  if (on) placeBesideWindow(*p);
  p->setVisible(on);
  if (!on) return;
  p->raise();
  if (p == dataPanel_)
    dataPanel_->refresh();
  else if (p == reportPanel_)
    reportPanel_->refresh();
  else if (p == macroPanel_)
    macroPanel_->refresh();
  else if (p == calculatorPanel_)
    calculatorPanel_->refresh();
  else if (p == fitPanel_)
    showFitPanel();
  else if (p == queryPanel_)
    queryPanel_->refresh();
}

// The fit panel opened onto a table without peaks: the pointer places them.
void GuiApplication::showFitPanel() {
  fitPanel_->refresh();
  if (const XylaDocument* d = manager().PD; d && fit::awaitsFirstPeak(d->F)) setPointerMode("peak");
}

bool GuiApplication::panelVisible(const std::string& key) const {
  const QWidget* p = panel(key);
  return p && p->isVisible();
}

// A "maxyla" file opened as a document: its list replaces the stored macros, and the
// macro panel comes to the front.
void GuiApplication::openMacroFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  std::optional<std::vector<std::unique_ptr<Macro>>> list;
  if (f.open(QIODevice::ReadOnly)) list = decodeMacroList(f.readAll().toStdString());
  if (!list) {
    manager().ui().alert("File Open Error", "The file " + path + " holds no macros.", {"OK"});
    return;
  }
  MacroStore& st = macros().store();
  st.MA = std::move(*list);
  if (st.MA.empty()) st.ma_add();
  st.save();
  st.updateMacro(0);
  rebuildMacroMenus();
  showPanel("MacroInspectorVisible", true);
}

void GuiApplication::restorePanels() {
  Settings* s = Settings::standard();
  if (!s) return;
  for (const char* key : kPanelKeys)
    if (s->getBool(key).value_or(false)) showPanel(key, true);
}

void GuiApplication::schedulePanelRefresh() {
  // Refreshes asked for inside one action are done once, after it, so a model is never
  // reset while its view is in the middle of an edit.
  if ((!dataPanel_ && !fitPanel_) || std::exchange(panelRefreshPending_, true)) return;
  QTimer::singleShot(0, this, [this] {
    panelRefreshPending_ = false;
    if (dataPanel_) dataPanel_->refresh();
    if (fitPanel_ && fitPanel_->isVisible()) fitPanel_->refresh();
  });
}

void GuiApplication::scheduleReportRefresh() {
  // Many entries added by one macro are shown once, when the event loop next runs.
  if (!reportPanel_ || std::exchange(reportRefreshPending_, true)) return;
  QTimer::singleShot(0, this, [this] {
    reportRefreshPending_ = false;
    if (reportPanel_) reportPanel_->refresh();
  });
}

QStringList GuiApplication::recentFiles() const {
  Settings* s = Settings::standard();
  QStringList out;
  if (!s) return out;
  for (const std::string& f : s->getStringList(kRecentKey).value_or(std::vector<std::string>{}))
    out << QString::fromStdString(f);
  return out;
}

void GuiApplication::addRecentFile(const std::string& path) {
  Settings* s = Settings::standard();
  if (!s) return;
  const std::string abs = std::filesystem::absolute(path).string();
  std::vector<std::string> list = s->getStringList(kRecentKey).value_or(std::vector<std::string>{});
  std::erase(list, abs);
  list.insert(list.begin(), abs);
  if (list.size() > kRecentFiles) list.resize(kRecentFiles);
  s->setStringList(kRecentKey, list);
  s->sync();
  emit recentFilesChanged();
}

bool untouched(const XylaDocument& d) {
  return d.fileName.empty() && !d.edited && d.DB.empty() && d.T.empty() && d.G.empty() && d.undoStack.undoCount() == 0;
}

}  // namespace xyla::gui
