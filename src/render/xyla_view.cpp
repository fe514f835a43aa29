#include "render/xyla_view.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "render/measuring_canvas.h"

namespace xyla {

namespace {

constexpr Colour kLightGrey{0.8, 0.8, 0.8, 1.0};

// The two limits of axis k: 0 bottom (x1), 1 left (y1), 2 top (x2), 3 right (y2).
std::pair<double*, double*> limitsOf(XylaDocument& d, int k) {
  switch (k) {
    case 0: return {&d.xmin1, &d.xmax1};
    case 1: return {&d.ymin1, &d.ymax1};
    case 2: return {&d.xmin2, &d.xmax2};
    default: return {&d.ymin2, &d.ymax2};
  }
}

// Whether buffer `b` is drawn against axis k.
bool usesAxis(const DataBuffer& b, int k) {
  const int range = k < 2 ? 1 : 2;
  return (k % 2 == 0 ? b.belongx : b.belongy) == range;
}

}  // namespace

XylaView::XylaView(Manager* manager, double w, double h) : M(manager), W_(w), H_(h) { setDashPattern(0); }

void XylaView::setXylaDocument(XylaDocument* doc) {
  PD = doc;
  if (!PD) return;
  PD->viewWidth = W_;
  PD->viewHeight = H_;
  if (PD->legendx == -1 && PD->legendy == -1) {
    PD->legendx = PD->marginleft + 20;
    PD->legendy = H_ - PD->margintop - 20;
  }
}

void XylaView::setFrameSize(double w, double h) {
  W_ = w;
  H_ = h;
  if (PD) {
    PD->viewWidth = w;
    PD->viewHeight = h;
  }
}

void XylaView::computeGeometry() {
  width = W_ - PD->marginright - PD->marginleft;
  height = H_ - PD->margintop - PD->marginbottom;
  left = PD->marginleft;
  bottom = PD->marginbottom;
  right = W_ - PD->marginright;
  top = H_ - PD->margintop;
}

void XylaView::setDashPattern(int w) {
  const float a = static_cast<float>(w + 1), b = static_cast<float>(w + 5), c = static_cast<float>(w + 10);
  static const char* const rows[16] = {"",       "ab",     "b",      "cb",       "bbab",     "cbbb",
                                       "cbab",   "cbbbab", "cbcbbb", "cbbbbb",   "cbcbbbbb", "bbabab",
                                       "cbabab", "bbbbabab", "cbcbabab", "cbbbabab"};
  for (int p = 0; p < 16; ++p) {
    dash[p].fill(b);
    int n = 0;
    for (const char* s = rows[p]; *s; ++s) dash[p][n++] = *s == 'a' ? a : *s == 'b' ? b : c;
    dashcount[p] = static_cast<float>(n);
  }
}

void XylaView::setDashPatternForWidth(double w) {
  setDashPattern(std::isfinite(w) ? static_cast<int>(std::clamp(w, 0.0, 1e4)) : 0);
}

void XylaView::applyDash(Canvas& c, int p) const {
  if (p < 0 || p > 15 || dashcount[p] == 0) {
    c.setDash(nullptr, 0, 0.0);
    return;
  }
  c.setDash(dash[p].data(), static_cast<int>(dashcount[p]), 0.0);
}

double XylaView::xPoint(double v, int which) const { return xyla::xPoint(*PD, v, which); }
double XylaView::yPoint(double v, int which) const { return xyla::yPoint(*PD, v, which); }
bool XylaView::printing() const { return M && M->printmode; }

// A log axis cannot show a range reaching zero or below: the lower limit moves to a fifth
// of the smallest positive value any buffer on that axis has below the upper limit.
void XylaView::repairLogRanges() {
  for (int k = 0; k < 4; ++k) {
    if (PD->axismode[k] != 1) continue;
    auto [lo, hi] = limitsOf(*PD, k);
    double* minp = *lo <= *hi ? lo : hi;
    const double mx = std::max(*lo, *hi);
    if (!(*minp <= 0 && 0 < mx)) continue;
    double m = mx;
    for (const auto& b : PD->DB) {
      if (!b->show || !usesAxis(*b, k)) continue;
      for (double v : (k % 2 == 0 ? b->X : b->Y))
        if (v > 0 && v < m) m = v;
    }
    *minp = 0.2 * m;
  }
}

void XylaView::orderRanges() {
  for (int k = 0; k < 4; ++k) {
    auto [lo, hi] = limitsOf(*PD, k);
    if (PD->reverse[k] ? *lo < *hi : *lo > *hi) std::swap(*lo, *hi);
  }
}

void XylaView::prepare(Canvas& c) {
  if (!PD) return;
  if (M) M->calcDocument = PD;
  repairLogRanges();
  orderRanges();
  computeGeometry();
  PD->viewWidth = W_;
  PD->viewHeight = H_;
  measureAxes(c);
  // Texts are placed after the axes were measured, so that places past the axis numbers
  // use this pass's number sizes and a single pass (an export) is already right.
  placeTexts(c);
  // The fit preview is taken by the next screen pass; pictures and prints leave it
  // pending.
  if (PD->haveFitPreview && !printing()) {
    fitPreview_ = std::move(PD->FP);
    fitPreviewBuffer_ = PD->fitBuffer;
    keepFitPreview_ = std::exchange(PD->keepFitPreview, false);
    PD->haveFitPreview = false;
    PD->FP.clear();
    if (keepFitPreview_) fitPreviewTable_ = PD->F, fitPreviewData_ = fittedDataFingerprint();
  } else if (!keepFitPreview_ || printing() || PD->F != fitPreviewTable_ ||
             fittedDataFingerprint() != fitPreviewData_) {
    fitPreview_.clear();
    keepFitPreview_ = false;
  }
  prepareSubplots(c);
}

// Runs the axis drawing on a canvas that only measures, for the extents of the numbers
// and the keys of the tick labels.
void XylaView::measureAxes(Canvas& c) {
  MeasuringCanvas measure(c);
  const double mins[4] = {PD->xmin1, PD->ymin1, PD->xmin2, PD->ymin2};
  const double maxs[4] = {PD->xmax1, PD->ymax1, PD->xmax2, PD->ymax2};
  measuring_ = true;
  for (int k = 0; k < 4; ++k) {
    if (PD->axis[k]) PD->alabelindex[k].clear();
    const SizeF s = PD->axis[k] ? drawAxis(measure, k, mins[k], maxs[k]) : SizeF{};
    PD->axm[k] = {static_cast<float>(s.width), static_cast<float>(s.height)};
  }
  measuring_ = false;
}

void XylaView::drawRect(Canvas& c, const PointerOverlay* overlay) {
  if (!PD) return;
  c.save();
  c.clipToRect({0, 0, W_, H_});
  computeGeometry();
  const bool cached = !redraw && PD->subplots.empty();
  if (cached) {
    c.restoreWindowImage();
  } else {
    const bool isCurrent = M && M->PD == PD;
    if (PD->drawmargin) {
      c.setColour(PD->margincolor);
      c.fillRect({0, 0, left, H_});
      c.fillRect({0, 0, W_, bottom});
      c.fillRect({0, top, W_, H_ - top});
      c.fillRect({right, 0, W_ - right, H_});
    }
    if (PD->drawbackground) {
      c.setColour(PD->backgroundcolor);
      c.fillRect({left, bottom, width, height});
    }
    drawGraphicSelection(c);
    drawGraphics(c, true);
    const double mins[4] = {PD->xmin1, PD->ymin1, PD->xmin2, PD->ymin2};
    const double maxs[4] = {PD->xmax1, PD->ymax1, PD->xmax2, PD->ymax2};
    for (int k = 0; k < 4; ++k)
      if (PD->axis[k]) drawGrid(c, k, mins[k], maxs[k], 0);
    if (!PD->DB.empty()) drawFills(c);
    for (int k = 0; k < 4; ++k)
      if (PD->axis[k]) drawAxis(c, k, mins[k], maxs[k]);
    for (int k = 0; k < 4; ++k)
      if (PD->axis[k]) drawGrid(c, k, mins[k], maxs[k], 1);
    drawSeries(c);
    if (!printing() && isCurrent) drawSelectionHighlight(c);
    if (PD->plotlegend) plotLegend(c);
    drawFrame(c);
    if (M && M->isMouseMode("select") && !printing()) {
      c.setColour(kLightGrey);
      for (double x : {left, right})
        for (double y : {bottom, top}) c.fillRect({x - 2, y - 2, 4, 4});
    }
    drawGraphics(c, false);
    drawGraphicSelection(c);
  }
  if (overlay) drawOverlays(c, *overlay);
  // The fit preview, texts and sub-plots lie over the plot; the cached window image shows
  // them already.
  if (!cached) drawFitPreview(c);
  drawSubviewOutline(c);
  if (!cached) {
    drawTexts(c);
    drawSubplots(c);
  }
  c.restore();
}

// Points of the current buffer whose rows are selected in the data table: a ring in the
// highlight colour on a white halo, drawn over the series and wider than the symbol, so
// that it shows on any line, symbol or background while the point itself stays visible.
void XylaView::drawSelectionHighlight(Canvas& c) {
  DataBuffer* b = PD->buffer(PD->current);
  if (!b || !M || M->tableSelection.empty()) return;
  const int sz = std::isfinite(b->symbolsize) ? static_cast<int>(std::clamp(b->symbolsize, 0.0, 1e4)) : 0;
  const double d = std::max(12.0, (b->plotsymbols ? sz : 0) + 8.0);
  Path p;
  for (int row : M->tableSelection) {
    if (row < 0 || row >= b->count()) continue;
    const double px = xPoint(b->X[row], b->belongx), py = yPoint(b->Y[row], b->belongy);
    if (!std::isfinite(px) || !std::isfinite(py)) continue;
    p.appendOval({px - d / 2, py - d / 2, d, d});
  }
  c.save();
  c.clipToRect({left, bottom, width, height});
  c.setDash(nullptr, 0, 0.0);
  c.setColour(Colour::white());
  c.setLineWidth(4);
  c.stroke(p);
  const Colour mark = highlight();
  c.setColour({mark.r, mark.g, mark.b, 1});
  c.setLineWidth(2);
  c.stroke(p);
  c.restore();
}

void XylaView::drawFrame(Canvas& c) {
  if (!PD->drawframe) return;
  c.setDash(nullptr, 0, 0.0);
  c.setColour(PD->framecolor);
  c.setLineWidth(PD->framewidth);
  c.setDefaultLineWidth(PD->framewidth);
  c.setLineCap(LineCap::Butt);
  c.setLineJoin(LineJoin::Miter);
  if (PD->framestyle == 0) {
    c.strokeRect({left, bottom, width, height});
  } else {
    double x0 = PD->framestyle == 1 ? xPoint(0, 1) : left;
    double y0 = PD->framestyle == 1 ? yPoint(0, 1) : bottom;
    // Axes crossing at an origin that no range can place sit at the frame's corner.
    if (!std::isfinite(x0)) x0 = left;
    if (!std::isfinite(y0)) y0 = bottom;
    Path p;
    p.moveTo(x0, bottom);
    p.lineTo(x0, bottom + height);
    p.moveTo(left, y0);
    p.lineTo(left + width, y0);
    c.stroke(p);
    if (PD->framearrows) drawFrameArrows(c, x0, y0);
  }
  if (PD->forceframe) c.strokeRect({left, bottom, width, height});
}

// Arrow heads at the upper end of the vertical frame line and the right end of the
// horizontal one: a bar (type 2), or two strokes back from the tip, closed and filled
// for type 0.
void XylaView::drawFrameArrows(Canvas& c, double x0, double y0) {
  const double s = PD->arrowsize;
  c.save();
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Miter);
  Path p;
  const PointF up{x0, bottom + height}, rt{left + width, y0};
  if (PD->arrowtype == 2) {
    p.moveTo(up.x - s, up.y);
    p.lineTo(up.x + s, up.y);
    p.moveTo(rt.x, rt.y - s);
    p.lineTo(rt.x, rt.y + s);
    c.stroke(p);
  } else {
    const double w = s / 2.3;
    p.moveTo(up.x - w, up.y - s);
    p.lineTo(up.x, up.y);
    p.lineTo(up.x + w, up.y - s);
    if (PD->arrowtype == 0) p.closePath();
    p.moveTo(rt.x - s, rt.y - w);
    p.lineTo(rt.x, rt.y);
    p.lineTo(rt.x - s, rt.y + w);
    if (PD->arrowtype == 0) {
      p.closePath();
      c.fill(p);
    }
    c.stroke(p);
  }
  c.restore();
}

