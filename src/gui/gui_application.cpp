#include "gui/gui_application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/application.h"
#include "gui/document_window.h"
#include "gui/inspector_panel.h"
#include "gui/main_menu.h"
#include "gui/plot_widget.h"
#include "gui/printing.h"
#include "gui/tool_palette.h"
#include "io/ascii_actions.h"
#include "io/ascii_import.h"
#include "io/tabulix_import.h"
#include "io/vamas_import.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/text_scan.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

constexpr int kRecentFiles = 10;
const char* const kRecentKey = "RecentDocuments";
// The panels whose visibility the program stores when it quits.
const char* const kPanelKeys[] = {"CalculatorVisible", "DataViewVisible", "MacroInspectorVisible",
                                  "MySQLImport",       "FitInspectorVisible", "ReportVisible"};

}  // namespace

bool isDocumentFile(const std::string& path) {
  const std::string ext = std::filesystem::path(path).extension().string();
  if (ext == ".xyla" || ext == ".myxyla" || looksLikeTabulix(path)) return true;
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(512);
  return head.startsWith("bplist00") || (head.contains("<plist") && head.contains("<?xml"));
}

GuiApplication::GuiApplication(Application& app) : app_(app) { installHooks(); }

GuiApplication::~GuiApplication() {
  // Windows still open (tests) go first, while the documents they show still exist.
  const std::vector<DocumentWindow*> open = windows_;
  for (DocumentWindow* w : open) delete w;
  Manager& m = manager();
  m.onRedraw = nullptr;
  m.onPanelsChanged = nullptr;
  MacroController& mc = macros();
  mc.newDocument = [this] { return &app_.newDocument(); };
  mc.openDocument = [this](const std::string& p) { return app_.openDocument(p); };
  mc.closeDocument = [this](XylaDocument& d) { app_.closeDocument(d); };
  mc.quitApplication = nullptr;
  mc.hideApplication = nullptr;
  mc.printDocument = nullptr;
  mc.store().onMenuChanged = nullptr;
}

Manager& GuiApplication::manager() { return app_.manager(); }
MacroController& GuiApplication::macros() { return app_.macros(); }

void GuiApplication::installHooks() {
  Manager& m = manager();
  m.onRedraw = [this](XylaDocument& d) { redrawDocument(d); };
  m.onPanelsChanged = [this] {
    for (DocumentWindow* w : windows_) {
      w->palette().show(manager().pointerMode, manager().axis12);
      w->inspector().refresh();
    }
  };
  MacroController& mc = macros();
  mc.newDocument = [this] { return &newDocument().document(); };
  mc.openDocument = [this](const std::string& path) -> XylaDocument* {
    DocumentWindow* w = isDocumentFile(path) ? openPath(path) : nullptr;
    return w ? &w->document() : nullptr;
  };
  // A macro may close its own document: the window goes now, the document itself when
  // the event loop next runs, after the macro has let go of it.
  mc.closeDocument = [this](XylaDocument& d) { closeDocument(d, false); };
  mc.quitApplication = [this] {
    quitting_ = true;
    QMetaObject::invokeMethod(this, [this] { quit(); }, Qt::QueuedConnection);
  };
  mc.hideApplication = [this] {
    for (DocumentWindow* w : windows_) w->showMinimized();
  };
  mc.printDocument = [this](XylaDocument& d) { print(d, true); };
  mc.store().onMenuChanged = [this] { rebuildMacroMenus(); };
}

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
  if (!isDocumentFile(path)) {
    // A data file: imported into the current document, VAMAS files as such, any other
    // with the last settings of the ASCII import.
    if (!manager().PD) newDocument();
    if (looksLikeVamas(path)) {
      run([&] { app_.importStartFile(path); });
      return windowFor(manager().PD);
    }
    ImportOptions o = importPanelPreset();
    o.file = path;
    // Comma-separated files read as such unless the import page names a separator.
    if (o.separator.empty() && std::filesystem::path(path).extension() == ".csv") o.separator.push_back(',');
    run([&] { importFile(*manager().PD, o); });
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
  XylaDocument* d = app_.openDocument(path);
  if (!d) return nullptr;
  // A query file fills the query list and answers the current document.
  if (DocumentWindow* shown = windowFor(d)) return shown;
  addRecentFile(path);
  if (d->rescaleafterload) d->rescale(false, 0);
  d->edited = false;
  DocumentWindow& w = attach(*d);
  w.show();
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
    if (!w->maybeSave()) {
      quitting_ = false;
      return false;
    }
  if (Settings* s = Settings::standard()) {
    // No panel of its own is open in this program yet: all six are stored hidden.
    for (const char* key : kPanelKeys) s->setBool(key, false);
    s->sync();
  }
  const std::vector<DocumentWindow*> open = windows_;
  for (DocumentWindow* w : open) w->closeQuietly();
  QApplication::quit();
  return true;
}

bool GuiApplication::print(XylaDocument& doc, bool showPanel) {
  if (printerOverride) return printDocument(manager(), doc, *printerOverride);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(doc.fileName.empty() ? "Untitled" : doc.fileName));
  if (showPanel) {
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
    w->plot().view().haveoloc = false;
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

void GuiApplication::run(const std::function<void()>& work) {
  ++busy_;
  work();
  --busy_;
  for (DocumentWindow* w : windows_) w->documentChanged();
  if (!busy()) destroyClosedDocuments();
}

void GuiApplication::redrawDocument(XylaDocument& d) {
  XylaDocument* main = d.subview && d.MPD ? d.MPD : &d;
  if (DocumentWindow* w = windowFor(main)) w->documentChanged();
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

}  // namespace xyla::gui
