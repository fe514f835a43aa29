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

void field(CommandTable& t, const char* name, int minimum, CommandHelp help, FieldRule rule = {}) {
  addFieldCommand(t, G::Axes, FieldRecord::Axis, name, minimum, std::move(help), rule);
}

}  // namespace

void registerAxisCommands(CommandTable& t) {
  t.add(G::Axes, "setaxis", "iiii", 4, setaxis,
        {"bottom left top right", "Shows (1) or hides (0) each of the four axes."});
  field(t, "ascalstart", 1, {"axes [value]", "Sets where the ticks of the axes start; without a value, automatic."});
  field(t, "ascalend", 1, {"axes [value]", "Sets where the ticks of the axes end; without a value, automatic."});
  field(t, "atickdist", 1,
        {"axes [distance]", "Sets the distance of the ticks (a number or a time step); empty for automatic."});
  field(t, "aminsteps", 1, {"axes [count]", "Sets the number of minor ticks per tick; without a count, automatic."});
  field(t, "atimeformat", 1,
        {"axes [format]",
         "Sets the date format of time axes (strftime style, \\n for a line break); empty for automatic."});
  field(t, "ascalexpr", 1,
        {"axes [expression]", "Numbers the axes with the expression of the value v instead of the value itself."});
  field(t, "atrigger", 1, {"axes [text]", "Sets the trigger text of the axes."});
  field(t, "aexpoffset", 2, {"axes digits", "Writes numbers beyond 10^digits (or below 10^-digits) with an exponent."},
        choices(2147483647));
  field(t, "adecplaces", 2, {"axes places", "Sets the decimal places 0-12 of the axis numbers."}, choices(12));
  field(t, "adecplacesauto", 2,
        {"axes on", "Chooses the decimal places of the axis numbers automatically (1) or not (0)."}, kOnlyOne);
  field(t, "aformat", 2, {"axes mode", "Sets the scale of the axes: 0 linear, 1 logarithmic, 2 time."}, choices(2));
  field(t, "asetsmalllogzero", 2,
        {"axes on", "Shows values at or below 0 on a logarithmic axis at its small end (1) or not (0)."}, kOnlyOne);
  field(t, "asetreverse", 2, {"axes on", "Runs the axes from the large to the small value (1) or not (0)."}, kOnlyOne);
  field(t, "atext", 2, {"axes title", "Sets the title of the axes."});
  field(t, "anumfont", 3, {"axes family size", "Sets the font of the axis numbers."});
  field(t, "anumoffset", 2, {"axes offset", "Moves the axis numbers away from the axis by the offset in points."});
  field(t, "atextfont", 3, {"axes family size", "Sets the font of the axis titles."});
  field(t, "atextoffset", 2, {"axes offset", "Moves the axis titles away from the axis by the offset in points."});
  field(t, "asetnum", 2, {"axes on", "Shows the numbers of the axes (1) or not (0)."});
  field(t, "asettext", 2, {"axes on", "Shows the titles of the axes (1) or not (0)."});
  field(t, "asetfliptext", 2, {"axes on", "Turns the titles of the axes the other way round (1) or not (0)."});
  field(t, "atextcolor", 4, {"axes red green blue [alpha]", "Sets the colour of the axis titles and numbers."});
  field(t, "asetzeroline", 2, {"axes on", "Draws a line at the value 0 across the plot (1) or not (0)."});
  field(t, "azerolinecolor", 4, {"axes red green blue [alpha]", "Sets the colour of the zero lines."});
  field(t, "aticklength", 2, {"axes length", "Sets the length of the ticks in points."}, kNotNegative);
  field(t, "atickwidth", 2, {"axes width", "Sets the line width of the ticks."}, kNotNegative);
  field(t, "aminticklength", 2, {"axes length", "Sets the length of the minor ticks in points."}, kNotNegative);
  field(t, "amintickwidth", 2, {"axes width", "Sets the line width of the minor ticks."}, kNotNegative);
  field(t, "asetticks", 2, {"axes on", "Draws the ticks (1) or not (0)."});
  field(t, "asetminticks", 2, {"axes on", "Draws the minor ticks (1) or not (0)."});
  field(t, "asetticksbothsides", 2,
        {"axes on", "Draws the ticks on both sides of the axis line (1) or inside only (0)."});
  field(t, "asetminticksbothsides", 2,
        {"axes on", "Draws the minor ticks on both sides of the axis line (1) or inside only (0)."});
  field(t, "atickcolor", 4, {"axes red green blue [alpha]", "Sets the colour of the ticks."});
  field(t, "amintickcolor", 4, {"axes red green blue [alpha]", "Sets the colour of the minor ticks."});
  field(t, "atickstyle", 2, {"axes style", "Sets the tick style 0-2 of the axes."}, choices(2));
  field(t, "asetgrid", 2, {"axes on", "Draws grid lines at the ticks (1) or not (0)."});
  field(t, "asetmingrid", 2, {"axes on", "Draws grid lines at the minor ticks (1) or not (0)."});
  field(t, "agridcolor", 4, {"axes red green blue [alpha]", "Sets the colour of the grid."});
  field(t, "agridwidth", 2, {"axes width", "Sets the line width of the grid."}, kNotNegative);
  field(t, "agridpattern", 2, {"axes pattern", "Sets the dash pattern 0-15 of the grid."}, choices(15));
  field(t, "agridfront", 2, {"axes on", "Draws the grid in front of the data (1) or behind (0)."});
  field(t, "amingridcolor", 4, {"axes red green blue [alpha]", "Sets the colour of the minor grid."});
  field(t, "amingridwidth", 2, {"axes width", "Sets the line width of the minor grid."}, kNotNegative);
  field(t, "amingridpattern", 2, {"axes pattern", "Sets the dash pattern 0-15 of the minor grid."}, choices(15));
  field(t, "amingridfront", 2, {"axes on", "Draws the minor grid in front of the data (1) or behind (0)."});
  t.add(G::Axes, "aclearlabels", "a", 1, aclearlabels,
        {"axes", "Removes the custom labels of the axes."});
  t.add(G::Axes, "alabel", "ass", 3, alabel,
        {"axes value label", "Writes the label instead of the number at the value on the axes."});
  field(t, "anumalign", 2, {"axes alignment", "Sets the alignment 0-8 of the axis numbers."}, choices(8));
  field(t, "anumangle", 2, {"axes angle", "Turns the axis numbers by the angle (0-360 degrees)."}, FieldRule{0, 360});
}

}  // namespace xyla
