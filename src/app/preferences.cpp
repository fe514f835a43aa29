#include "app/preferences.h"

#include <string>

#include "io/mysql_queries.h"
#include "macro/macro_controller.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

std::string paletteKey(int i) { return "IPcolor" + std::to_string(i); }

}  // namespace

void revertColors(Settings& s) {
  const std::array<Colour, 16> colours = defaultPalette();
  for (int i = 0; i < 16; ++i) {
    s.remove(paletteKey(i));
    s.setColour(paletteKey(i), colours[static_cast<std::size_t>(i)]);
  }
  s.sync();
}

bool setDefaultStyleAction(Manager& m) {
  const DataBuffer* b = m.PD ? m.PD->buffer(m.PD->current) : nullptr;
  if (!b || !Settings::standard()) {
    m.ui().beep();
    return false;
  }
  b->saveAsDefaultStyle();
  return true;
}

void initPreferences(Settings& s, MacroController& macros, QueryStore* queries) {
  if (!s.contains(paletteKey(0))) revertColors(s);
  if (!s.contains("TDF")) s.setString("TDF", kDefaultTimeFormat);
  macros.load();
  if (queries) queries->load();
  s.sync();
}

}  // namespace xyla
