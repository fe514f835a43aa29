#pragma once

#include <memory>

#include "model/settings.h"

namespace xyla {

// Numbers are always read and written with a decimal point, whatever the user's locale;
// everything else follows the user's locale, as Qt sets it.
void useUserLocaleWithDecimalPoint();

// The user-defaults store; XYLA_SETTINGS points it at another file (tests, sandboxes).
std::unique_ptr<Settings> openSettings();

}  // namespace xyla
