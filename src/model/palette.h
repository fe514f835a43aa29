#pragma once

#include <array>

#include "model/colour.h"

namespace xyla {

class Settings;

// The preference palette "IPcolor0" .. "IPcolor15": default colours of new buffers.
std::array<Colour, 16> defaultPalette();
// The palette as stored (defaults for missing or unreadable keys).
std::array<Colour, 16> palette(const Settings& s);
// Colour k of the standard store's palette; k counts on around the 16 colours. The
// default palette when no store is installed.
Colour paletteColour(int k);

}  // namespace xyla
