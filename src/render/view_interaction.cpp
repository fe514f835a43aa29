#include "render/view_interaction.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/text_object.h"
#include "model/ui.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "render/canvas.h"
#include "render/interaction_edits.h"
#include "render/xyla_view.h"

namespace xyla {

namespace {

constexpr double kPickRadius = 6.0;    // view units around a point, a line or a handle
constexpr double kHandleRadius = 5.0;  // frame corner handles
constexpr double kMinSubview = 5.0;    // smallest sub-plot side made by a drag

bool samePlace(PointF a, PointF b) { return a.x == b.x && a.y == b.y; }

double distanceToSegment(PointF p, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - x1) * dx + (p.y - y1) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (x1 + t * dx), p.y - (y1 + t * dy));
}

// `p` in the unrotated frame of a text: rotate back about the frame origin.
bool insideText(const TextObject& t, PointF p) {
  const double a = -t.angle * M_PI / 180.0;
  const double dx = p.x - t.frame.x, dy = p.y - t.frame.y;
  const double lx = dx * std::cos(a) - dy * std::sin(a), ly = dx * std::sin(a) + dy * std::cos(a);
  const double w = std::max(t.frame.width, 8.0), h = std::max(t.frame.height, 8.0);
  return lx >= -2 && ly >= -2 && lx <= w + 2 && ly <= h + 2;
}

// Position of `p` in a list of owned objects; the list's size when it is not there.
template <typename List, typename T>
std::size_t indexIn(const List& list, const T* p) {
  std::size_t i = 0;
  while (i < list.size() && list[i].get() != p) ++i;
  return i;
}

// The step of an arrow key in view units; false for other keys.
bool arrowStep(ViewKey key, double& dx, double& dy) {
  dx = key == ViewKey::Left ? -1 : key == ViewKey::Right ? 1 : 0;
  dy = key == ViewKey::Down ? -1 : key == ViewKey::Up ? 1 : 0;
  return dx != 0 || dy != 0;
}

}  // namespace

ViewInteraction::ViewInteraction(XylaView& view, InteractionHost* host) : v_(view), host_(host) {
  static InteractionHost none;
  if (!host_) host_ = &none;
  graphicTemplate.arrow2 = true;
  graphicTemplate.arrowtype = 1;
}

ViewInteraction::~ViewInteraction() = default;

XylaDocument* ViewInteraction::doc() const { return v_.M ? v_.PD : nullptr; }

bool ViewInteraction::mode(const char* name) const { return v_.M && v_.M->isMouseMode(name); }

int ViewInteraction::rangeChoice() const { return v_.M ? v_.M->axis12 : 0; }

PointF ViewInteraction::dataPosition(PointF p) const {
  if (!v_.PD) return {};
  const int r = rangeChoice() == 2 ? 2 : 1;
  return {xValue(*v_.PD, p.x, r), yValue(*v_.PD, p.y, r)};
}

// ---- press ----

