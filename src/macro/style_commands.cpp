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
  t.add(G::BufferStyle, "bstyle", "iiiiiiiiiib", 11, bstyle);
  t.add(G::BufferStyle, "bstyleclear", "b", 1, bstyleclear);
  t.add(G::BufferStyle, "bstylelines", "ib", 2, styleFlag<0>);
  t.add(G::BufferStyle, "bstylefill", "ib", 2, styleFlag<2>);
  t.add(G::BufferStyle, "bstylesymbols", "ib", 2, styleFlag<1>);
  t.add(G::BufferStyle, "bstyleybars", "ib", 2, styleFlag<3>);
  t.add(G::BufferStyle, "bstylexbars", "ib", 2, styleFlag<4>);
  t.add(G::BufferStyle, "bstyleysticks", "ib", 2, styleFlag<5>);
  t.add(G::BufferStyle, "bstylexsticks", "ib", 2, styleFlag<6>);
  t.add(G::BufferStyle, "bstyledots", "ib", 2, styleFlag<7>);
  t.add(G::BufferStyle, "bstylehist", "ib", 2, styleFlag<8>);
  t.add(G::BufferStyle, "bstylefhist", "ib", 2, styleFlag<9>);
  t.add(G::BufferStyle, "bcolor", "dddbd", 4, colourField<&DataBuffer::color>);
  t.add(G::BufferStyle, "bfillcolor", "dddbd", 4, colourField<&DataBuffer::fillcolor>);
  t.add(G::BufferStyle, "bframecolor", "dddbd", 4, colourField<&DataBuffer::barcolor>);
  t.add(G::BufferStyle, "bstickcolor", "dddbd", 4, colourField<&DataBuffer::stickcolor>);
  t.add(G::BufferStyle, "blinewidth", "db", 2, numberField<&DataBuffer::linewidth>);
  t.add(G::BufferStyle, "blinepattern", "ib", 2, choiceField<&DataBuffer::dash, 15>);
  t.add(G::BufferStyle, "bpatternwidth", "db", 2, numberField<&DataBuffer::dashwidth>);
  t.add(G::BufferStyle, "bsymbol", "ib", 2, choiceField<&DataBuffer::symbol, 15>);
  t.add(G::BufferStyle, "bsymbolsize", "db", 2, numberField<&DataBuffer::symbolsize>);
  t.add(G::BufferStyle, "bsymbolfill", "ib", 1, flagField<&DataBuffer::symfill>);
  t.add(G::BufferStyle, "bsticksize", "db", 2, numberField<&DataBuffer::sticksize>);
  t.add(G::BufferStyle, "bsticksabs", "ib", 1, flagField<&DataBuffer::stickabs>);
  t.add(G::BufferStyle, "bdynsize", "bs", 1, bdynsize);
  t.add(G::BufferStyle, "bxerrorval", "db", 2, numberField<&DataBuffer::errorvalx>);
  t.add(G::BufferStyle, "bxerror", "ib", 2, choiceField<&DataBuffer::errorbarx, 3>);
  t.add(G::BufferStyle, "byerrorval", "db", 2, numberField<&DataBuffer::errorvaly>);
  t.add(G::BufferStyle, "byerror", "ib", 2, choiceField<&DataBuffer::errorbary, 3>);
  t.add(G::BufferStyle, "berrorlinewidth", "db", 2, numberField<&DataBuffer::errorwidth>);
  t.add(G::BufferStyle, "berrorcolor", "dddbd", 4, colourField<&DataBuffer::errorcolor>);
}

}  // namespace xyla
