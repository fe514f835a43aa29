// Free texts and graphic objects on the plot, and their removal.
#include <memory>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/style_fonts.h"
#include "render/cairo_canvas.h"

namespace xyla {

namespace {

using G = CommandGroup;

// Component p of a colour, or `fallback` when argument p was not given.
double component(const Macro& m, int p, double fallback) { return m.O[p] ? m.D[p] : fallback; }

// The colour of arguments p..p+2; a component not given is the macro's default one.
Colour colourOrDefault(const Macro& m, int p) {
  return m.getColor(component(m, p, m.defr), component(m, p + 1, m.defg), component(m, p + 2, m.defb));
}

// ---- free texts ----

// What one text command asks for; the placing step turns it into a text object.
struct TextRequest {
  FontSpec font;
  std::string text;
  int tag = 0;
  int posmode = 0;
  double x = 0.0, y = 0.0;
  Colour colour;
  double angle = 0.0;
  int tbalign = -1;  // -1: leave the object's default
  int textalign = 0;  // 0 left, 1 centred, 2 right
  int backgroundSlot = -1;  // first of three background components, -1: none
  bool autopos = false;
  int autoposloc = 0;
  double autoposoffset = 0.0;
  bool originAtPosition = false;  // "text": the frame origin is the position too
};

// The measuring step: the size of the command's text in its font goes to tw and th.
void measure(Macro& m, const FontSpec& font, const std::string& text) {
  // The view measures again whenever it draws.
  const SizeF s = cairoTextSize(text, font);
  m.tw = s.width;
  m.th = s.height;
}

// The placing step: a text object with a frame of the measured size, added to the
// document, positioned and aligned. Skipped once an earlier step raised ERR.
void place(Macro& m, const TextRequest& r) {
  if (m.ERR != 0) return;
  auto t = std::make_unique<TextObject>(m.PD);
  t->tag = r.tag;
  t->text = r.text;
  t->font = r.font;
  t->color = r.colour;
  if (r.backgroundSlot >= 0 && m.O[r.backgroundSlot] && m.O[r.backgroundSlot + 1] && m.O[r.backgroundSlot + 2]) {
    t->drawsbackground = true;
    t->backgroundcolor = m.getColor(m.D[r.backgroundSlot], m.D[r.backgroundSlot + 1], m.D[r.backgroundSlot + 2]);
  } else {
    t->drawsbackground = false;
    t->backgroundcolor = Colour::white();
  }
  t->angle = r.angle;
  if (r.tbalign >= 0) t->tbalign = r.tbalign;
  t->textalign = r.textalign;
  t->posmode = r.posmode;
  t->autopos = r.autopos;
  t->autoposloc = r.autoposloc;
  t->autoposoffset = r.autoposoffset;
  t->frame = {r.originAtPosition ? r.x : 0.0, r.originAtPosition ? r.y : 0.0, m.tw, m.th};
  t->lr = t->frame;
  TextObject& placed = m.PD->addText(std::move(t));
  placed.setPosition(r.x, r.y);
  placed.align();
  m.PD->replot();
}

// The line alignment of argument p: 1 centred, 2 right, anything else left.
int textalignArg(const Macro& m, int p) { return m.O[p] && (m.I[p] == 1 || m.I[p] == 2) ? m.I[p] : 0; }

// `tbalign` from a one-based argument, when given.
int tbalignArg(const Macro& m, int p) { return m.O[p] ? m.I[p] - 1 : -1; }

TextRequest qtextRequest(const Macro& m) {
  TextRequest r;
  r.font = fontOrUserFont(m.deffont, m.deffontsize);
  r.text = m.S[3];
  r.tag = 999;
  r.posmode = m.I[0];
  r.x = m.D[1];
  r.y = m.D[2];
  r.colour = m.getColor(m.defr, m.defg, m.defb);
  r.angle = m.O[4] ? m.D[4] : 0.0;
  r.textalign = textalignArg(m, 5);
  r.tbalign = tbalignArg(m, 6);
  return r;
}

TextRequest ftextRequest(const Macro& m) {
  TextRequest r;
  r.tag = m.I[0];
  r.posmode = m.I[1];
  r.x = m.D[2];
  r.y = m.D[3];
  r.font = fontOrUserFont(m.S[4], m.D[5]);
  r.text = m.S[6];
  r.colour = colourOrDefault(m, 7);
  r.angle = m.O[10] ? m.D[10] : 0.0;
  r.textalign = textalignArg(m, 11);
  r.tbalign = tbalignArg(m, 12);
  r.backgroundSlot = 13;
  return r;
}

TextRequest textRequest(const Macro& m) {
  TextRequest r;
  r.tag = m.I[0];
  r.x = m.D[1];
  r.y = m.D[2];
  r.originAtPosition = true;
  r.font = fontOrUserFont(m.S[3], m.D[4]);
  r.text = m.S[5];
  r.colour = colourOrDefault(m, 6);
  r.angle = m.O[9] ? m.D[9] : 0.0;
  r.textalign = textalignArg(m, 10);
  r.autopos = m.O[11] && m.I[11] >= 1 && m.I[11] <= 22;
  r.autoposloc = r.autopos ? m.I[11] : 0;
  r.autoposoffset = m.O[12] ? m.D[12] : 0.0;
  r.backgroundSlot = 13;
  return r;
}

// The arguments of each text command that place and size the text: a text at an
// undefined place or in a font of undefined size cannot be drawn.
template <TextRequest (*Request)(const Macro&)>
bool finiteTextGeometry(Macro& m) {
  if (Request == qtextRequest) return finiteNumbers(m, {1, 2, 4});
  if (Request == ftextRequest) return finiteNumbers(m, {2, 3, 5, 10});
  return finiteNumbers(m, {1, 2, 4, 9, 12});
}

template <TextRequest (*Request)(const Macro&)>
void measureCommand(Macro& m) {
  if (!finiteTextGeometry<Request>(m)) return;
  const TextRequest r = Request(m);
  measure(m, r.font, r.text);
}

template <TextRequest (*Request)(const Macro&)>
void placeCommand(Macro& m) {
  if (!finiteTextGeometry<Request>(m)) return;
  place(m, Request(m));
}

// ---- graphic objects ----

// A graphic with the fields every graphic command shares: tag, position mode, line
// width, dash pattern and line colour, whose arguments start at `widthSlot`.
Graphic& addGraphic(Macro& m, int type, int widthSlot) {
  auto g = std::make_unique<Graphic>(m.PD);
  g->type = type;
  g->tag = m.I[0];
  g->posmode = m.I[1] >= 0 && m.I[1] <= 2 ? m.I[1] : 0;
  g->linewidth = m.O[widthSlot] ? m.D[widthSlot] : 1.0;
  const int pattern = m.I[widthSlot + 1];
  g->dashp = m.O[widthSlot + 1] && pattern >= 0 && pattern <= 15 ? pattern : 0;
  g->color = colourOrDefault(m, widthSlot + 2);
  g->arrow1 = g->arrow2 = false;
  return m.PD->addGraphic(std::move(g));
}

// Rectangles and ellipses: the box (x, y, width, height) in arguments 2..5.
void boxGraphic(Macro& m, int type, bool filled) {
  if (!finiteNumbers(m, {2, 3, 4, 5, 6})) return;
  Graphic& g = addGraphic(m, type, 6);
  g.x1 = m.D[2];
  g.y1 = m.D[3];
  g.x2 = m.D[2] + m.D[4];
  g.y2 = m.D[3] + m.D[5];
  if (filled) {
    g.fill = true;
    g.fillcolor = m.getColor(component(m, 11, 0.0), component(m, 12, 0.0), component(m, 13, 0.0));
  }
  m.PD->replot();
}

void rect(Macro& m) { boxGraphic(m, Graphic::Rectangle, false); }
void frect(Macro& m) { boxGraphic(m, Graphic::Rectangle, true); }
void circle(Macro& m) { boxGraphic(m, Graphic::Ellipse, false); }
void fcircle(Macro& m) { boxGraphic(m, Graphic::Ellipse, true); }

void setEnds(Macro& m, Graphic& g) {
  g.x1 = m.D[2];
  g.y1 = m.D[3];
  g.x2 = m.D[4];
  g.y2 = m.D[5];
}

void line(Macro& m) {
  if (!finiteNumbers(m, {2, 3, 4, 5, 6})) return;
  setEnds(m, addGraphic(m, Graphic::Line, 6));
  m.PD->replot();
}

void arrow(Macro& m) {
  if (!finiteNumbers(m, {2, 3, 4, 5, 10})) return;
  Graphic& g = addGraphic(m, Graphic::Line, 10);
  setEnds(m, g);
  g.arrow1 = m.O[6] && m.I[6] == 1;
  g.arrow2 = m.O[7] && m.I[7] == 1;
  g.arrowtype = m.O[8] && m.I[8] >= 0 && m.I[8] <= 3 ? m.I[8] : 0;
  g.arrowsize = truncInt(m.D[9]);
  m.PD->replot();
}

// ---- removal ----

// Takes every object whose tag is argument 0 (every object without an argument) out
// of `list`, scanning from the last to the first.
template <typename Object>
void removeTagged(Macro& m, std::vector<std::unique_ptr<Object>>& list) {
  for (std::size_t k = list.size(); k-- > 0;) {
    if (!m.O[0] || list[k]->tag == m.I[0]) list.erase(list.begin() + static_cast<std::ptrdiff_t>(k));
  }
  m.PD->replot();
}

void rmtext(Macro& m) { removeTagged(m, m.PD->T); }
void rmgraphic(Macro& m) { removeTagged(m, m.PD->G); }

}  // namespace

void registerObjectCommands(CommandTable& t) {
  // Each text command measures its text in one entry and places it in the next.
  t.add(G::Texts, "qtext", "iddsdii", 4, measureCommand<qtextRequest>,
        {"position x y text [angle] [align] [box]", "Places a text in the default font and colour (tag 999); position 0 view, 1 range 1, 2 range 2; align 0 left, 1 centred, 2 right; box point 1-9; tw and th get its size."});
  t.add(G::Texts, "qtext", "iddsdii", 4, placeCommand<qtextRequest>);
  t.add(G::Texts, "ftext", "iiddsdsddddiiddd", 7, measureCommand<ftextRequest>,
        {"tag position x y font size text [red] [green] [blue] [angle] [align] [box] [bgred] [bggreen] [bgblue]", "Places a text in the given font, colour and background; tw and th get its size."});
  t.add(G::Texts, "ftext", "iiddsdsddddiiddd", 7, placeCommand<ftextRequest>);
  t.add(G::Texts, "text", "iddsdsddddiidddd", 6, measureCommand<textRequest>,
        {"tag x y font size text [red] [green] [blue] [angle] [align] [autopos] [offset] [bgred] [bggreen] [bgblue]", "Places a text with its frame origin at (x, y) in view units, optionally placed automatically (places 1-22 at the offset); tw and th get its size."});
  t.add(G::Texts, "text", "iddsdsddddiidddd", 6, placeCommand<textRequest>);
  t.add(G::Graphics, "rect", "iidddddiddd", 6, rect,
        {"tag position x y width height [linewidth] [pattern] [red] [green] [blue]", "Draws a rectangle; position 0 view, 1 range 1, 2 range 2."});
  t.add(G::Graphics, "frect", "iidddddidddddd", 6, frect,
        {"tag position x y width height [linewidth] [pattern] [red] [green] [blue] [fillred] [fillgreen] [fillblue]", "Draws a filled rectangle."});
  t.add(G::Graphics, "circle", "iidddddiddd", 6, circle,
        {"tag position x y width height [linewidth] [pattern] [red] [green] [blue]", "Draws an ellipse in the box."});
  t.add(G::Graphics, "fcircle", "iidddddidddddd", 6, fcircle,
        {"tag position x y width height [linewidth] [pattern] [red] [green] [blue] [fillred] [fillgreen] [fillblue]", "Draws a filled ellipse in the box."});
  t.add(G::Graphics, "arrow", "iiddddiiiddiddd", 10, arrow,
        {"tag position x1 y1 x2 y2 head1 head2 type size [linewidth] [pattern] [red] [green] [blue]", "Draws a line with arrow heads at its start (head1 = 1) and end (head2 = 1), head type 0-3."});
  t.add(G::Graphics, "line", "iidddddiddd", 6, line,
        {"tag position x1 y1 x2 y2 [linewidth] [pattern] [red] [green] [blue]", "Draws a line between two points."});
  t.add(G::Defaults, "rmtext", "i", 0, rmtext,
        {"[tag]", "Removes the texts with the tag, or every text."});
  t.add(G::Defaults, "rmgraphic", "i", 0, rmgraphic,
        {"[tag]", "Removes the graphics with the tag, or every graphic."});
}

}  // namespace xyla