void ViewInteraction::mouseDown(PointF p, PointerModifiers mods, int clickCount) {
  XylaDocument* d = doc();
  drag_ = Drag::Ignore;
  if (!d) return;
  if (v_.M->PD != d) v_.M->setCurrentDocument(d);
  overlay_.aloc = overlay_.bloc = p;
  mvxmin1 = d->xmin1, mvxmax1 = d->xmax1, mvymin1 = d->ymin1, mvymax1 = d->ymax1;
  mvxmin2 = d->xmin2, mvxmax2 = d->xmax2, mvymin2 = d->ymin2, mvymax2 = d->ymax2;
  v_.redraw = false;
  // A double click on a text edits it in place, whatever the mode.
  if (clickCount >= 2) {
    if (TextObject* t = textAt(p)) {
      v_.M->currentText = t;
      host_->editText(*t);
      v_.redraw = true;
      return;
    }
  }
  if (mode("zoom") || mode("upscale") || mode("downscale") || mode("subview")) drag_ = Drag::Band;
  else if (mode("range")) drag_ = Drag::Pan;
  else if (mode("movex") || mode("movey") || mode("movexy") || mode("bgsub") || mode("shirbg")) drag_ = Drag::Line;
  else if (mode("measure")) {
    drag_ = Drag::Measure;
    overlay_.oloc = p;
    overlay_.haveoloc = true;
  } else if (mode("normx") || mode("normy")) drag_ = Drag::Mark;
  else if (mode("select")) pressSelect(p);
  else if (mode("graphic")) pressGraphic(p);
  else if (mode("legend")) drag_ = Drag::Legend;
  else if (mode("movepoint")) pressPoint(p, mods);
  else if (mode("text")) pressText(p);
  else if (mode("peak"))
    pressPeak(p);
  else if (mode("chsubview")) {
    for (const auto& s : d->subplots)
      if (p.x >= s->subviewx && p.x <= s->subviewx + s->subvieww && p.y >= s->subviewy &&
          p.y <= s->subviewy + s->subviewh)
        pickedSub_ = s.get();
    drag_ = pickedSub_ ? Drag::SubviewMove : Drag::Ignore;
  }
}

void ViewInteraction::pressSelect(PointF p) {
  Manager& m = *v_.M;
  if (TextObject* t = textAt(p)) {
    m.currentText = t;
    t->dloc = {p.x - t->tloc.x, p.y - t->tloc.y};
    drag_ = Drag::TextDrag;
    host_->showInspector("Text");
    return;
  }
  if (Graphic* g = graphicAt(p)) {
    m.currentGraphic = g;
    drag_ = Drag::GraphicDrag;
    host_->showInspector("Graphic");
    return;
  }
  const double xs[4] = {v_.left, v_.right, v_.left, v_.right};
  const double ys[4] = {v_.bottom, v_.bottom, v_.top, v_.top};
  for (int k = 0; k < 4; ++k)
    if (std::fabs(p.x - xs[k]) <= kHandleRadius && std::fabs(p.y - ys[k]) <= kHandleRadius) {
      frameCorner_ = k;
      drag_ = Drag::Frame;
      return;
    }
  m.currentText = nullptr;
}

void ViewInteraction::pressGraphic(PointF p) {
  XylaDocument& d = *v_.PD;
  // A press on an existing graphic picks it and drags it; elsewhere a new one starts.
  if (Graphic* g = graphicAt(p)) {
    v_.M->currentGraphic = g;
    drag_ = Drag::GraphicDrag;
    host_->showInspector("Graphic");
    return;
  }
  creating_ = std::make_unique<Graphic>(graphicTemplate);
  creating_->PD = &d;
  creating_->image.clear();
  creating_->setPoints(p.x, p.y, p.x, p.y);
  overlay_.nG = creating_.get();
  drag_ = Drag::GraphicNew;
}

void ViewInteraction::pressPoint(PointF p, PointerModifiers mods) {
  Manager& m = *v_.M;
  DataBuffer* b = v_.PD->getCurrentDataBuffer();
  movepoints = b;
  pickedPoint_ = b ? pointNear(*b, p, kPickRadius) : -1;
  if (pickedPoint_ < 0) {
    if (!mods.shift) m.tableSelection.clear();
    drag_ = Drag::Ignore;
    v_.redraw = true;
    return;
  }
  if (mods.shift) {
    if (!m.tableSelection.erase(pickedPoint_)) m.tableSelection.insert(pickedPoint_);
  } else if (!m.tableSelection.count(pickedPoint_)) {
    m.tableSelection = {pickedPoint_};
  }
  drag_ = Drag::Point;
}

void ViewInteraction::pressText(PointF p) {
  if (TextObject* t = textAt(p)) {
    v_.M->currentText = t;
    host_->editText(*t);
    drag_ = Drag::Ignore;
    v_.redraw = true;
    return;
  }
  drag_ = Drag::Text;
}

