#include "app/start_up.h"

#include <clocale>
#include <cstdlib>

namespace xyla {

void useUserLocaleWithDecimalPoint() {
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
}

std::unique_ptr<Settings> openSettings() {
  const char* settingsPath = std::getenv("XYLA_SETTINGS");
  return settingsPath ? std::make_unique<Settings>(settingsPath) : std::make_unique<Settings>();
}

}  // namespace xyla
