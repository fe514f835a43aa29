// Drawing style of buffers.
#include <array>
#include <string_view>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/field_commands.h"
#include "model/buffer_properties.h"

namespace xyla {

namespace {

using G = CommandGroup;

// The plot switches in the order of the bstyle arguments, by the commands that set them.
constexpr std::string_view kStyleCommands[] = {"bstylelines", "bstylesymbols", "bstylefill",    "bstyleybars",
                                               "bstylexbars", "bstyleysticks", "bstylexsticks", "bstyledots",
                                               "bstylehist",  "bstylefhist"};

// Their fields, found in the buffer table by those commands.
const std::array<bool DataBuffer::*, 10>& styleSwitches() {
  static const auto switches = [] {
    std::array<bool DataBuffer::*, 10> a{};
    for (std::size_t k = 0; k < a.size(); ++k)
      for (const BufferProperty& p : bufferProperties())
        if (p.command == kStyleCommands[k]) a[k] = std::get<bool DataBuffer::*>(p.member);
    return a;
  }();
  return switches;
}

void bstyle(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) {
    for (int k = 0; k < 10; ++k) b.*styleSwitches()[static_cast<std::size_t>(k)] = flag(m, k);
  });
}

void bstyleclear(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) {
    for (bool DataBuffer::*f : styleSwitches()) b.*f = false;
  });
}

void field(CommandTable& t, const char* name, int minimum, CommandHelp help, FieldRule rule = {}) {
  addFieldCommand(t, G::BufferStyle, FieldRecord::Buffer, name, minimum, std::move(help), rule);
}

}  // namespace

void registerStyleCommands(CommandTable& t) {
  t.add(G::BufferStyle, "bstyle", "iiiiiiiiiib", 11, bstyle,
        {"lines symbols fill ybars xbars ysticks xsticks dots hist fhist buffers", "Sets all ten drawing styles of the buffers at once (1 on, 0 off)."});
  t.add(G::BufferStyle, "bstyleclear", "b", 1, bstyleclear,
        {"buffers", "Switches every drawing style of the buffers off."});
  field(t, "bstylelines", 2, {"on buffers", "Draws the buffers as lines (1) or not (0)."});
  field(t, "bstylefill", 2, {"on buffers", "Fills the area under the buffers (1) or not (0)."});
  field(t, "bstylesymbols", 2, {"on buffers", "Draws a symbol at each point (1) or not (0)."});
  field(t, "bstyleybars", 2, {"on buffers", "Draws vertical bars from the X axis to each point (1) or not (0)."});
  field(t, "bstylexbars", 2, {"on buffers", "Draws horizontal bars from the Y axis to each point (1) or not (0)."});
  field(t, "bstyleysticks", 2, {"on buffers", "Draws vertical sticks at each point (1) or not (0)."});
  field(t, "bstylexsticks", 2, {"on buffers", "Draws horizontal sticks at each point (1) or not (0)."});
  field(t, "bstyledots", 2, {"on buffers", "Draws a dot at each point (1) or not (0)."});
  field(t, "bstylehist", 2, {"on buffers", "Draws the buffers as a histogram outline (1) or not (0)."});
  field(t, "bstylefhist", 2, {"on buffers", "Draws the buffers as a filled histogram (1) or not (0)."});
  field(t, "bcolor", 4,
        {"red green blue buffers [alpha]",
         "Sets the line and symbol colour of the buffers (components 0-1, hue/saturation/brightness after colormode "
         "1)."});
  field(t, "bfillcolor", 4, {"red green blue buffers [alpha]", "Sets the fill colour of the buffers."});
  field(t, "bframecolor", 4, {"red green blue buffers [alpha]", "Sets the outline colour of the bars of the buffers."});
  field(t, "bstickcolor", 4, {"red green blue buffers [alpha]", "Sets the stick colour of the buffers."});
  field(t, "blinewidth", 2, {"width buffers", "Sets the line width of the buffers in points."});
  field(t, "blinepattern", 2, {"pattern buffers", "Sets the dash pattern 0-15 of the buffers' lines (0 solid)."},
        choices(15));
  field(t, "bpatternwidth", 2, {"width buffers", "Sets the line width used for the dash pattern of the buffers."});
  field(t, "bsymbol", 2, {"symbol buffers", "Sets the symbol 0-15 of the buffers."}, choices(15));
  field(t, "bsymbolsize", 2, {"size buffers", "Sets the symbol size (and bar width) of the buffers in points."});
  field(t, "bsymbolfill", 1, {"on [buffers]", "Fills the symbols of the buffers (1) or draws their outline (0)."});
  field(t, "bsticksize", 2, {"size buffers", "Sets the stick length of the buffers."});
  field(t, "bsticksabs", 1, {"on [buffers]", "Gives stick lengths in points (1) or in data units (0)."});
  field(t, "bdynsize", 1,
        {"buffers [expression]",
         "Sizes each symbol by the expression of the point (x, y, ...); empty for a fixed size."});
  field(t, "bxerrorval", 2,
        {"value buffers", "Sets the X error value of the buffers (absolute or percent, as bxerror says)."});
  field(t, "bxerror", 2,
        {"mode buffers", "X error bars: 0 none, 1 the fixed value, 2 percent of X, 3 the buffer's X error column."},
        choices(3));
  field(t, "byerrorval", 2,
        {"value buffers", "Sets the Y error value of the buffers (absolute or percent, as byerror says)."});
  field(t, "byerror", 2,
        {"mode buffers", "Y error bars: 0 none, 1 the fixed value, 2 percent of Y, 3 the buffer's Y error column."},
        choices(3));
  field(t, "berrorlinewidth", 2, {"width buffers", "Sets the line width of the error bars of the buffers."});
  field(t, "berrorcolor", 4, {"red green blue buffers [alpha]", "Sets the colour of the error bars of the buffers."});
}

}  // namespace xyla