// The peak pointer works in the ranges of the current buffer, the one a fit fits.
PointF ViewInteraction::peakPosition(PointF p) const {
  const DataBuffer* b = v_.PD->getCurrentDataBuffer();
  const int bx = b ? b->belongx : 1, by = b ? b->belongy : 1;
  return {xValue(*v_.PD, p.x, bx), yValue(*v_.PD, p.y, by)};
}

void ViewInteraction::pressPeak(PointF p) {
  const PointF at = peakPosition(p);
  const PointF off = peakPosition({p.x + kPickRadius, p.y + kPickRadius});
  host_->pressPeak(at.x, at.y, std::fabs(off.x - at.x), std::fabs(off.y - at.y));
  drag_ = Drag::Peak;
}

// ---- drag ----

void ViewInteraction::mouseDragged(PointF p) {
  if (drag_ == Drag::None || drag_ == Drag::Ignore) return;
  overlay_.bloc = p;
  if (drag_ == Drag::Measure) overlay_.oloc = p;
  if (drag_ == Drag::Peak) {
    const PointF at = peakPosition(p);
    host_->dragPeak(at.x, at.y);
  }
  if (drag_ == Drag::GraphicNew && creating_) {
    const Graphic::Points q = creating_->getPoints();
    creating_->setPoints(q.x1, q.y1, p.x, p.y);
  }
}

// ---- release ----

void ViewInteraction::mouseUp(PointF p) {
  const Drag d = drag_;
  if (d == Drag::None) return;
  overlay_.bloc = p;
  // A Shirley drag across the data (not a mere click) is the whole gesture: once its end
  // points are set, the layers above apply the background with them.
  const bool shirley = doc() && d == Drag::Line && mode("shirbg") && std::fabs(p.x - overlay_.aloc.x) >= kPickRadius;
  if (doc() && d != Drag::Ignore) {
    switch (d) {
      case Drag::Band:
        if (mode("zoom")) releaseZoom();
        else if (mode("upscale")) releaseScale(1.3);
        else if (mode("downscale")) releaseScale(0.7);
        else releaseSubview();
        break;
      case Drag::Pan: releasePan(); break;
      case Drag::Line:
        if (mode("bgsub")) releaseBackgroundLine();
        else if (mode("shirbg")) releaseShirley();
        else releaseMove();
        break;
      case Drag::Measure: releaseMeasure(); break;
      case Drag::Mark: releaseNorm(); break;
      case Drag::GraphicNew: releaseGraphic(); break;
      case Drag::TextDrag: releaseTextDrag(); break;
      case Drag::GraphicDrag: releaseGraphicDrag(); break;
      case Drag::Legend: releaseLegend(); break;
      case Drag::Point: releasePoint(); break;
      case Drag::Frame: releaseFrame(); break;
      case Drag::SubviewMove: releaseSubviewMove(); break;
      case Drag::Peak: {
        const PointF at = peakPosition(p);
        host_->releasePeak(at.x, at.y);
        break;
      }
      case Drag::Text:
        if (TextObject* t = interaction::createText(*v_.PD, p)) {
          v_.M->currentText = t;
          host_->editText(*t);
        }
        break;
      default: break;
    }
  }
  finish();
  if (shirley) host_->shirleyDragged();
}

void ViewInteraction::finish() {
  drag_ = Drag::None;
  overlay_.pb.removeAllPoints();
  overlay_.nG = nullptr;
  creating_.reset();
  frameCorner_ = -1;
  pickedSub_ = nullptr;
  v_.redraw = true;
  if (XylaDocument* d = v_.PD; d && v_.M) v_.M->redraw(*d);
}

