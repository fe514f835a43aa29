#include "gui/main_menu.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <cctype>

#include "app/application.h"
#include "app/preferences.h"
#include "app/update_check.h"
#include "gui/clipboard_actions.h"
#include "gui/document_window.h"
#include "gui/gui_application.h"
#include "gui/help_windows.h"
#include "gui/import_dialogs.h"
#include "gui/inspector_panel.h"
#include "gui/plot_widget.h"
#include "gui/preferences_window.h"
#include "gui/undo_keys.h"
#include "io/ascii_actions.h"
#include "io/binary_import.h"
#include "io/document_export.h"
#include "io/vamas_import.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

// The SVG picture of the current document; beeps without one.
void saveSVGAction(Manager& m) {
  if (!m.PD) return m.ui().beep();
  const auto path = m.ui().savePanel("Save document as SVG", "", "");
  if (!path || path->empty()) return;
  std::string error;
  if (!saveSVG(m, *m.PD, *path, error)) m.ui().alert("Export Error", error, {"OK"});
}

void buildFileMenu(QMenu* file, DocumentWindow& w, GuiApplication& gui) {
  Manager& m = gui.manager();
  file->addAction("&New", QKeySequence::New, [&gui] { gui.newDocument().show(); });
  file->addAction("&Open...", QKeySequence::Open, [&gui] { gui.openWithPanel(); });
  QMenu* recent = file->addMenu("Open &Recent");
  auto fillRecent = [recent, &gui] {
    recent->clear();
    for (const QString& f : gui.recentFiles())
      recent->addAction(QFileInfo(f).fileName(), [&gui, f] { gui.openPath(f.toStdString()); })->setToolTip(f);
    recent->setEnabled(!recent->isEmpty());
  };
  fillRecent();
  QObject::connect(&gui, &GuiApplication::recentFilesChanged, recent, fillRecent);
  file->addAction("&Close", QKeySequence::Close, [&w] { w.close(); });
  file->addAction("&Save", QKeySequence::Save, [&w] { w.save(); });
  file->addAction("Save &As...", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_S), [&w] { w.saveAs(); });
  file->addSeparator();
  file->addAction("&Import ASCII...",
                  [&gui, &m] { gui.runImport([&m] { importAsciiAction(m, importPanelPreset()); }); });
  file->addAction("Import &Binary...", [&gui, &m] {
    if (auto o = binaryOptionsDialog(binaryPanelPreset())) gui.runImport([&m, o] { binaryImportAction(m, *o); });
  });
  file->addAction("Import &VAMAS...",
                  [&gui, &m] { gui.runImport([&m] { vamasImportAction(m, vamasPanelPreset()); }); });
  file->addAction("Import &Tabulix Plot...", [&gui, &m] {
    for (const std::string& f : m.ui().openPanel("Tabulix Import", "", true)) gui.openPath(f);
  });
  file->addAction("&MySQL Import...", [&gui] { gui.showPanel("MySQLImport", true); });
  file->addAction("&Export ASCII...", [&gui, &m] { gui.run([&m] { exportAsciiAction(m); }); });
  file->addSeparator();
  file->addAction("Save as PDF...", [&m] { savePDFAction(m); });
  file->addAction("Save as EPS...", [&m] { saveEPSAction(m); });
  file->addAction("Save as PNG...", [&m] { savePNGAction(m); });
  file->addAction("Save as JPEG...", [&m] { saveJPGAction(m); });
  file->addAction("Save as SVG...", [&m] { saveSVGAction(m); });
  file->addSeparator();
  file->addAction("&Print...", QKeySequence::Print, [&gui, &w] { gui.print(w.document(), true); });
  file->addSeparator();
  QAction* quit = file->addAction("&Quit", QKeySequence::Quit, [&gui] { gui.quit(); });
  quit->setMenuRole(QAction::QuitRole);
}

