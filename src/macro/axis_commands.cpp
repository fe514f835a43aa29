// Settings of the four axes; argument 0 is the axis list.

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/field_commands.h"

namespace xyla {

namespace {

using G = CommandGroup;

void setaxis(Macro& m) {
  for (int k = 0; k < 4; ++k) m.PD->axis[static_cast<std::size_t>(k)] = flag(m, k);
}

void aclearlabels(Macro& m) {
  forEachAxis(m, [&](int k) { m.PD->alabel[static_cast<std::size_t>(k)].clear(); });
}

void alabel(Macro& m) {
  forEachAxis(m, [&](int k) { m.PD->alabel[static_cast<std::size_t>(k)][m.S[1]] = m.S[2]; });
}

}  // namespace

void registerAxisCommands(CommandTable& t) {
  t.add(G::Axes, "setaxis", "iiii", 4, setaxis,
        {"bottom left top right", "Shows (1) or hides (0) each of the four axes."});
  // Scale and numbers.
  addFieldCommands(t, G::Axes, FieldRecord::Axis,
                   {"ascalstart", "ascalend", "atickdist", "aminsteps", "atimeformat", "ascalexpr", "atrigger",
                    "aexpoffset", "adecplaces", "adecplacesauto", "aformat", "asetsmalllogzero", "asetreverse"});
  // Titles and numbers.
  addFieldCommands(t, G::Axes, FieldRecord::Axis,
                   {"atext", "anumfont", "anumoffset", "atextfont", "atextoffset", "asetnum", "asettext",
                    "asetfliptext", "atextcolor"});
  // Zero line and ticks.
  addFieldCommands(
      t, G::Axes, FieldRecord::Axis,
      {"asetzeroline", "azerolinecolor", "aticklength", "atickwidth", "aminticklength", "amintickwidth", "asetticks",
       "asetminticks", "asetticksbothsides", "asetminticksbothsides", "atickcolor", "amintickcolor", "atickstyle"});
  // Grid.
  addFieldCommands(t, G::Axes, FieldRecord::Axis,
                   {"asetgrid", "asetmingrid", "agridcolor", "agridwidth", "agridpattern", "agridfront",
                    "amingridcolor", "amingridwidth", "amingridpattern", "amingridfront"});
  t.add(G::Axes, "aclearlabels", "a", 1, aclearlabels,
        {"axes", "Removes the custom labels of the axes."});
  t.add(G::Axes, "alabel", "ass", 3, alabel,
        {"axes value label", "Writes the label instead of the number at the value on the axes."});
  addFieldCommands(t, G::Axes, FieldRecord::Axis, {"anumalign", "anumangle"});
}

}  // namespace xyla