void XylaView::drawOverlays(Canvas& c, const PointerOverlay& o) {
  if (o.nG && M && M->isMouseMode("graphic")) drawGraphic(c, *o.nG);
  if (!o.pb.isEmpty()) {
    c.save();
    c.setDash(nullptr, 0, 0.0);
    c.setColour({0.75, 0, 0, 1});
    c.setLineWidth(1);
    c.setAntialias(false);
    c.stroke(o.pb);
    c.restore();
  }
  if (M && M->isMouseMode("measure") && o.haveoloc) {
    Path cross;
    crossHair(cross, o.oloc, 0);
    c.save();
    c.setDash(nullptr, 0, 0.0);
    c.setColour({0.75, 0, 0, 0.3});
    c.setLineWidth(1);
    c.setAntialias(false);
    c.stroke(cross);
    c.restore();
  }
}

// A number that changes when the fitted buffer's points change (or it goes).
double XylaView::fittedDataFingerprint() const {
  const DataBuffer* b = PD->buffer(fitPreviewBuffer_);
  if (!b) return -1.0;
  double sum = b->count();
  for (int i = 0; i < b->count(); ++i) {
    const double v = (i + 1.0) * (b->X[i] * 0.7 + b->Y[i] * 1.3);
    if (std::isfinite(v)) sum += v;
  }
  return sum;
}

