// Entry point of xyla: picks the display platform, creates the controller and runs the
// command line.
#include <QApplication>

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/console_ui.h"
#include "app/preferences.h"
#include "app/update_check.h"
#include "gui/run_interactive.h"
#include "model/settings.h"
#include "outside/child_process.h"
#include "render/font_choice.h"

namespace {

// Without a display the program runs on Qt's offscreen platform, so batch runs work on
// servers and in CI.
void chooseOffscreenWithoutDisplay() {
  const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  if (!display && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt wants a private runtime directory; batch runs as root often have none.
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const std::string dir = "/tmp/xyla-runtime-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
}

// Windows need a real display; Qt's offscreen platform means a batch run.
bool hasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && std::string(platform) == "offscreen") return false;
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  chooseOffscreenWithoutDisplay();
  QApplication qapp(argc, argv);
  QApplication::setOrganizationName("Xyla");
  QApplication::setApplicationName("Xyla");
  // Numbers are always read and written with a decimal point, whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");

  // XYLA_SETTINGS points the user-defaults store at another file (tests, sandboxes).
  const char* settingsPath = std::getenv("XYLA_SETTINGS");
  auto settings = settingsPath ? std::make_unique<xyla::Settings>(settingsPath) : std::make_unique<xyla::Settings>();
  xyla::ScopedStandardSettings standard(settings.get());

  std::vector<std::string> args(argv + 1, argv + argc);
  const xyla::CommandLine cl = xyla::parseCommandLine(args);
  // Questions about the program (--help, --commands) and mistyped options are answered
  // on the console, never by opening a window.
  const bool consoleOnly = cl.help || cl.commands || cl.commandsMarkdown || !cl.errors.empty();
  if (!cl.quit && !consoleOnly && hasDisplay()) {
    const int status = xyla::gui::runInteractive(*settings, cl);
    xyla::releaseFontCaches();
    return status;
  }

  xyla::ConsoleUi ui(std::cerr);
  // Nobody can press Cancel in a batch run: Perl scripts and the spline programs get ten
  // minutes, or the seconds XYLA_CHILD_TIME_LIMIT names.
  const char* limit = std::getenv("XYLA_CHILD_TIME_LIMIT");
  xyla::outside::setBatchTimeLimit(limit ? std::atof(limit) : 600.0);
  xyla::Application app(ui);
  xyla::initPreferences(*settings, app.macros(), &app.queries());
  app.newDocument();
  const int status = app.runCommandLine(cl, std::cout, std::cerr);
  // The quiet update check says something only when a newer version is named; batch
  // runs have no browser to open.
  if (settings->getBool("CheckForUpdates").value_or(false)) xyla::checkForUpdates(ui, true, nullptr);
  // Without a display, or with "-q", every run is a batch run and ends here.
  xyla::releaseFontCaches();
  return status;
}