void ViewInteraction::releaseZoom() {
  XylaDocument& d = *v_.PD;
  const PointF a = overlay_.aloc, b = overlay_.bloc;
  if (a.x == b.x || a.y == b.y) return;
  const int sel = rangeChoice();
  // Both ranges change in one undo step; each reads its corners before either changes.
  double x1[3], x2[3], y1[3], y2[3];
  for (int r = 1; r <= 2; ++r)
    x1[r] = xValue(d, a.x, r), x2[r] = xValue(d, b.x, r), y1[r] = yValue(d, a.y, r), y2[r] = yValue(d, b.y, r);
  d.undoStack.beginGroup();
  for (int r = 1; r <= 2; ++r)
    if (sel == 0 || sel == r)
      d.scale(r, std::min(x1[r], x2[r]), std::max(x1[r], x2[r]), std::min(y1[r], y2[r]), std::max(y1[r], y2[r]), true,
              false);
  d.undoStack.endGroup();
  d.replot();
}

void ViewInteraction::releaseScale(double f) {
  XylaDocument& d = *v_.PD;
  const int sel = rangeChoice();
  double cx[3], cy[3];
  for (int r = 1; r <= 2; ++r) cx[r] = xValue(d, overlay_.bloc.x, r), cy[r] = yValue(d, overlay_.bloc.y, r);
  d.undoStack.beginGroup();
  for (int r = 1; r <= 2; ++r) {
    if (sel != 0 && sel != r) continue;
    const double w = (r == 1 ? d.xmax1 - d.xmin1 : d.xmax2 - d.xmin2) * f;
    const double h = (r == 1 ? d.ymax1 - d.ymin1 : d.ymax2 - d.ymin2) * f;
    d.scale(r, cx[r] - w / 2, cx[r] + w / 2, cy[r] - h / 2, cy[r] + h / 2, true, true);
  }
  d.undoStack.endGroup();
}

void ViewInteraction::releasePan() {
  XylaDocument& d = *v_.PD;
  const int sel = rangeChoice();
  // The new limits start from the ranges saved at the press.
  for (int r = 1; r <= 2; ++r) {
    if (sel != 0 && sel != r) continue;
    const double dx = xValue(d, overlay_.aloc.x, r) - xValue(d, overlay_.bloc.x, r);
    const double dy = yValue(d, overlay_.aloc.y, r) - yValue(d, overlay_.bloc.y, r);
    if (r == 1)
      d.scale(1, mvxmin1 + dx, mvxmax1 + dx, mvymin1 + dy, mvymax1 + dy, false, false);
    else
      d.scale(2, mvxmin2 + dx, mvxmax2 + dx, mvymin2 + dy, mvymax2 + dy, false, false);
  }
  d.replot();
}

void ViewInteraction::releaseMove() {
  XylaDocument& d = *v_.PD;
  if (samePlace(overlay_.aloc, overlay_.bloc) || !v_.M->selectionGuard()) return;
  const bool xs = mode("movex") || mode("movexy"), ys = mode("movey") || mode("movexy");
  d.undoStack.beginGroup();
  for (int i : v_.M->selection()) {
    DataBuffer* b = d.buffer(i);
    if (!b) continue;
    if (ys) {
      const double dy = yValue(d, overlay_.bloc.y, b->belongy) - yValue(d, overlay_.aloc.y, b->belongy);
      interaction::shiftBuffer(d, b, false, dy);
    }
    if (xs) {
      const double dx = xValue(d, overlay_.bloc.x, b->belongx) - xValue(d, overlay_.aloc.x, b->belongx);
      interaction::shiftBuffer(d, b, true, dx);
    }
  }
  d.undoStack.endGroup();
  overlay_.pb.removeAllPoints();
  d.replot();
}

void ViewInteraction::releaseBackgroundLine() {
  XylaDocument& d = *v_.PD;
  if (samePlace(overlay_.aloc, overlay_.bloc)) return;
  const int r = rangeChoice() == 2 ? 2 : 1;
  const double x1 = xValue(d, overlay_.aloc.x, r), y1 = yValue(d, overlay_.aloc.y, r);
  const double x2 = xValue(d, overlay_.bloc.x, r), y2 = yValue(d, overlay_.bloc.y, r);
  const double s = (y2 - y1) / (x2 - x1);
  const double b = y1 - s * x1;
  if (!std::isfinite(s) || !std::isfinite(b)) return;
  v_.M->GV["linbga"] = -s;
  v_.M->GV["linbgb"] = -b;
  host_->setLinearBackground(-s, -b);
}

