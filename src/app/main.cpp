// Entry point of xyla: picks the display platform, creates the controller and runs the
// command line.
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/console_ui.h"
#include "app/preferences.h"
#include "app/start_up.h"
#include "app/update_check.h"
#include "gui/painting_module.h"
#include "model/settings.h"
#include "outside/child_process.h"
#include "render/font_choice.h"
#include "render/gui_on_demand.h"

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

// The interactive program, from the drawing and window module.
int runWindows(int argc, char** argv) {
  std::string error;
  const xyla::PaintingFunctions* module = xyla::paintingModule(error);
  if (!module) {
    std::cerr << "xyla: " << error << "\n";
    return 1;
  }
  return module->runWindows(argc, argv);
}

// Without a display, or with "-q", every run is a batch run.
int runBatch(const xyla::CommandLine& cl) {
  xyla::useUserLocaleWithDecimalPoint();
  auto settings = xyla::openSettings();
  xyla::ScopedStandardSettings standard(settings.get());
  xyla::ConsoleUi ui(std::cerr);
  // Nobody can press Cancel in a batch run: Perl scripts and the spline programs get ten
  // minutes, or the seconds XYLA_CHILD_TIME_LIMIT names.
  const char* limit = std::getenv("XYLA_CHILD_TIME_LIMIT");
  xyla::outside::setBatchTimeLimit(limit ? std::atof(limit) : 600.0);
  int status = 0;
  {
    xyla::Application app(ui);
    xyla::initPreferences(*settings, app.macros(), &app.queries());
    app.newDocument();
    status = app.runCommandLine(cl, std::cout, std::cerr);
    // The quiet update check says something only when a newer version is named; batch
    // runs have no browser to open.
    if (settings->getBool("CheckForUpdates").value_or(false)) xyla::checkForUpdates(ui, true);
  }
  xyla::releaseGuiApplication();
  xyla::releaseFontCaches();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  chooseOffscreenWithoutDisplay();

  // The options decide between a window and a batch run before any Qt application object
  // exists: batch runs bring up Qt's GUI layer only when they draw.
  const xyla::CommandLine preview = xyla::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  // Questions about the program (--help, --version, --commands), mistyped options and fit
  // batches are answered on the console, never by opening a window.
  const bool consoleOnly = preview.help || preview.version || preview.commands || preview.commandsMarkdown ||
                           !preview.errors.empty() || !preview.fitBatch.empty();
  if (!preview.quit && !consoleOnly && hasDisplay()) return runWindows(argc, argv);
  return runBatch(preview);
}
