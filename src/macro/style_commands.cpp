// Drawing style of buffers.
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"

namespace xyla {

namespace {

using G = CommandGroup;

// The ten plot flags in the order of the bstyle arguments.
constexpr bool DataBuffer::*kStyleFlags[] = {
    &DataBuffer::plotlines,   &DataBuffer::plotsymbols, &DataBuffer::plotarea, &DataBuffer::plotybars,
    &DataBuffer::plotxbars,   &DataBuffer::plotysticks, &DataBuffer::plotxsticks, &DataBuffer::plotdots,
    &DataBuffer::plothist,    &DataBuffer::plotfhist};

void bstyle(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) {
    for (int k = 0; k < 10; ++k) b.*kStyleFlags[k] = flag(m, k);
  });
}

void bstyleclear(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) {
    for (bool DataBuffer::*f : kStyleFlags) b.*f = false;
  });
}

template <int Flag>
void styleFlag(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.*kStyleFlags[Flag] = flag(m, 0); });
}

// Colour of arguments 0-2 (alpha argument 4) into a colour field.
template <Colour DataBuffer::*Field>
void colourField(Macro& m) {
  const Colour c = colourArgs(m, 0, 4);
  forEachBuffer(m, [&](DataBuffer& b) { b.*Field = c; });
}

// D0 into a number field.
template <double DataBuffer::*Field>
void numberField(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.*Field = m.D[0]; });
}

// I0 into an integer field when it is 0..Max.
template <int DataBuffer::*Field, int Max>
void choiceField(Macro& m) {
  if (m.I[0] >= 0 && m.I[0] <= Max) forEachBuffer(m, [&](DataBuffer& b) { b.*Field = m.I[0]; });
}

// Flag 0 into a flag field.
template <bool DataBuffer::*Field>
void flagField(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.*Field = flag(m, 0); });
}

void bdynsize(Macro& m) {
  const std::string text = stringArg(m, 1);
  forEachBuffer(m, [&](DataBuffer& b) { b.dynsize = text; });
}

}  // namespace