// The curves of the last fit preview, once, on screen only: FP holds the X values, then
// the model sum and one list of values per peak. Pictures and prints leave the preview
// out and leave it pending for the next screen pass.
void XylaView::drawFitPreview(Canvas& c) {
  if (fitPreview_.empty()) return;
  const DataBuffer* fitted = PD->buffer(fitPreviewBuffer_);
  const int bx = fitted ? fitted->belongx : 1, by = fitted ? fitted->belongy : 1;
  c.save();
  c.clipToRect({left, bottom, width, height});
  c.setDash(nullptr, 0, 0.0);
  c.setLineWidth(1);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Round);
  for (std::size_t i = 1; i < fitPreview_.size(); ++i) {
    const auto& xs = fitPreview_[0];
    const auto& ys = fitPreview_[i];
    Path p;
    bool started = false;
    for (std::size_t j = 0; j < std::min(xs.size(), ys.size()); ++j) {
      const double px = xPoint(xs[j], bx), py = yPoint(ys[j], by);
      if (!std::isfinite(px) || !std::isfinite(py)) continue;
      if (started) p.lineTo(px, py);
      else p.moveTo(px, py);
      started = true;
    }
    c.setColour(i == 1 ? Colour{0, 128 / 255.0, 128 / 255.0, 1} : Colour{128 / 255.0, 0, 128 / 255.0, 1});
    c.stroke(p);
  }
  c.restore();
}

// A sub-plot shows a light-grey outline of its own bounds on screen, so that it can be
// found and grabbed inside its parent.
void XylaView::drawSubviewOutline(Canvas& c) {
  if (!PD->subview || printing()) return;
  c.save();
  c.setDash(nullptr, 0, 0.0);
  c.setColour(kLightGrey);
  c.setDefaultLineWidth(1);
  c.strokeRect({0, 0, W_, H_});
  c.restore();
}

}  // namespace xyla
