#pragma once

#include <array>

#include "model/colour.h"
#include "model/palette.h"

namespace xyla {

class MacroController;
class Manager;
class QueryStore;
class Settings;

// Removes the 16 palette keys and stores the default palette again; flushes the store.
void revertColors(Settings& s);

// The set-default-style action: the current buffer's style becomes the style of new
// buffers (stored under the buffer table's default keys). Beeps and answers false
// without a current buffer or a store.
bool setDefaultStyleAction(Manager& m);

// Reads the preferences at start-up: the macro list and calculator state, the MySQL
// query list (when given), the palette and "TDF". On first launch (no palette stored
// yet) the defaults are written; the macro list gets its one empty macro when it has
// none and the query list its "New Query". Flushes the store.
void initPreferences(Settings& s, MacroController& macros, QueryStore* queries = nullptr);

// The default time display format of the data table.
inline constexpr const char* kDefaultTimeFormat = "%Y-%m-%d %H:%M:%S";

}  // namespace xyla
