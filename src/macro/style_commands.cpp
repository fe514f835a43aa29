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
        if (p.command.name == kStyleCommands[k]) a[k] = std::get<bool DataBuffer::*>(p.member);
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

}  // namespace

void registerStyleCommands(CommandTable& t) {
  t.add(G::BufferStyle, "bstyle", "iiiiiiiiiib", 11, bstyle,
        {"lines symbols fill ybars xbars ysticks xsticks dots hist fhist buffers", "Sets all ten drawing styles of the buffers at once (1 on, 0 off)."});
  t.add(G::BufferStyle, "bstyleclear", "b", 1, bstyleclear,
        {"buffers", "Switches every drawing style of the buffers off."});
  addFieldCommands(
      t, G::BufferStyle, FieldRecord::Buffer,
      {"bstylelines",   "bstylefill",  "bstylesymbols", "bstyleybars",     "bstylexbars",   "bstyleysticks",
       "bstylexsticks", "bstyledots",  "bstylehist",    "bstylefhist",     "bcolor",        "bfillcolor",
       "bframecolor",   "bstickcolor", "blinewidth",    "blinepattern",    "bpatternwidth", "bsymbol",
       "bsymbolsize",   "bsymbolfill", "bsticksize",    "bsticksabs",      "bdynsize",      "bxerrorval",
       "bxerror",       "byerrorval",  "byerror",       "berrorlinewidth", "berrorcolor"});
}

}  // namespace xyla
