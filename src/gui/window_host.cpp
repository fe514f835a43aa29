#include "gui/window_host.h"

#include <QMetaObject>

#include "gui/document_window.h"
#include "gui/gui_application.h"
#include "gui/macro_panel.h"
#include "gui/query_panel.h"
#include "gui/report_panel.h"

namespace xyla::gui {

void WindowHost::redraw(XylaDocument& doc) { gui_.redrawDocument(doc); }

void WindowHost::panelsChanged() { gui_.refreshPanelsNow(); }

void WindowHost::bufferTableChanged() { gui_.schedulePanelRefresh(); }

void WindowHost::reportChanged() { gui_.scheduleReportRefresh(); }

void WindowHost::printReport() { gui_.reportPanel().print(); }

void WindowHost::macroMenuChanged() {
  gui_.rebuildMacroMenus();
  if (gui_.macroPanel_) gui_.macroPanel_->refresh();
}

void WindowHost::showQueryPanel() { gui_.showPanel("MySQLImport", true); }

void WindowHost::queryPanelChanged() {
  if (gui_.queryPanel_) gui_.queryPanel_->refresh();
}

XylaDocument* WindowHost::newDocument() { return &gui_.newDocument().document(); }

XylaDocument* WindowHost::openDocument(const std::string& path) {
  DocumentWindow* w = isDocumentFile(path) ? gui_.openPath(path) : nullptr;
  return w ? &w->document() : nullptr;
}

// A macro may close its own document: the window goes now, the document itself when the
// event loop next runs, after the macro has let go of it.
void WindowHost::closeDocument(XylaDocument& doc) { gui_.closeDocument(doc, false); }

void WindowHost::printDocument(XylaDocument& doc) { gui_.print(doc, true); }

void WindowHost::hideApplication() {
  for (DocumentWindow* w : gui_.windows()) w->showMinimized();
}

// The quit waits for the event loop, so the macro that asked for it ends first.
void WindowHost::quitApplication() {
  QMetaObject::invokeMethod(
      &gui_, [this] { gui_.quit(); }, Qt::QueuedConnection);
}

}  // namespace xyla::gui