void registerStyleCommands(CommandTable& t) {
  t.add(G::BufferStyle, "bstyle", "iiiiiiiiiib", 11, bstyle,
        {"lines symbols fill ybars xbars ysticks xsticks dots hist fhist buffers", "Sets all ten drawing styles of the buffers at once (1 on, 0 off)."});
  t.add(G::BufferStyle, "bstyleclear", "b", 1, bstyleclear,
        {"buffers", "Switches every drawing style of the buffers off."});
  t.add(G::BufferStyle, "bstylelines", "ib", 2, styleFlag<0>,
        {"on buffers", "Draws the buffers as lines (1) or not (0)."});
  t.add(G::BufferStyle, "bstylefill", "ib", 2, styleFlag<2>,
        {"on buffers", "Fills the area under the buffers (1) or not (0)."});
  t.add(G::BufferStyle, "bstylesymbols", "ib", 2, styleFlag<1>,
        {"on buffers", "Draws a symbol at each point (1) or not (0)."});
  t.add(G::BufferStyle, "bstyleybars", "ib", 2, styleFlag<3>,
        {"on buffers", "Draws vertical bars from the X axis to each point (1) or not (0)."});
  t.add(G::BufferStyle, "bstylexbars", "ib", 2, styleFlag<4>,
        {"on buffers", "Draws horizontal bars from the Y axis to each point (1) or not (0)."});
  t.add(G::BufferStyle, "bstyleysticks", "ib", 2, styleFlag<5>,
        {"on buffers", "Draws vertical sticks at each point (1) or not (0)."});
  t.add(G::BufferStyle, "bstylexsticks", "ib", 2, styleFlag<6>,
        {"on buffers", "Draws horizontal sticks at each point (1) or not (0)."});
  t.add(G::BufferStyle, "bstyledots", "ib", 2, styleFlag<7>,
        {"on buffers", "Draws a dot at each point (1) or not (0)."});
  t.add(G::BufferStyle, "bstylehist", "ib", 2, styleFlag<8>,
        {"on buffers", "Draws the buffers as a histogram outline (1) or not (0)."});
  t.add(G::BufferStyle, "bstylefhist", "ib", 2, styleFlag<9>,
        {"on buffers", "Draws the buffers as a filled histogram (1) or not (0)."});
  t.add(G::BufferStyle, "bcolor", "dddbd", 4, colourField<&DataBuffer::color>,
        {"red green blue buffers [alpha]", "Sets the line and symbol colour of the buffers (components 0-1, hue/saturation/brightness after colormode 1)."});
  t.add(G::BufferStyle, "bfillcolor", "dddbd", 4, colourField<&DataBuffer::fillcolor>,
        {"red green blue buffers [alpha]", "Sets the fill colour of the buffers."});
  t.add(G::BufferStyle, "bframecolor", "dddbd", 4, colourField<&DataBuffer::barcolor>,
        {"red green blue buffers [alpha]", "Sets the outline colour of the bars of the buffers."});
  t.add(G::BufferStyle, "bstickcolor", "dddbd", 4, colourField<&DataBuffer::stickcolor>,
        {"red green blue buffers [alpha]", "Sets the stick colour of the buffers."});
  t.add(G::BufferStyle, "blinewidth", "db", 2, numberField<&DataBuffer::linewidth>,
        {"width buffers", "Sets the line width of the buffers in points."});
  t.add(G::BufferStyle, "blinepattern", "ib", 2, choiceField<&DataBuffer::dash, 15>,
        {"pattern buffers", "Sets the dash pattern 0-15 of the buffers' lines (0 solid)."});
  t.add(G::BufferStyle, "bpatternwidth", "db", 2, numberField<&DataBuffer::dashwidth>,
        {"width buffers", "Sets the line width used for the dash pattern of the buffers."});
  t.add(G::BufferStyle, "bsymbol", "ib", 2, choiceField<&DataBuffer::symbol, 15>,
        {"symbol buffers", "Sets the symbol 0-15 of the buffers."});
  t.add(G::BufferStyle, "bsymbolsize", "db", 2, numberField<&DataBuffer::symbolsize>,
        {"size buffers", "Sets the symbol size (and bar width) of the buffers in points."});
  t.add(G::BufferStyle, "bsymbolfill", "ib", 1, flagField<&DataBuffer::symfill>,
        {"on [buffers]", "Fills the symbols of the buffers (1) or draws their outline (0)."});
  t.add(G::BufferStyle, "bsticksize", "db", 2, numberField<&DataBuffer::sticksize>,
        {"size buffers", "Sets the stick length of the buffers."});
  t.add(G::BufferStyle, "bsticksabs", "ib", 1, flagField<&DataBuffer::stickabs>,
        {"on [buffers]", "Gives stick lengths in points (1) or in data units (0)."});
  t.add(G::BufferStyle, "bdynsize", "bs", 1, bdynsize,
        {"buffers [expression]", "Sizes each symbol by the expression of the point (x, y, ...); empty for a fixed size."});
  t.add(G::BufferStyle, "bxerrorval", "db", 2, numberField<&DataBuffer::errorvalx>,
        {"value buffers", "Sets the X error value of the buffers (absolute or percent, as bxerror says)."});
  t.add(G::BufferStyle, "bxerror", "ib", 2, choiceField<&DataBuffer::errorbarx, 3>,
        {"mode buffers", "X error bars: 0 none, 1 the fixed value, 2 percent of X, 3 the buffer's X error column."});
  t.add(G::BufferStyle, "byerrorval", "db", 2, numberField<&DataBuffer::errorvaly>,
        {"value buffers", "Sets the Y error value of the buffers (absolute or percent, as byerror says)."});
  t.add(G::BufferStyle, "byerror", "ib", 2, choiceField<&DataBuffer::errorbary, 3>,
        {"mode buffers", "Y error bars: 0 none, 1 the fixed value, 2 percent of Y, 3 the buffer's Y error column."});
  t.add(G::BufferStyle, "berrorlinewidth", "db", 2, numberField<&DataBuffer::errorwidth>,
        {"width buffers", "Sets the line width of the error bars of the buffers."});
  t.add(G::BufferStyle, "berrorcolor", "dddbd", 4, colourField<&DataBuffer::errorcolor>,
        {"red green blue buffers [alpha]", "Sets the colour of the error bars of the buffers."});
}

}  // namespace xyla
