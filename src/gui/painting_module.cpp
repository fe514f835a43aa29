// The drawing and window module of the program (see painting_module.h): the table of
// what the batch core calls, and the interactive program.
#include "gui/painting_module.h"

#include <QApplication>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/start_up.h"
#include "gui/run_interactive.h"
#include "io/document_export.h"
#include "render/cairo_canvas.h"
#include "render/font_choice.h"
#include "render/gui_on_demand.h"

namespace {

// The widgets' application object takes its own options (such as -platform) out of the
// arguments before ours are read.
int runWindows(int argc, char** argv) {
  QApplication qapp(argc, argv);
  xyla::useUserLocaleWithDecimalPoint();
  auto settings = xyla::openSettings();
  xyla::ScopedStandardSettings standard(settings.get());
  const xyla::CommandLine cl = xyla::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  const int status = xyla::gui::runInteractive(*settings, cl);
  xyla::releaseFontCaches();
  return status;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const xyla::PaintingFunctions* xylaPaintingFunctions() {
  // Qt's own stores (file dialogs' recent places, ...) go under the program's name.
  static const bool named = [] {
    QCoreApplication::setOrganizationName("Xyla");
    QCoreApplication::setApplicationName("Xyla");
    return true;
  }();
  (void)named;
  static const xyla::PaintingFunctions table{&xyla::savePDF,
                                             &xyla::saveEPS,
                                             &xyla::savePNG,
                                             &xyla::saveJPG,
                                             &xyla::saveSVG,
                                             &xyla::saveDocumentImage,
                                             &xyla::documentImageBytes,
                                             &xyla::cairoTextSize,
                                             &xyla::fontFamilyAvailable,
                                             &xyla::fontFamilyInstalled,
                                             &xyla::releaseFontCaches,
                                             &xyla::releaseGuiApplication,
                                             &runWindows};
  return &table;
}
