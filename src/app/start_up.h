#pragma once

#include <clocale>
#include <memory>

#include "model/settings.h"

namespace xyla {

// The locale categories the program's own text handling reads: characters, dates and
// times, and the system's messages (what an error says).
inline constexpr int kUserLocaleCategories[] = {LC_CTYPE, LC_TIME, LC_MESSAGES};

// Numbers are always read and written with a decimal point, whatever the user's locale;
// the categories above follow the user's locale.
void useUserLocaleWithDecimalPoint();

// The user-defaults store; XYLA_SETTINGS points it at another file (tests, sandboxes).
std::unique_ptr<Settings> openSettings();

}  // namespace xyla
