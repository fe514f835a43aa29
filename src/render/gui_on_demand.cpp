#include "render/gui_on_demand.h"

#include <QGuiApplication>
#include <clocale>
#include <memory>
#include <string>

namespace xyla {

namespace {

// QGuiApplication keeps references to its argument count and vector for its lifetime.
int gArgc = 1;
char gName[] = "xyla";
char* gArgv[] = {gName, nullptr};

std::unique_ptr<QGuiApplication>& madeHere() {
  static std::unique_ptr<QGuiApplication> app;
  return app;
}

}  // namespace

void ensureGuiApplication() {
  if (QCoreApplication::instance()) return;
  // Qt sets every locale category from the environment when its first application
  // object comes up; numbers stay with the decimal point the run began with.
  const std::string numeric = std::setlocale(LC_NUMERIC, nullptr);
  madeHere() = std::make_unique<QGuiApplication>(gArgc, gArgv);
  std::setlocale(LC_NUMERIC, numeric.c_str());
}

void releaseGuiApplication() { madeHere().reset(); }

bool guiApplicationMadeOnDemand() { return madeHere() != nullptr; }

}  // namespace xyla
