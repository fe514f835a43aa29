#include "render/interaction_edits.h"

#include <algorithm>
#include <vector>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"

namespace xyla::interaction {

namespace {

template <typename List, typename Ptr>
bool holds(const List& list, const Ptr* p) {
  return p && std::any_of(list.begin(), list.end(), [p](const auto& e) { return e.get() == p; });
}

// Registers `undo` as one step (or part of the open group) that also replots.
template <typename F>
void registerStep(XylaDocument& d, F undo) {
  d.undoStack.beginGroup();
  d.undoStack.registerUndo([&d] { d.replot(); });
  d.undoStack.registerUndo(std::move(undo));
  d.undoStack.endGroup();
}

struct Columns {
  std::vector<double> X, Y, EX, EY;
};

void setColumns(XylaDocument& d, DataBuffer* b, Columns c) {
  if (!holds(d.DB, b)) return;
  Columns old{b->X, b->Y, b->EX, b->EY};
  b->X = std::move(c.X);
  b->Y = std::move(c.Y);
  b->EX = std::move(c.EX);
  b->EY = std::move(c.EY);
  b->rescale();
  registerStep(d, [&d, b, old = std::move(old)]() mutable { setColumns(d, b, std::move(old)); });
  d.replot();
}

}  // namespace

TextObject* createText(XylaDocument& d, PointF p) {
  auto t = std::make_unique<TextObject>(&d);
  t->tloc = {p.x, p.y};
  t->font = d.textfont[0];
  t->frame = {p.x, p.y, 0, 0};
  return &d.addText(std::move(t));
}

void finishTextEdit(XylaDocument& d, TextObject* t, const std::string& text, bool created) {
  if (!holds(d.T, t)) return;
  const auto index = static_cast<std::size_t>(
      std::find_if(d.T.begin(), d.T.end(), [t](const auto& e) { return e.get() == t; }) - d.T.begin());
  if (created) {
    // A new text either vanishes without trace or becomes one undoable insertion.
    auto owned = std::move(d.T[index]);
    d.T.erase(d.T.begin() + static_cast<long>(index));
    owned->text = text;
    if (!text.empty()) {
      insertText(d, std::move(owned), index);
      return;
    }
    if (d.M && d.M->currentText == t) d.M->currentText = nullptr;
    d.replot();
    return;
  }
  if (text.empty()) {
    removeText(d, index);
    return;
  }
  if (text == t->text) return;
  const std::string old = t->text;
  t->text = text;
  registerStep(d, [&d, t, old] { finishTextEdit(d, t, old, false); });
  d.replot();
}

void insertText(XylaDocument& d, std::unique_ptr<TextObject> t, std::size_t index) {
  index = std::min(index, d.T.size());
  t->PD = &d;
  d.T.insert(d.T.begin() + static_cast<long>(index), std::move(t));
  registerStep(d, [&d, index] { removeText(d, index); });
  d.replot();
}

void removeText(XylaDocument& d, std::size_t index) {
  if (index >= d.T.size()) return;
  auto owned = std::shared_ptr<TextObject>(std::move(d.T[index]));
  d.T.erase(d.T.begin() + static_cast<long>(index));
  if (d.M && d.M->currentText == owned.get()) d.M->currentText = nullptr;
  registerStep(d, [&d, owned, index] {
    insertText(d, std::make_unique<TextObject>(std::move(*owned)), index);
  });
  d.replot();
}

Graphic* insertGraphic(XylaDocument& d, std::unique_ptr<Graphic> g, std::size_t index) {
  index = std::min(index, d.G.size());
  g->PD = &d;
  Graphic* raw = g.get();
  d.G.insert(d.G.begin() + static_cast<long>(index), std::move(g));
  registerStep(d, [&d, index] { removeGraphic(d, index); });
  d.replot();
  return raw;
}

void removeGraphic(XylaDocument& d, std::size_t index) {
  if (index >= d.G.size()) return;
  auto owned = std::shared_ptr<Graphic>(std::move(d.G[index]));
  d.G.erase(d.G.begin() + static_cast<long>(index));
  if (d.M && d.M->currentGraphic == owned.get()) d.M->currentGraphic = nullptr;
  registerStep(d, [&d, owned, index] { insertGraphic(d, std::make_unique<Graphic>(*owned), index); });
  d.replot();
}

void setTextAnchor(XylaDocument& d, TextObject* t, ViewPoint p) {
  if (!holds(d.T, t)) return;
  const ViewPoint old = t->tloc;
  t->tloc = p;
  t->setFloat(t->posmode);
  t->align();
  registerStep(d, [&d, t, old] { setTextAnchor(d, t, old); });
  d.replot();
}

void setGraphicPoints(XylaDocument& d, Graphic* g, Graphic::Points p) {
  if (!holds(d.G, g)) return;
  const Graphic::Points old = g->getPoints();
  g->setPoints(p.x1, p.y1, p.x2, p.y2);
  registerStep(d, [&d, g, old] { setGraphicPoints(d, g, old); });
  d.replot();
}

void setLegendPosition(XylaDocument& d, double x, double y) {
  const double ox = d.legendx, oy = d.legendy;
  d.legendx = x;
  d.legendy = y;
  registerStep(d, [&d, ox, oy] { setLegendPosition(d, ox, oy); });
  d.replot();
}

void setMargins(XylaDocument& d, double left, double right, double top, double bottom) {
  const double ol = d.marginleft, orr = d.marginright, ot = d.margintop, ob = d.marginbottom;
  d.marginleft = left;
  d.marginright = right;
  d.margintop = top;
  d.marginbottom = bottom;
  registerStep(d, [&d, ol, orr, ot, ob] { setMargins(d, ol, orr, ot, ob); });
  d.replot();
}

void moveSubview(XylaDocument& d, XylaDocument* sub, double dx, double dy) {
  if (!holds(d.subplots, sub)) return;
  sub->subviewx += dx;
  sub->subviewy += dy;
  registerStep(d, [&d, sub, dx, dy] { moveSubview(d, sub, -dx, -dy); });
  d.replot();
}

void shiftBuffer(XylaDocument& d, DataBuffer* b, bool xaxis, double delta) {
  if (!holds(d.DB, b) || !std::isfinite(delta)) return;
  if (xaxis) b->addX(delta);
  else b->addY(delta);
  registerStep(d, [&d, b, xaxis, delta] { shiftBuffer(d, b, xaxis, -delta); });
}

void movePoints(XylaDocument& d, DataBuffer* b, const std::set<int>& indexes, double dx, double dy) {
  if (!holds(d.DB, b)) return;
  const AxisScale sx = AxisScale::x(d, b->belongx), sy = AxisScale::y(d, b->belongy);
  Columns c{b->X, b->Y, b->EX, b->EY};
  bool changed = false;
  for (int i : indexes) {
    if (i < 0 || i >= b->count()) continue;
    const double x = sx.toData(sx.toView(c.X[i]) + dx), y = sy.toData(sy.toView(c.Y[i]) + dy);
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    c.X[i] = x;
    c.Y[i] = y;
    changed = true;
  }
  if (changed) setColumns(d, b, std::move(c));
}

void deletePoints(XylaDocument& d, DataBuffer* b, const std::set<int>& indexes) {
  if (!holds(d.DB, b)) return;
  Columns c;
  const bool ex = !b->EX.empty(), ey = !b->EY.empty();
  for (int i = 0; i < b->count(); ++i) {
    if (indexes.count(i)) continue;
    c.X.push_back(b->X[i]);
    c.Y.push_back(b->Y[i]);
    if (ex) c.EX.push_back(b->EX[i]);
    if (ey) c.EY.push_back(b->EY[i]);
  }
  if (c.X.size() != b->X.size()) setColumns(d, b, std::move(c));
}

}  // namespace xyla::interaction
