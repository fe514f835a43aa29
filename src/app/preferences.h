#pragma once

#include <array>

#include "model/colour.h"

namespace xyla {

class MacroController;
class Settings;

// The preference palette "IPcolor0" .. "IPcolor15": default colours of new buffers.
std::array<Colour, 16> defaultPalette();
// Removes the 16 palette keys and stores the default palette again; flushes the store.
void revertColors(Settings& s);
// The palette as stored (defaults for missing or unreadable keys).
std::array<Colour, 16> palette(const Settings& s);

// Reads the preferences at start-up: the macro list and calculator state, the palette
// and "TDF". On first launch (no palette stored yet) the defaults are written; the
// macro list gets its one empty macro when it has none. Flushes the store.
void initPreferences(Settings& s, MacroController& macros);

// The default time display format of the data table.
inline constexpr const char* kDefaultTimeFormat = "%Y-%m-%d %H:%M:%S";

}  // namespace xyla
