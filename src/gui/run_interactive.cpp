#include "gui/run_interactive.h"

#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

#include "app/application.h"
#include "app/command_line.h"
#include "app/preferences.h"
#include "app/update_check.h"
#include "gui/document_window.h"
#include "gui/gui_application.h"
#include "gui/keyring_passwords.h"
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

// The quiet update check of the start: the version file is read on a thread of its own
// and looked at ten times a second, so the windows never wait for it; a file not read
// within the time limit counts as no news.
void checkForUpdatesInBackground(Ui& ui) {
  const std::string location = updateCheckLocation();
  if (location.empty()) return;
  const auto text = std::make_shared<std::shared_future<std::string>>(readVersionTextInBackground(location));
  const auto timer = new QTimer(qApp);
  const auto started = std::chrono::steady_clock::now();
  QObject::connect(timer, &QTimer::timeout, timer, [&ui, text, timer, started] {
    const bool ready = text->wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    if (!ready && std::chrono::steady_clock::now() - started < std::chrono::duration<double>(kUpdateCheckTimeLimit))
      return;
    timer->deleteLater();
    timer->stop();
    if (ready) reportUpdate(ui, programVersion(), versionFromText(text->get()), true, updateDownloadPage());
  });
  timer->start(100);
}

}  // namespace

int runInteractive(Settings& settings, const CommandLine& cl) {
  QApplication::setQuitOnLastWindowClosed(true);
  QtUi dialogs;
  // Passwords that documents leave out are kept in the desktop's keyring.
  KeyringPasswords keyring;
  PasswordStore::setStandard(&keyring);
  struct Uninstall {
    ~Uninstall() { PasswordStore::setStandard(nullptr); }
  } uninstall;
  GuiApplication gui(dialogs);
  Application& app = gui.app();
  app.connections().allowNetwork(cl.allowNetwork);
  initPreferences(settings, app.macros());
  app.queries().load();
  XylaDocument& start = app.newDocument();
  bool opened = false;
  for (const std::string& path : cl.documents) opened = gui.openPath(path) || opened;
  if (opened && untouched(start)) app.closeDocument(start);
  // The windows come first, so that an import auto-ranges to the size they show.
  gui.adoptDocuments();
  int status = 0;
  // A plain start-up import leaves its buffers selected, as an import from the window does.
  const auto commandLine = [&] { status = app.runCommandLine(cl, std::cout, std::cerr); };
  if (!cl.importFile.empty() && cl.macroFile.empty())
    gui.runImport(commandLine);
  else
    gui.run(commandLine);
  if (app.quitRequested()) return status;
  if (app.documents().empty()) gui.newDocument();
  gui.adoptDocuments();
  gui.restorePanels();
  if (settings.getBool("CheckForUpdates").value_or(false)) checkForUpdatesInBackground(app.manager().ui());
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
