// Settings of the four axes; argument 0 is the axis list.
#include <cstdio>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_text.h"
#include "macro/style_fonts.h"

namespace xyla {

namespace {

using G = CommandGroup;
template <typename T>
using Field = XylaDocument::PerAxis<T> XylaDocument::*;

void setaxis(Macro& m) {
  for (int k = 0; k < 4; ++k) m.PD->axis[static_cast<std::size_t>(k)] = flag(m, k);
}

template <typename T, typename F>
void eachAxis(Macro& m, Field<T> field, F value) {
  forEachAxis(m, [&](int k) { (m.PD->*field)[static_cast<std::size_t>(k)] = value(); });
}

// "%g" of D1, or "" (automatic) without argument 1.
template <Field<std::string> F>
void numberText(Macro& m) {
  eachAxis(m, F, [&] { return m.O[1] ? formatG(m.D[1]) : std::string(); });
}

template <Field<std::string> F>
void stringText(Macro& m) {
  eachAxis(m, F, [&] { return stringArg(m, 1); });
}

void aminsteps(Macro& m) {
  eachAxis(m, &XylaDocument::scalminticks, [&] { return m.O[1] ? std::to_string(m.I[1]) : std::string(); });
}

// I1 into an integer field when it is Min..Max.
template <Field<int> F, int Min, int Max>
void choice(Macro& m) {
  if (m.I[1] >= Min && m.I[1] <= Max) eachAxis(m, F, [&] { return m.I[1]; });
}

// Flag 1 (any value but 0) into a flag field.
template <Field<bool> F>
void flagOn(Macro& m) {
  eachAxis(m, F, [&] { return flag(m, 1); });
}

// Flag 1 as "= 1" into a flag field.
template <Field<bool> F>
void flagOne(Macro& m) {
  eachAxis(m, F, [&] { return m.I[1] == 1; });
}

// D1 into a length field when it is not negative.
template <Field<double> F>
void length(Macro& m) {
  if (m.D[1] >= 0) eachAxis(m, F, [&] { return m.D[1]; });
}

template <Field<Colour> F>
void colour(Macro& m) {
  eachAxis(m, F, [&] { return colourArgs(m, 1, 4); });
}

template <Field<FontSpec> F>
void font(Macro& m) {
  eachAxis(m, F, [&] { return fontOrUserFont(m.S[1], m.D[2]); });
}

template <Field<signed char> F>
void offset(Macro& m) {
  eachAxis(m, F, [&] { return static_cast<signed char>(truncInt(m.D[1])); });
}

void atext(Macro& m) {
  eachAxis(m, &XylaDocument::axistext, [&] { return m.S[1]; });
}

void aclearlabels(Macro& m) {
  forEachAxis(m, [&](int k) { m.PD->alabel[static_cast<std::size_t>(k)].clear(); });
}

void alabel(Macro& m) {
  forEachAxis(m, [&](int k) { m.PD->alabel[static_cast<std::size_t>(k)][m.S[1]] = m.S[2]; });
}

void anumangle(Macro& m) {
  if (m.D[1] >= 0 && m.D[1] <= 360) eachAxis(m, &XylaDocument::angle, [&] { return m.D[1]; });
}

using D = XylaDocument;

}  // namespace

void registerAxisCommands(CommandTable& t) {
  t.add(G::Axes, "setaxis", "iiii", 4, setaxis,
        {"bottom left top right", "Shows (1) or hides (0) each of the four axes."});
  t.add(G::Axes, "ascalstart", "ad", 1, numberText<&D::scalstart>,
        {"axes [value]", "Sets where the ticks of the axes start; without a value, automatic."});
  t.add(G::Axes, "ascalend", "ad", 1, numberText<&D::scalend>,
        {"axes [value]", "Sets where the ticks of the axes end; without a value, automatic."});
  t.add(G::Axes, "atickdist", "as", 1, stringText<&D::scalspace>,
        {"axes [distance]", "Sets the distance of the ticks (a number or a time step); empty for automatic."});
  t.add(G::Axes, "aminsteps", "ai", 1, aminsteps,
        {"axes [count]", "Sets the number of minor ticks per tick; without a count, automatic."});
  t.add(G::Axes, "atimeformat", "as", 1, stringText<&D::axistimeformat>,
        {"axes [format]", "Sets the date format of time axes (strftime style, \\n for a line break); empty for automatic."});
  t.add(G::Axes, "ascalexpr", "as", 1, stringText<&D::scaleexpr>,
        {"axes [expression]", "Numbers the axes with the expression of the value x instead of the value itself."});
  t.add(G::Axes, "atrigger", "as", 1, stringText<&D::trigger>,
        {"axes [text]", "Sets the trigger text of the axes."});
  t.add(G::Axes, "aexpoffset", "ai", 2, choice<&D::expoff, 0, 2147483647>,
        {"axes digits", "Writes numbers beyond 10^digits (or below 10^-digits) with an exponent."});
  t.add(G::Axes, "adecplaces", "ai", 2, choice<&D::dp, 0, 12>,
        {"axes places", "Sets the decimal places 0-12 of the axis numbers."});
  t.add(G::Axes, "adecplacesauto", "ai", 2, flagOne<&D::dpauto>,
        {"axes on", "Chooses the decimal places of the axis numbers automatically (1) or not (0)."});
  t.add(G::Axes, "aformat", "ai", 2, choice<&D::axismode, 0, 2>,
        {"axes mode", "Sets the scale of the axes: 0 linear, 1 logarithmic, 2 time."});
  t.add(G::Axes, "asetsmalllogzero", "ai", 2, flagOne<&D::smalllog>,
        {"axes on", "Shows values at or below 0 on a logarithmic axis at its small end (1) or not (0)."});
  t.add(G::Axes, "asetreverse", "ai", 2, flagOne<&D::reverse>,
        {"axes on", "Runs the axes from the large to the small value (1) or not (0)."});
  t.add(G::Axes, "atext", "as", 2, atext,
        {"axes title", "Sets the title of the axes."});
  t.add(G::Axes, "anumfont", "asd", 3, font<&D::numfont>,
        {"axes family size", "Sets the font of the axis numbers."});
  t.add(G::Axes, "anumoffset", "ad", 2, offset<&D::numoff>,
        {"axes offset", "Moves the axis numbers away from the axis by the offset in points."});
  t.add(G::Axes, "atextfont", "asd", 3, font<&D::textfont>,
        {"axes family size", "Sets the font of the axis titles."});
  t.add(G::Axes, "atextoffset", "ad", 2, offset<&D::textoff>,
        {"axes offset", "Moves the axis titles away from the axis by the offset in points."});
  t.add(G::Axes, "asetnum", "ai", 2, flagOn<&D::numbers>,
        {"axes on", "Shows the numbers of the axes (1) or not (0)."});
  t.add(G::Axes, "asettext", "ai", 2, flagOn<&D::text>,
        {"axes on", "Shows the titles of the axes (1) or not (0)."});
  t.add(G::Axes, "asetfliptext", "ai", 2, flagOn<&D::fliptext>,
        {"axes on", "Turns the titles of the axes the other way round (1) or not (0)."});
  t.add(G::Axes, "atextcolor", "adddd", 4, colour<&D::axistextcolor>,
        {"axes red green blue [alpha]", "Sets the colour of the axis titles and numbers."});
  t.add(G::Axes, "asetzeroline", "ai", 2, flagOn<&D::zeroline>,
        {"axes on", "Draws a line at the value 0 across the plot (1) or not (0)."});
  t.add(G::Axes, "azerolinecolor", "adddd", 4, colour<&D::zerocolor>,
        {"axes red green blue [alpha]", "Sets the colour of the zero lines."});
  t.add(G::Axes, "aticklength", "ad", 2, length<&D::ticklength>,
        {"axes length", "Sets the length of the ticks in points."});
  t.add(G::Axes, "atickwidth", "ad", 2, length<&D::tickwidth>,
        {"axes width", "Sets the line width of the ticks."});
  t.add(G::Axes, "aminticklength", "ad", 2, length<&D::mticklength>,
        {"axes length", "Sets the length of the minor ticks in points."});
  t.add(G::Axes, "amintickwidth", "ad", 2, length<&D::mtickwidth>,
        {"axes width", "Sets the line width of the minor ticks."});
  t.add(G::Axes, "asetticks", "ai", 2, flagOn<&D::ticks>,
        {"axes on", "Draws the ticks (1) or not (0)."});
  t.add(G::Axes, "asetminticks", "ai", 2, flagOn<&D::mticks>,
        {"axes on", "Draws the minor ticks (1) or not (0)."});
  t.add(G::Axes, "asetticksbothsides", "ai", 2, flagOn<&D::ticksboth>,
        {"axes on", "Draws the ticks on both sides of the axis line (1) or inside only (0)."});
  t.add(G::Axes, "asetminticksbothsides", "ai", 2, flagOn<&D::mticksboth>,
        {"axes on", "Draws the minor ticks on both sides of the axis line (1) or inside only (0)."});
  t.add(G::Axes, "atickcolor", "adddd", 4, colour<&D::tickcolor>,
        {"axes red green blue [alpha]", "Sets the colour of the ticks."});
  t.add(G::Axes, "amintickcolor", "adddd", 4, colour<&D::mtickcolor>,
        {"axes red green blue [alpha]", "Sets the colour of the minor ticks."});
  t.add(G::Axes, "atickstyle", "ai", 2, choice<&D::tickstyle, 0, 2>,
        {"axes style", "Sets the tick style 0-2 of the axes."});
  t.add(G::Axes, "asetgrid", "ai", 2, flagOn<&D::grid>,
        {"axes on", "Draws grid lines at the ticks (1) or not (0)."});
  t.add(G::Axes, "asetmingrid", "ai", 2, flagOn<&D::mgrid>,
        {"axes on", "Draws grid lines at the minor ticks (1) or not (0)."});
  t.add(G::Axes, "agridcolor", "adddd", 4, colour<&D::gridcolor>,
        {"axes red green blue [alpha]", "Sets the colour of the grid."});
  t.add(G::Axes, "agridwidth", "ad", 2, length<&D::gridwidth>,
        {"axes width", "Sets the line width of the grid."});
  t.add(G::Axes, "agridpattern", "ai", 2, choice<&D::gridpattern, 0, 15>,
        {"axes pattern", "Sets the dash pattern 0-15 of the grid."});
  t.add(G::Axes, "agridfront", "ai", 2, flagOn<&D::gridfront>,
        {"axes on", "Draws the grid in front of the data (1) or behind (0)."});
  t.add(G::Axes, "amingridcolor", "adddd", 4, colour<&D::mgridcolor>,
        {"axes red green blue [alpha]", "Sets the colour of the minor grid."});
  t.add(G::Axes, "amingridwidth", "ad", 2, length<&D::mgridwidth>,
        {"axes width", "Sets the line width of the minor grid."});
  t.add(G::Axes, "amingridpattern", "ai", 2, choice<&D::mgridpattern, 0, 15>,
        {"axes pattern", "Sets the dash pattern 0-15 of the minor grid."});
  t.add(G::Axes, "amingridfront", "ai", 2, flagOn<&D::mgridfront>,
        {"axes on", "Draws the minor grid in front of the data (1) or behind (0)."});
  t.add(G::Axes, "aclearlabels", "a", 1, aclearlabels,
        {"axes", "Removes the custom labels of the axes."});
  t.add(G::Axes, "alabel", "ass", 3, alabel,
        {"axes value label", "Writes the label instead of the number at the value on the axes."});
  t.add(G::Axes, "anumalign", "ai", 2, choice<&D::align, 0, 8>,
        {"axes alignment", "Sets the alignment 0-8 of the axis numbers."});
  t.add(G::Axes, "anumangle", "ad", 2, anumangle,
        {"axes angle", "Turns the axis numbers by the angle (0-360 degrees)."});
}

}  // namespace xyla
