// Legend, frame, margins and window size of a document.
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/field_commands.h"

namespace xyla {

namespace {

using G = CommandGroup;

void legendpos(Macro& m) {
  m.PD->legendx = m.D[0];
  m.PD->legendy = m.D[1];
}

void margins(Macro& m) {
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

void field(CommandTable& t, CommandGroup group, const char* name, int minimum, CommandHelp help, FieldRule rule = {}) {
  addFieldCommand(t, group, FieldRecord::Document, name, minimum, std::move(help), rule);
}

}  // namespace

void registerFrameCommands(CommandTable& t) {
  field(t, G::Legend, "setlegend", 1, {"on", "Shows the legend (1) or not (0)."});
  t.add(G::Legend, "legendpos", "dd", 2, legendpos,
        {"x y", "Puts the legend at (x, y) in view units."});
  field(t, G::Legend, "setlegendbg", 1, {"on", "Draws the legend's background (1) or not (0)."});
  field(t, G::Legend, "legendlength", 1, {"length", "Sets the length of the sample lines in the legend."});
  field(t, G::Legend, "legendspace", 1, {"space", "Sets the space between the rows of the legend."});
  field(t, G::Legend, "legendcolor", 3, {"red green blue [alpha]", "Sets the colour of the legend's texts."});
  field(t, G::Legend, "legendbgcolor", 3, {"red green blue [alpha]", "Sets the background colour of the legend."});
  field(t, G::Legend, "legendfont", 2, {"family size", "Sets the font of the legend."});

  t.add(G::Frame, "margins", "dddd", 4, margins,
        {"left right bottom top", "Sets the margins around the plot frame in points."});
  t.add(G::Frame, "windowsize", "dd", 2, windowsize,
        {"width height", "Sets the size of the plot view in points (1 to 100000)."});
  field(t, G::Frame, "drawbg", 1, {"on", "Fills the plot frame with the background colour (1) or not (0)."});
  field(t, G::Frame, "drawmargin", 1, {"on", "Fills the margins with the margin colour (1) or not (0)."});
  field(t, G::Frame, "drawframe", 1, {"on", "Draws the frame around the plot (1) or not (0)."});
  field(t, G::Frame, "bgcolor", 3, {"red green blue [alpha]", "Sets the background colour of the plot frame."});
  field(t, G::Frame, "margincolor", 3, {"red green blue [alpha]", "Sets the colour of the margins."});
  field(t, G::Frame, "framecolor", 3, {"red green blue [alpha]", "Sets the colour of the frame."});
  field(t, G::Frame, "framewidth", 1, {"width", "Sets the line width of the frame."});
  field(t, G::Frame, "framestyle", 1, {"style", "Sets the frame style: 0 box, 1 crossing axes, 2 L-shape."},
        choices(2));
  field(t, G::Frame, "forceframe", 1, {"on", "Draws the whole frame even where axes are hidden (1) or not (0)."},
        kOnlyOne);
  field(t, G::Frame, "framearrows", 1, {"on", "Puts arrow heads on the frame's axes (1) or not (0)."}, kOnlyOne);
  field(t, G::Frame, "framearrowsize", 1, {"size", "Sets the size of the frame's arrow heads."});
  field(t, G::Frame, "framearrowtype", 1, {"type", "Sets the type 0-2 of the frame's arrow heads."}, choices(2));
  field(t, G::Frame, "alldraw", 1,
        {"on",
         "Draws lines, areas and histograms through every point (1) or through about two points per point "
         "of frame width (0)."});
}

}  // namespace xyla