void buildEditMenu(QMenu* edit, DocumentWindow& w, GuiApplication& gui) {
  XylaDocument& d = w.document();
  QAction* undo = edit->addAction("&Undo", QKeySequence::Undo, [&d] { undoDocument(d, false); });
  QAction* redo =
      edit->addAction("&Redo", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z), [&d] { undoDocument(d, true); });
  edit->addSeparator();
  edit->addAction("Cu&t", QKeySequence::Cut, [&gui] { cutAction(gui); });
  edit->addAction("&Copy", QKeySequence::Copy, [&gui] { copyAction(gui); });
  edit->addAction("&Paste", QKeySequence::Paste, [&gui] { pasteAction(gui); });
  edit->addSeparator();
  edit->addAction("Set &Default Style", [&gui] { setDefaultStyleAction(gui.manager()); });
  edit->addAction("Revert &Colors", [] {
    if (Settings* s = Settings::standard()) revertColors(*s);
  });
  QAction* prefs = edit->addAction("Pr&eferences...", QKeySequence(Qt::CTRL | Qt::Key_Comma), [&gui] {
    PreferencesWindow& p = gui.preferences();
    p.refresh();
    p.show();
    p.raise();
    p.activateWindow();
  });
  prefs->setMenuRole(QAction::PreferencesRole);
  QObject::connect(edit, &QMenu::aboutToShow, edit, [undo, redo, &d] {
    undo->setEnabled(d.undoStack.canUndo());
    redo->setEnabled(d.undoStack.canRedo());
  });
}

void buildWindowMenu(QMenu* menu, DocumentWindow& w, GuiApplication& gui) {
  QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, &w, &gui] {
    menu->clear();
    menu->addAction("Minimize", QKeySequence(Qt::CTRL | Qt::Key_M), [&w] { w.showMinimized(); });
    menu->addAction(w.inspector().toggleViewAction());
    menu->addSeparator();
    for (const auto& [title, key] :
         {std::pair{"Data Inspector", "DataViewVisible"}, std::pair{"Report", "ReportVisible"},
          std::pair{"Macros", "MacroInspectorVisible"}, std::pair{"Calculator", "CalculatorVisible"},
          std::pair{"Fit", "FitInspectorVisible"}, std::pair{"MySQL Import", "MySQLImport"}}) {
      QAction* a =
          menu->addAction(title, [&gui, key = std::string(key)] { gui.showPanel(key, !gui.panelVisible(key)); });
      a->setCheckable(true);
      a->setChecked(gui.panelVisible(key));
    }
    menu->addSeparator();
    for (DocumentWindow* other : gui.windows()) {
      QAction* a = menu->addAction(other->windowTitle().remove("[*]"), [other] {
        other->show();
        other->raise();
        other->activateWindow();
      });
      a->setCheckable(true);
      a->setChecked(other == &w);
    }
  });
  // An empty menu would not open at all; give it its entries once now.
  menu->addAction("Minimize", [&w] { w.showMinimized(); });
}

}  // namespace

void fillMacroMenu(QMenu& menu, GuiApplication& gui) {
  menu.clear();
  const auto& list = gui.macros().store().MA;
  for (std::size_t i = 0; i < list.size(); ++i) {
    // The shortcut shows in the menu's shortcut column; the document window runs it.
    QString title = QString::fromStdString(list[i]->name);
    if (const int c = list[i]->shortcut; (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      const auto key = static_cast<Qt::Key>(Qt::Key_A + (std::toupper(c) - 'A'));
      const QKeySequence seq(c <= 'Z' ? (Qt::CTRL | Qt::SHIFT | key) : (Qt::CTRL | key));
      title += "\t" + seq.toString(QKeySequence::NativeText);
    }
    QAction* a = menu.addAction(title);
    a->setData(static_cast<int>(i));
    QObject::connect(a, &QAction::triggered, &gui, [&gui, i] {
      gui.run([&gui, i] { gui.macros().macroByMenu(static_cast<int>(i)); });
      gui.rebuildMacroMenus();
    });
  }
}

void buildMenus(DocumentWindow& w, GuiApplication& gui) {
  QMenuBar* bar = w.menuBar();
  buildFileMenu(bar->addMenu("&File"), w, gui);
  buildEditMenu(bar->addMenu("&Edit"), w, gui);
  QMenu* data = bar->addMenu("&Data");
  for (const DataAction& a : dataActions()) {
    if (a.title.empty()) {
      data->addSeparator();
      continue;
    }
    data->addAction(QString::fromStdString(a.title), [&gui, run = a.run] { gui.run([&gui, &run] { run(gui); }); });
  }
  QMenu* macro = bar->addMenu("&Macro");
  macro->setObjectName("Macro");
  w.setMacroMenu(macro);
  fillMacroMenu(*macro, gui);
  buildWindowMenu(bar->addMenu("&Window"), w, gui);
  QMenu* help = bar->addMenu("&Help");
  buildHelpMenu(*help, gui);
  help->addAction("Check for &Updates...", [&gui] { checkForUpdates(gui.manager().ui(), false); });
}

}  // namespace xyla::gui
