// Legend, frame, margins and window size of a document.
#include <cmath>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/field_commands.h"

namespace xyla {

namespace {

using G = CommandGroup;

// A legend position that is not finite is ignored.
void legendpos(Macro& m) {
  if (std::isfinite(m.D[0])) m.PD->legendx = m.D[0];
  if (std::isfinite(m.D[1])) m.PD->legendy = m.D[1];
}

void margins(Macro& m) {
  if (!finiteNumbers(m, {0, 1, 2, 3})) return;
  m.PD->marginleft = m.D[0];
  m.PD->marginright = m.D[1];
  m.PD->marginbottom = m.D[2];
  m.PD->margintop = m.D[3];
}

void windowsize(Macro& m) {
  // A view needs some area; sizes beyond any screen are refused as well.
  if (!(m.D[0] >= 1 && m.D[1] >= 1 && m.D[0] <= 100000 && m.D[1] <= 100000)) return;
  m.PD->viewWidth = m.D[0];
  m.PD->viewHeight = m.D[1];
  m.PD->winw = truncInt(m.D[0]);
  m.PD->winh = truncInt(m.D[1]);
}

}  // namespace

void registerFrameCommands(CommandTable& t) {
  addFieldCommands(t, G::Legend, FieldRecord::Document, {"setlegend"});
  t.add(G::Legend, "legendpos", "dd", 2, legendpos,
        {"x y", "Puts the legend at (x, y) in view units."});
  addFieldCommands(t, G::Legend, FieldRecord::Document,
                   {"setlegendbg", "legendlength", "legendspace", "legendcolor", "legendbgcolor", "legendfont"});

  t.add(G::Frame, "margins", "dddd", 4, margins,
        {"left right bottom top", "Sets the margins around the plot frame in points."});
  t.add(G::Frame, "windowsize", "dd", 2, windowsize,
        {"width height", "Sets the size of the plot view in points (1 to 100000)."});
  addFieldCommands(t, G::Frame, FieldRecord::Document,
                   {"drawbg", "drawmargin", "drawframe", "bgcolor", "margincolor", "framecolor", "framewidth",
                    "framestyle", "forceframe", "framearrows", "framearrowsize", "framearrowtype", "alldraw"});
}

}  // namespace xyla
