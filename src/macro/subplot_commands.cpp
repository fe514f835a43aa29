// Sub-plots from macros: an inset or a panel beside or under the plot, drawn by the
// same commands as the plot itself.
#include <memory>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

// A new sub-plot of the target in the given rectangle, holding copies of the listed
// buffers, becomes the target of the commands after it.
void subplot(Macro& m) {
  XylaDocument& parent = *m.PD;
  const double x = m.D[0], y = m.D[1], w = m.D[2], h = m.D[3];
  if (!finiteNumbers(m, {0, 1, 2, 3})) return;
  if (parent.subview || !(w >= 1 && h >= 1)) {
    m.M->ui().alert("Sub-plot",
                    parent.subview ? "A sub-plot cannot hold sub-plots of its own; end it first with endsubplot"
                                   : "A sub-plot needs a width and a height of at least 1 point",
                    {"OK"});
    ++m.ERR;
    return;
  }
  auto sub = std::make_unique<XylaDocument>(m.M);
  for (int index : m.B) {
    if (DataBuffer* b = parent.buffer(index)) {
      std::unique_ptr<DataBuffer> copy = b->copyWithZone();
      copy->rescale();  // the copy's extent, which the sub-plot's ranges are fitted to
      sub->appendBuffer(std::move(copy));
    }
  }
  sub->rescale(false, 0);
  m.PD = &parent.addSubplot(std::move(sub), x, y, w, h);
}

// The commands after it draw into the sub-plot's parent again.
void endsubplot(Macro& m) {
  if (m.PD->subview && m.PD->MPD) m.PD = m.PD->MPD;
}

}  // namespace

void registerSubplotCommands(CommandTable& t) {
  t.add(G::Frame, "subplot", "ddddb", 4, subplot,
        {"x y width height [buffers]",
         "Adds a sub-plot in the rectangle (x, y, width, height) of the view, in points from its lower left "
         "corner, with copies of the buffers; the commands after it draw into the sub-plot until endsubplot."});
  t.add(G::Frame, "endsubplot", "", 0, endsubplot,
        {"", "Ends the commands for a sub-plot: the commands after it draw into the plot that holds it."});
}

}  // namespace xyla