void ViewInteraction::releaseShirley() {
  XylaDocument& d = *v_.PD;
  const DataBuffer* b = d.getCurrentDataBuffer();
  const int bx = b ? b->belongx : 1, by = b ? b->belongy : 1;
  Manager& m = *v_.M;
  m.shirx1 = xValue(d, overlay_.aloc.x, bx);
  m.shiry1 = yValue(d, overlay_.aloc.y, by);
  m.shirx2 = xValue(d, overlay_.bloc.x, bx);
  m.shiry2 = yValue(d, overlay_.bloc.y, by);
  // The end points show at once in the fields beside the Shirley button.
  host_->showInspector("Advanced");
  m.refreshPanels();
}

void ViewInteraction::releaseMeasure() {
  overlay_.oloc = overlay_.bloc;
  overlay_.haveoloc = true;
  const int r = rangeChoice();
  if (r == 1 || r == 2) host_->setFitParam(xValue(*v_.PD, overlay_.bloc.x, r), yValue(*v_.PD, overlay_.bloc.y, r));
}

void ViewInteraction::releaseNorm() {
  const int r = rangeChoice() == 2 ? 2 : 1;
  const double value = mode("normx") ? xValue(*v_.PD, overlay_.bloc.x, r) : yValue(*v_.PD, overlay_.bloc.y, r);
  host_->setMouseLocation(value);
}

void ViewInteraction::releaseGraphic() {
  if (!creating_) return;
  const Graphic::Points q = creating_->getPoints();
  if (q.x1 == q.x2 && q.y1 == q.y2) return;
  overlay_.nG = nullptr;
  Graphic* g = interaction::insertGraphic(*v_.PD, std::move(creating_), v_.PD->G.size());
  v_.M->currentGraphic = g;
  v_.PD->replot();
}

void ViewInteraction::releaseSubview() {
  XylaDocument& d = *v_.PD;
  if (d.subview) return;
  const double x = std::min(overlay_.aloc.x, overlay_.bloc.x), y = std::min(overlay_.aloc.y, overlay_.bloc.y);
  const double w = std::fabs(overlay_.bloc.x - overlay_.aloc.x), h = std::fabs(overlay_.bloc.y - overlay_.aloc.y);
  if (w <= kMinSubview || h <= kMinSubview) return;
  XylaDocument& sub = d.addSubplot(std::make_unique<XylaDocument>(v_.M), x, y, w, h);
  v_.M->setCurrentDocument(&sub);
  d.replot();
}

void ViewInteraction::releaseTextDrag() {
  TextObject* t = v_.M->currentText;
  if (!t || t->autopos || samePlace(overlay_.aloc, overlay_.bloc)) {
    v_.PD->replot();
    return;
  }
  moveText(*t, overlay_.bloc.x - overlay_.aloc.x, overlay_.bloc.y - overlay_.aloc.y);
}

void ViewInteraction::releaseGraphicDrag() {
  Graphic* g = v_.M->currentGraphic;
  if (g && !samePlace(overlay_.aloc, overlay_.bloc))
    moveGraphic(*g, overlay_.bloc.x - overlay_.aloc.x, overlay_.bloc.y - overlay_.aloc.y);
  else v_.PD->replot();
}

void ViewInteraction::releaseLegend() {
  XylaDocument& d = *v_.PD;
  if (samePlace(overlay_.aloc, overlay_.bloc)) return;
  interaction::setLegendPosition(d, d.legendx + overlay_.bloc.x - overlay_.aloc.x,
                                 d.legendy + overlay_.bloc.y - overlay_.aloc.y);
}

