#include "app/preferences.h"

#include <string>

#include "macro/macro_controller.h"
#include "model/settings.h"

namespace xyla {

namespace {

std::string paletteKey(int i) { return "IPcolor" + std::to_string(i); }

}  // namespace

std::array<Colour, 16> defaultPalette() {
  return {{{0, 0, 0, 1},
           {0.50196, 0, 0, 1},
           {0, 0.25016, 0.50405, 1},
           {0, 0.50196, 0.50196, 1},
           {0.50196, 0, 0.50196, 1},
           {0.50196, 0.50196, 0, 1},
           {0.50196, 0.25098, 0, 1},
           {0.25098, 0, 0.50196, 1},
           {0.4, 0.4, 0.4, 1},
           {1, 0.4, 0.4, 1},
           {0.4, 0.4, 1, 1},
           {0.4, 1, 0.8, 1},
           {0.8, 0.4, 1, 1},
           {0.8, 1, 0.4, 1},
           {1, 0.8, 0.4, 1},
           {0.50196, 0, 1, 1}}};
}

void revertColors(Settings& s) {
  const std::array<Colour, 16> colours = defaultPalette();
  for (int i = 0; i < 16; ++i) {
    s.remove(paletteKey(i));
    s.setColour(paletteKey(i), colours[static_cast<std::size_t>(i)]);
  }
  s.sync();
}

std::array<Colour, 16> palette(const Settings& s) {
  std::array<Colour, 16> colours = defaultPalette();
  for (int i = 0; i < 16; ++i) {
    if (auto c = s.getColour(paletteKey(i))) colours[static_cast<std::size_t>(i)] = *c;
  }
  return colours;
}

void initPreferences(Settings& s, MacroController& macros) {
  if (!s.contains(paletteKey(0))) revertColors(s);
  if (!s.contains("TDF")) s.setString("TDF", kDefaultTimeFormat);
  macros.load();
  s.sync();
}

}  // namespace xyla
