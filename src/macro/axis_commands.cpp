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
  t.add(G::Axes, "setaxis", "iiii", 4, setaxis);
  t.add(G::Axes, "ascalstart", "ad", 1, numberText<&D::scalstart>);
  t.add(G::Axes, "ascalend", "ad", 1, numberText<&D::scalend>);
  t.add(G::Axes, "atickdist", "as", 1, stringText<&D::scalspace>);
  t.add(G::Axes, "aminsteps", "ai", 1, aminsteps);
  t.add(G::Axes, "atimeformat", "as", 1, stringText<&D::axistimeformat>);
  t.add(G::Axes, "ascalexpr", "as", 1, stringText<&D::scaleexpr>);
  t.add(G::Axes, "atrigger", "as", 1, stringText<&D::trigger>);
  t.add(G::Axes, "aexpoffset", "ai", 2, choice<&D::expoff, 0, 2147483647>);
  t.add(G::Axes, "adecplaces", "ai", 2, choice<&D::dp, 0, 12>);
  t.add(G::Axes, "adecplacesauto", "ai", 2, flagOne<&D::dpauto>);
  t.add(G::Axes, "aformat", "ai", 2, choice<&D::axismode, 0, 2>);
  t.add(G::Axes, "asetsmalllogzero", "ai", 2, flagOne<&D::smalllog>);
  t.add(G::Axes, "asetreverse", "ai", 2, flagOne<&D::reverse>);
  t.add(G::Axes, "atext", "as", 2, atext);
  t.add(G::Axes, "anumfont", "asd", 3, font<&D::numfont>);
  t.add(G::Axes, "anumoffset", "ad", 2, offset<&D::numoff>);
  t.add(G::Axes, "atextfont", "asd", 3, font<&D::textfont>);
  t.add(G::Axes, "atextoffset", "ad", 2, offset<&D::textoff>);
  t.add(G::Axes, "asetnum", "ai", 2, flagOn<&D::numbers>);
  t.add(G::Axes, "asettext", "ai", 2, flagOn<&D::text>);
  t.add(G::Axes, "asetfliptext", "ai", 2, flagOn<&D::fliptext>);
  t.add(G::Axes, "atextcolor", "adddd", 4, colour<&D::axistextcolor>);
  t.add(G::Axes, "asetzeroline", "ai", 2, flagOn<&D::zeroline>);
  t.add(G::Axes, "azerolinecolor", "adddd", 4, colour<&D::zerocolor>);
  t.add(G::Axes, "aticklength", "ad", 2, length<&D::ticklength>);
  t.add(G::Axes, "atickwidth", "ad", 2, length<&D::tickwidth>);
  t.add(G::Axes, "aminticklength", "ad", 2, length<&D::mticklength>);
  t.add(G::Axes, "amintickwidth", "ad", 2, length<&D::mtickwidth>);
  t.add(G::Axes, "asetticks", "ai", 2, flagOn<&D::ticks>);
  t.add(G::Axes, "asetminticks", "ai", 2, flagOn<&D::mticks>);
  t.add(G::Axes, "asetticksbothsides", "ai", 2, flagOn<&D::ticksboth>);
  t.add(G::Axes, "asetminticksbothsides", "ai", 2, flagOn<&D::mticksboth>);
  t.add(G::Axes, "atickcolor", "adddd", 4, colour<&D::tickcolor>);
  t.add(G::Axes, "amintickcolor", "adddd", 4, colour<&D::mtickcolor>);
  t.add(G::Axes, "atickstyle", "ai", 2, choice<&D::tickstyle, 0, 2>);
  t.add(G::Axes, "asetgrid", "ai", 2, flagOn<&D::grid>);
  t.add(G::Axes, "asetmingrid", "ai", 2, flagOn<&D::mgrid>);
  t.add(G::Axes, "agridcolor", "adddd", 4, colour<&D::gridcolor>);
  t.add(G::Axes, "agridwidth", "ad", 2, length<&D::gridwidth>);
  t.add(G::Axes, "agridpattern", "ai", 2, choice<&D::gridpattern, 0, 15>);
  t.add(G::Axes, "agridfront", "ai", 2, flagOn<&D::gridfront>);
  t.add(G::Axes, "amingridcolor", "adddd", 4, colour<&D::mgridcolor>);
  t.add(G::Axes, "amingridwidth", "ad", 2, length<&D::mgridwidth>);
  t.add(G::Axes, "amingridpattern", "ai", 2, choice<&D::mgridpattern, 0, 15>);
  t.add(G::Axes, "amingridfront", "ai", 2, flagOn<&D::mgridfront>);
  t.add(G::Axes, "aclearlabels", "a", 1, aclearlabels);
  t.add(G::Axes, "alabel", "ass", 3, alabel);
  t.add(G::Axes, "anumalign", "ai", 2, choice<&D::align, 0, 8>);
  t.add(G::Axes, "anumangle", "ad", 2, anumangle);
}

}  // namespace xyla