void ViewInteraction::releasePoint() {
  DataBuffer* b = movepoints;
  XylaDocument& d = *v_.PD;
  if (!b || pickedPoint_ < 0 || samePlace(overlay_.aloc, overlay_.bloc)) {
    d.replot();
    return;
  }
  // Every selected point moves with the one under the pointer, by the same view distance.
  const double dx = overlay_.bloc.x - overlay_.aloc.x, dy = overlay_.bloc.y - overlay_.aloc.y;
  interaction::movePoints(d, b, v_.M->tableSelection, dx, dy);
}

void ViewInteraction::releaseFrame() {
  XylaDocument& d = *v_.PD;
  if (frameCorner_ < 0 || samePlace(overlay_.aloc, overlay_.bloc)) return;
  double l = d.marginleft, r = d.marginright, t = d.margintop, b = d.marginbottom;
  const double W = v_.boundsWidth(), H = v_.boundsHeight();
  const PointF p = overlay_.bloc;
  if (frameCorner_ % 2 == 0) l = std::clamp(p.x, 0.0, W - r - 10);
  else r = std::clamp(W - p.x, 0.0, W - l - 10);
  if (frameCorner_ < 2) b = std::clamp(p.y, 0.0, H - t - 10);
  else t = std::clamp(H - p.y, 0.0, H - b - 10);
  interaction::setMargins(d, l, r, t, b);
}

void ViewInteraction::releaseSubviewMove() {
  if (!pickedSub_ || samePlace(overlay_.aloc, overlay_.bloc)) return;
  interaction::moveSubview(*v_.PD, pickedSub_, overlay_.bloc.x - overlay_.aloc.x, overlay_.bloc.y - overlay_.aloc.y);
}

// ---- objects ----

void ViewInteraction::moveText(TextObject& t, double dx, double dy) {
  interaction::setTextAnchor(*v_.PD, &t, {t.tloc.x + dx, t.tloc.y + dy});
}

void ViewInteraction::moveGraphic(Graphic& g, double dx, double dy) {
  const Graphic::Points q = g.getPoints();
  interaction::setGraphicPoints(*v_.PD, &g, {q.x1 + dx, q.y1 + dy, q.x2 + dx, q.y2 + dy});
}

void ViewInteraction::deleteText(TextObject& t) {
  XylaDocument& d = *v_.PD;
  interaction::removeText(d, indexIn(d.T, &t));
}

void ViewInteraction::deleteGraphic(Graphic& g) {
  XylaDocument& d = *v_.PD;
  interaction::removeGraphic(d, indexIn(d.G, &g));
}

TextObject* ViewInteraction::textAt(PointF p) const {
  if (!v_.PD) return nullptr;
  for (auto it = v_.PD->T.rbegin(); it != v_.PD->T.rend(); ++it)
    if (insideText(**it, p)) return it->get();
  return nullptr;
}

Graphic* ViewInteraction::graphicAt(PointF p) const {
  if (!v_.PD) return nullptr;
  for (auto it = v_.PD->G.rbegin(); it != v_.PD->G.rend(); ++it) {
    Graphic& g = **it;
    const Graphic::Points q = g.getPoints();
    const double slack = kPickRadius + g.linewidth / 2;
    if (g.type == Graphic::Line) {
      if (distanceToSegment(p, q.x1, q.y1, q.x2, q.y2) <= slack) return &g;
    } else if (p.x >= std::min(q.x1, q.x2) - slack && p.x <= std::max(q.x1, q.x2) + slack &&
               p.y >= std::min(q.y1, q.y2) - slack && p.y <= std::max(q.y1, q.y2) + slack) {
      return &g;
    }
  }
  return nullptr;
}

int ViewInteraction::pointNear(const DataBuffer& b, PointF p, double radius) const {
  const XylaDocument& d = *v_.PD;
  const AxisScale sx = AxisScale::x(d, b.belongx), sy = AxisScale::y(d, b.belongy);
  int best = -1;
  double bestDist = radius;
  for (int i = 0; i < b.count(); ++i) {
    const double dist = std::hypot(sx.toView(b.X[i]) - p.x, sy.toView(b.Y[i]) - p.y);
    if (dist <= bestDist) {
      bestDist = dist;
      best = i;
    }
  }
  return best;
}

