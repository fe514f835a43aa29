#include "gui/run_interactive.h"

#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>

#include "app/application.h"
#include "app/command_line.h"
#include "app/preferences.h"
#include "app/update_check.h"
#include "gui/document_window.h"
#include "gui/gui_application.h"
#include "gui/plot_widget.h"
#include "gui/qt_ui.h"
#include "model/settings.h"
#include "model/xyla_document.h"

namespace xyla::gui {

namespace {

// Time since the kernel started this process, from /proc (10 ms steps).
double millisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat"), up("/proc/uptime");
  std::string line;
  std::getline(stat, line);
  // Field 22 (start time in clock ticks) counts from after the command name's ')'.
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  double uptime = 0;
  up >> uptime;
  return (uptime - std::stod(field.empty() ? "0" : field) / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

// An untitled document nobody has touched is dropped when the desktop opened files.
bool untouched(const XylaDocument& d) { return d.fileName.empty() && !d.edited && d.DB.empty(); }

}  // namespace

int runInteractive(Settings& settings, const CommandLine& cl) {
  QApplication::setQuitOnLastWindowClosed(true);
  QtUi dialogs;
  GuiApplication gui(dialogs);
  Application& app = gui.app();
  initPreferences(settings, app.macros());
  app.queries().load();
  XylaDocument& start = app.newDocument();
  bool opened = false;
  for (const std::string& path : cl.documents) opened = gui.openPath(path) || opened;
  if (opened && untouched(start)) app.closeDocument(start);
  // The windows come first, so that an import auto-ranges to the size they show.
  gui.adoptDocuments();
  int status = 0;
  gui.run([&] { status = app.runCommandLine(cl, std::cout, std::cerr); });
  if (app.quitRequested()) return status;
  if (app.documents().empty()) gui.newDocument();
  gui.adoptDocuments();
  gui.restorePanels();
  if (settings.getBool("CheckForUpdates").value_or(false)) checkForUpdates(app.manager().ui(), true);
  // XYLA_QUIT_AFTER_PAINT ends the run once the first window is on screen (start-up
  // measurements).
  if (std::getenv("XYLA_QUIT_AFTER_PAINT"))
    for (DocumentWindow* w : gui.windows())
      QObject::connect(&w->plot(), &PlotWidget::firstPainted, qApp, [] {
        static bool told = false;
        if (std::exchange(told, true)) return;
        std::cout << "first paint after " << millisecondsSinceProcessStart() << " ms\n" << std::flush;
        QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
      });
  return QApplication::exec() == 0 ? status : 1;
}

}  // namespace xyla::gui
