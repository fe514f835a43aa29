#include "model/palette.h"

#include <string>

#include "model/settings.h"

namespace xyla {

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

std::array<Colour, 16> palette(const Settings& s) {
  std::array<Colour, 16> colours = defaultPalette();
  for (int i = 0; i < 16; ++i) {
    if (auto c = s.getColour("IPcolor" + std::to_string(i))) colours[static_cast<std::size_t>(i)] = *c;
  }
  return colours;
}

Colour paletteColour(int k) {
  const std::size_t i = static_cast<std::size_t>(k < 0 ? 0 : k) % 16;
  const Settings* s = Settings::standard();
  return s ? palette(*s)[i] : defaultPalette()[i];
}

}  // namespace xyla