// ---- wheel ----

void ViewInteraction::scrollWheel(double d, PointerModifiers mods) {
  XylaDocument* doc = this->doc();
  if (!doc || !mode("range") || d == 0 || !std::isfinite(d)) return;
  const double f = std::max(5.0, 50.0 / std::fabs(d));
  const int axes = mods.option && !mods.command ? 1 : (mods.command && !mods.option ? 2 : 0);
  if (d > 0) doc->upscale(f, axes, rangeChoice(), true);
  else doc->downscale(f, axes, rangeChoice(), true);
}

// ---- keys ----

bool ViewInteraction::keyDown(int c, ViewKey key, PointerModifiers mods) {
  if (!v_.M) return false;
  if (mods.command && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
    host_->runShortcut(c);
    return true;
  }
  if (!v_.PD || key == ViewKey::Other) return false;
  if (mode("movepoint")) return movePointKeys(key);
  if (mode("select")) return selectKeys(key, mods);
  if (mode("graphic")) return graphicKeys(key);
  return false;
}

bool ViewInteraction::movePointKeys(ViewKey key) {
  XylaDocument& d = *v_.PD;
  DataBuffer* b = movepoints;
  if (!b || !d.buffer(0)) return false;
  bool owned = false;
  for (const auto& p : d.DB) owned = owned || p.get() == b;
  if (!owned) {
    movepoints = nullptr;
    return false;
  }
  std::set<int>& sel = v_.M->tableSelection;
  std::erase_if(sel, [&](int i) { return i < 0 || i >= b->count(); });
  if (sel.empty()) return false;
  if (key == ViewKey::Delete) {
    interaction::deletePoints(d, b, sel);
    sel.clear();
    return true;
  }
  double dx, dy;
  if (!arrowStep(key, dx, dy)) return false;
  d.undoStack.inRun(b, [&] { interaction::movePoints(d, b, sel, dx, dy); });
  return true;
}

bool ViewInteraction::selectKeys(ViewKey key, PointerModifiers mods) {
  XylaDocument& d = *v_.PD;
  TextObject* t = v_.M->currentText;
  if (!t || t->PD != &d) return false;
  if (mods.command && (key == ViewKey::Left || key == ViewKey::Right) && !d.T.empty()) {
    const auto n = static_cast<long>(d.T.size());
    long i = 0;
    while (i < n && d.T[i].get() != t) ++i;
    if (i == n) i = 0;
    i = key == ViewKey::Left ? (i + n - 1) % n : (i + 1) % n;
    v_.M->currentText = d.T[i].get();
    d.replot();
    return true;
  }
  double dx, dy;
  if (key == ViewKey::Delete) deleteText(*t);
  else if (arrowStep(key, dx, dy))
    d.undoStack.inRun(t, [&] { moveText(*t, dx, dy); });  // a run: one step
  else return false;
  return true;
}

bool ViewInteraction::graphicKeys(ViewKey key) {
  Graphic* g = v_.M->currentGraphic;
  if (!g || g->PD != v_.PD) return false;
  double dx, dy;
  if (key == ViewKey::Delete) deleteGraphic(*g);
  else if (arrowStep(key, dx, dy))
    v_.PD->undoStack.inRun(g, [&] { moveGraphic(*g, dx, dy); });
  else return false;
  return true;
}

// ---- context menu ----

const std::vector<std::string>& ViewInteraction::contextMenuTitles() {
  static const std::vector<std::string> titles{"Rescale", "Upscale", "Downscale"};
  return titles;
}

void ViewInteraction::contextMenu(int index) {
  XylaDocument* d = doc();
  if (!d) return;
  v_.M->setCurrentDocument(d);
  // "Upscale" enlarges the data (zooms in) and "Downscale" shrinks it: they run the
  // controller's actions of the opposite names, which act on the ranges.
  switch (index) {
    case 0: rescaleAction(*v_.M); break;
    case 1: downscaleAction(*v_.M); break;
    case 2: upscaleAction(*v_.M); break;
    default: break;
  }
}

