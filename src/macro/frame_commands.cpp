// Legend, frame, margins and window size of a document.
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/style_fonts.h"

namespace xyla {

namespace {

using G = CommandGroup;
using D = XylaDocument;

template <bool D::*F>
void flagField(Macro& m) {
  m.PD->*F = flag(m, 0);
}

template <bool D::*F>
void flagOne(Macro& m) {
  m.PD->*F = m.I[0] == 1;
}

template <double D::*F>
void numberField(Macro& m) {
  m.PD->*F = m.D[0];
}

template <int D::*F, int Max>
void choiceField(Macro& m) {
  if (m.I[0] >= 0 && m.I[0] <= Max) m.PD->*F = m.I[0];
}

// Colour of arguments 0-2 with the alpha of argument 3.
template <Colour D::*F>
void colourField(Macro& m) {
  m.PD->*F = colourArgs(m, 0, 3);
}

void legendpos(Macro& m) {
  m.PD->legendx = m.D[0];
  m.PD->legendy = m.D[1];
}

void legendfont(Macro& m) { m.PD->legendfont = fontOrUserFont(m.S[0], m.D[1]); }

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

}  // namespace

void registerFrameCommands(CommandTable& t) {
  t.add(G::Legend, "setlegend", "i", 1, flagField<&D::plotlegend>,
        {"on", "Shows the legend (1) or not (0)."});
  t.add(G::Legend, "legendpos", "dd", 2, legendpos,
        {"x y", "Puts the legend at (x, y) in view units."});
  t.add(G::Legend, "setlegendbg", "i", 1, flagField<&D::legendbg>,
        {"on", "Draws the legend's background (1) or not (0)."});
  t.add(G::Legend, "legendlength", "d", 1, numberField<&D::legendwidth>,
        {"length", "Sets the length of the sample lines in the legend."});
  t.add(G::Legend, "legendspace", "d", 1, numberField<&D::legendspace>,
        {"space", "Sets the space between the rows of the legend."});
  t.add(G::Legend, "legendcolor", "dddd", 3, colourField<&D::legendcolor>,
        {"red green blue [alpha]", "Sets the colour of the legend's texts."});
  t.add(G::Legend, "legendbgcolor", "dddd", 3, colourField<&D::legendbgcolor>,
        {"red green blue [alpha]", "Sets the background colour of the legend."});
  t.add(G::Legend, "legendfont", "sd", 2, legendfont,
        {"family size", "Sets the font of the legend."});

  t.add(G::Frame, "margins", "dddd", 4, margins,
        {"left right bottom top", "Sets the margins around the plot frame in points."});
  t.add(G::Frame, "windowsize", "dd", 2, windowsize,
        {"width height", "Sets the size of the plot view in points (1 to 100000)."});
  t.add(G::Frame, "drawbg", "i", 1, flagField<&D::drawbackground>,
        {"on", "Fills the plot frame with the background colour (1) or not (0)."});
  t.add(G::Frame, "drawmargin", "i", 1, flagField<&D::drawmargin>,
        {"on", "Fills the margins with the margin colour (1) or not (0)."});
  t.add(G::Frame, "drawframe", "i", 1, flagField<&D::drawframe>,
        {"on", "Draws the frame around the plot (1) or not (0)."});
  t.add(G::Frame, "bgcolor", "dddd", 3, colourField<&D::backgroundcolor>,
        {"red green blue [alpha]", "Sets the background colour of the plot frame."});
  t.add(G::Frame, "margincolor", "dddd", 3, colourField<&D::margincolor>,
        {"red green blue [alpha]", "Sets the colour of the margins."});
  t.add(G::Frame, "framecolor", "dddd", 3, colourField<&D::framecolor>,
        {"red green blue [alpha]", "Sets the colour of the frame."});
  t.add(G::Frame, "framewidth", "d", 1, numberField<&D::framewidth>,
        {"width", "Sets the line width of the frame."});
  t.add(G::Frame, "framestyle", "i", 1, choiceField<&D::framestyle, 2>,
        {"style", "Sets the frame style: 0 box, 1 crossing axes, 2 L-shape."});
  t.add(G::Frame, "forceframe", "i", 1, flagOne<&D::forceframe>,
        {"on", "Draws the whole frame even where axes are hidden (1) or not (0)."});
  t.add(G::Frame, "framearrows", "i", 1, flagOne<&D::framearrows>,
        {"on", "Puts arrow heads on the frame's axes (1) or not (0)."});
  t.add(G::Frame, "framearrowsize", "d", 1, numberField<&D::arrowsize>,
        {"size", "Sets the size of the frame's arrow heads."});
  t.add(G::Frame, "framearrowtype", "i", 1, choiceField<&D::arrowtype, 2>,
        {"type", "Sets the type 0-2 of the frame's arrow heads."});
  t.add(G::Frame, "alldraw", "i", 1, flagField<&D::alldraw>,
        {"on", "Draws lines, areas and histograms through every point (1) or through about two points per "
               "point of frame width (0)."});
}

}  // namespace xyla
