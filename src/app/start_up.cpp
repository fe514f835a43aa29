#include "app/start_up.h"

#include <clocale>
#include <cstdlib>

namespace xyla {

void useUserLocaleWithDecimalPoint() {
  // Only the categories the program reads: loading all thirteen costs a batch run a
  // tenth of a millisecond. The windows' toolkit takes all of them itself.
  for (const int category : kUserLocaleCategories) std::setlocale(category, "");
  std::setlocale(LC_NUMERIC, "C");
}

std::unique_ptr<Settings> openSettings() {
  const char* settingsPath = std::getenv("XYLA_SETTINGS");
  return settingsPath ? std::make_unique<Settings>(settingsPath) : std::make_unique<Settings>();
}

}  // namespace xyla