namespace {
constexpr double kMenuZoomFactor = 10.0;  // one step widens or narrows each side by a tenth
}

void ViewInteraction::rescaleAction(Manager& m) {
  if (!m.PD) return m.ui().beep();
  m.PD->rescale(true, m.axis12);
}

void ViewInteraction::upscaleAction(Manager& m) {
  if (!m.PD) return m.ui().beep();
  m.PD->upscale(kMenuZoomFactor, 0, m.axis12, true);
}

void ViewInteraction::downscaleAction(Manager& m) {
  if (!m.PD) return m.ui().beep();
  m.PD->downscale(kMenuZoomFactor, 0, m.axis12, true);
}

// ---- overlays ----

void ViewInteraction::prepareOverlay() {
  Path& pb = overlay_.pb;
  pb.removeAllPoints();
  const PointF a = overlay_.aloc, b = overlay_.bloc;
  switch (drag_) {
    case Drag::Band:
      pb.appendRect({std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y)});
      break;
    case Drag::Pan:
    case Drag::Line:
      pb.moveTo(a.x, a.y);
      pb.lineTo(b.x, b.y);
      break;
    case Drag::Mark:
      if (mode("normx")) {
        pb.moveTo(b.x, v_.bottom);
        pb.lineTo(b.x, v_.top);
      } else {
        pb.moveTo(v_.left, b.y);
        pb.lineTo(v_.right, b.y);
      }
      break;
    case Drag::Frame: {
      const double x0 = frameCorner_ % 2 == 0 ? b.x : v_.left, x1 = frameCorner_ % 2 == 0 ? v_.right : b.x;
      const double y0 = frameCorner_ < 2 ? b.y : v_.bottom, y1 = frameCorner_ < 2 ? v_.top : b.y;
      pb.appendRect({std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0)});
      break;
    }
    case Drag::SubviewMove:
      if (pickedSub_)
        pb.appendRect({pickedSub_->subviewx + b.x - a.x, pickedSub_->subviewy + b.y - a.y, pickedSub_->subvieww,
                       pickedSub_->subviewh});
      break;
    case Drag::TextDrag:
      if (TextObject* t = v_.M->currentText; t && !t->autopos)
        pb.appendRect({t->frame.x + b.x - a.x, t->frame.y + b.y - a.y, t->frame.width, t->frame.height});
      break;
    default: break;
  }
}

void ViewInteraction::drawOverlays(Canvas& c) {
  const PointF a = overlay_.aloc, b = overlay_.bloc;
  if (drag_ == Drag::Legend && v_.PD && !samePlace(a, b)) v_.plotLegend(c, &overlay_);
  if (drag_ == Drag::GraphicDrag && v_.M && v_.M->currentGraphic) {
    Graphic moved = *v_.M->currentGraphic;
    const Graphic::Points q = moved.getPoints();
    moved.setPoints(q.x1 + b.x - a.x, q.y1 + b.y - a.y, q.x2 + b.x - a.x, q.y2 + b.y - a.y);
    moved.color = XylaView::highlight();
    moved.image.clear();
    v_.drawGraphic(c, moved);
  }
  if (drag_ == Drag::Point && movepoints && v_.PD) {
    const DataBuffer& buf = *movepoints;
    const AxisScale sx = AxisScale::x(*v_.PD, buf.belongx), sy = AxisScale::y(*v_.PD, buf.belongy);
    Path marks;
    for (int i : v_.M->tableSelection)
      if (i >= 0 && i < buf.count())
        marks.appendOval({sx.toView(buf.X[i]) + b.x - a.x - 4, sy.toView(buf.Y[i]) + b.y - a.y - 4, 8, 8});
    c.save();
    c.setDash(nullptr, 0, 0.0);
    c.setColour(XylaView::highlight());
    c.setLineWidth(1);
    c.stroke(marks);
    c.restore();
  }
}

}  // namespace xyla
