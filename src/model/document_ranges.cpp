// Extents of the data and the two coordinate ranges: setting, auto-ranging, zooming.
#include <cmath>

#include "model/xyla_document.h"

namespace xyla {

namespace {

// An interval that the first contribution replaces and later ones widen.
struct Span {
  double lo = 0.0;
  double hi = 1.0;
  bool empty = true;

  void widen(double a, double b) {
    if (empty) {
      lo = a;
      hi = b;
      empty = false;
      return;
    }
    if (a < lo) lo = a;
    if (b > hi) hi = b;
  }
  void openUpIfFlat() {
    if (lo == hi) {
      lo *= 0.9;
      hi *= 1.1;
    }
  }
};

// The auto-range limits of one axis: a factor of two on a logarithmic axis, otherwise a
// margin of 20 points of the plot's `length` on each side.
Span padded(Span s, int axismode, double length) {
  if (axismode == 1) return {s.lo * 0.5, s.hi * 2.0, false};
  const double p = (s.hi - s.lo) / (length / 20.0);
  return {s.lo - p, s.hi + p, false};
}

}  // namespace

double XylaDocument::extent(int all, bool minimum, bool xaxis) const {
  bool have = false;
  double result = 0.0;
  for (const auto& b : DB) {
    if (!b->show && all == 0) continue;
    const double v = xaxis ? (minimum ? b->xmin : b->xmax) : (minimum ? b->ymin : b->ymax);
    if (!have || (minimum ? v < result : v > result)) result = v;
    have = true;
  }
  return result;
}

double XylaDocument::getXmin(int all) const { return extent(all, true, true); }
double XylaDocument::getXmax(int all) const { return extent(all, false, true); }
double XylaDocument::getYmin(int all) const { return extent(all, true, false); }
double XylaDocument::getYmax(int all) const { return extent(all, false, false); }

void XylaDocument::scale(int range, double x0, double x1, double y0, double y1, bool undoable, bool redraw) {
  if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) return;
  if (x0 != x1 && y0 != y1 && (range == 1 || range == 2)) {
    double& xlo = range == 1 ? xmin1 : xmin2;
    double& xhi = range == 1 ? xmax1 : xmax2;
    double& ylo = range == 1 ? ymin1 : ymin2;
    double& yhi = range == 1 ? ymax1 : ymax2;
    if (undoable) {
      undoStack.beginGroup();
      undoStack.registerUndo([this] { replot(); });
      undoStack.registerUndo([this, range, a = xlo, b = xhi, c = ylo, d = yhi] {
        scale(range, a, b, c, d, true, true);
      });
    }
    xlo = x0;
    xhi = x1;
    ylo = y0;
    yhi = y1;
    if (undoable) undoStack.endGroup();
  }
  if (redraw) replot();
}

void XylaDocument::rescale(bool redraw, int which) {
  Span x1, y1, x2, y2;
  const bool first = which == 0 || which == 1;
  const bool second = which == 0 || which == 2;
  for (const auto& b : DB) {
    if (!b->show) continue;
    if (first) {
      if (b->belongx == 1) x1.widen(b->xmin, b->xmax);
      if (b->belongy == 1) y1.widen(b->ymin, b->ymax);
    }
    if (second) {
      if (b->belongx == 2) x2.widen(b->xmin, b->xmax);
      if (b->belongy == 2) y2.widen(b->ymin, b->ymax);
    }
  }
  for (Span* s : {&x1, &y1, &x2, &y2}) s->openUpIfFlat();
  const double w = viewWidth - marginright - marginleft;
  const double h = viewHeight - margintop - marginbottom;

  undoStack.beginGroup();
  if (first) {
    const Span x = padded(x1, axismode[0], w);
    const Span y = padded(y1, axismode[1], h);
    scale(1, x.lo, x.hi, y.lo, y.hi, true, false);
  }
  if (second) {
    const Span x = padded(x2, axismode[2], w);
    const Span y = padded(y2, axismode[3], h);
    scale(2, x.lo, x.hi, y.lo, y.hi, true, false);
  }
  undoStack.endGroup();
  if (redraw) {
    refreshPanels();
    replot();
  }
}

void XylaDocument::zoom(double f, int axes, int range, bool redraw, bool out) {
  if (axes < 0 || axes > 2) return;
  auto limits = [f, out](double lo, double hi, int mode) -> std::pair<double, double> {
    if (mode == 1) return out ? std::pair{lo / f, hi * f} : std::pair{lo * f, hi / f};
    const double d = (hi - lo) / f;
    return out ? std::pair{lo - d, hi + d} : std::pair{lo + d, hi - d};
  };
  for (int r = 1; r <= 2; ++r) {
    if (range != 0 && range != r) continue;
    const double xlo = r == 1 ? xmin1 : xmin2, xhi = r == 1 ? xmax1 : xmax2;
    const double ylo = r == 1 ? ymin1 : ymin2, yhi = r == 1 ? ymax1 : ymax2;
    auto [nxlo, nxhi] = axes == 2 ? std::pair{xlo, xhi} : limits(xlo, xhi, axismode[r == 1 ? 0 : 2]);
    auto [nylo, nyhi] = axes == 1 ? std::pair{ylo, yhi} : limits(ylo, yhi, axismode[r == 1 ? 1 : 3]);
    scale(r, nxlo, nxhi, nylo, nyhi, true, redraw);
  }
}

void XylaDocument::upscale(double factor, int axes, int range, bool redraw) { zoom(factor, axes, range, redraw, true); }

void XylaDocument::downscale(double factor, int axes, int range, bool redraw) {
  zoom(factor, axes, range, redraw, false);
}

}  // namespace xyla
