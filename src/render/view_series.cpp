#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "expr/computed_columns.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "render/clipping.h"
#include "render/drawing_limits.h"
#include "render/every_point_line.h"
#include "render/polyline_thinning.h"
#include "render/xyla_view.h"

namespace xyla {

namespace {

// A buffer's two axis mappings and the validity test of its points.
struct BufferMap {
  AxisScale xs, ys;
  BufferMap(const XylaDocument& d, const DataBuffer& b) : xs(AxisScale::x(d, b.belongx)), ys(AxisScale::y(d, b.belongy)) {}
  bool valid(double x, double y) const {
    return std::isfinite(x) && std::isfinite(y) && (!xs.logarithmic() || x > 0) && (!ys.logarithmic() || y > 0);
  }
  // The view position of a valid point; false when the ranges cannot place it (a range
  // of zero or non-finite width).
  bool place(double x, double y, PointF& out) const {
    if (!valid(x, y)) return false;
    out = {xs.toView(x), ys.toView(y)};
    return std::isfinite(out.x) && std::isfinite(out.y);
  }
};

// Very long buffers put many symbols on the same spot. Beyond kThinFrom points a symbol
// (or dot) of a fixed size is left out when one was already drawn in the same cell of a
// 0.2-unit grid over the drawable area: the picture changes by less than a tenth of a
// point, while a million symbols shrink to the few tens of thousands that can be told
// apart. The grid is a bitmap, so its memory depends on the view size only.
constexpr int kThinFrom = 20000;
constexpr double kCellsPerUnit = 5.0;

class MarkThinner {
 public:
  MarkThinner(bool on, const RectF& area) : x0_(area.x), y0_(area.y) {
    const double cols = std::ceil(area.width * kCellsPerUnit) + 1, rows = std::ceil(area.height * kCellsPerUnit) + 1;
    if (!on || !(cols * rows < 64e6)) return;
    cols_ = static_cast<std::size_t>(cols);
    rows_ = static_cast<std::size_t>(rows);
    bits_.assign(cols_ * rows_, false);
  }
  // True when a mark was drawn in the cell of (px, py) before; marks the cell.
  bool seen(double px, double py) {
    if (bits_.empty()) return false;
    const double cx = std::floor((px - x0_) * kCellsPerUnit), cy = std::floor((py - y0_) * kCellsPerUnit);
    if (!(cx >= 0 && cy >= 0 && cx < double(cols_) && cy < double(rows_))) return false;
    const std::size_t i = static_cast<std::size_t>(cy) * cols_ + static_cast<std::size_t>(cx);
    if (bits_[i]) return true;
    bits_[i] = true;
    return false;
  }

 private:
  double x0_, y0_;
  std::size_t cols_ = 0, rows_ = 0;
  std::vector<bool> bits_;
};

// Error of one coordinate for mode `mode`: absolute, percent of the value (of its
// magnitude, so negative values get bars too) or the point's error column.
double errorOf(int mode, double value, double setting, const std::vector<double>& column, int i) {
  switch (mode) {
    case 1: return setting;
    case 2: return std::fabs(value) * setting / 100;
    case 3: return i < static_cast<int>(column.size()) ? column[i] : 0.0;
    default: return 0.0;
  }
}

// Bars and error bars of long buffers are thinned the same way, by their own shape: a
// bar is left out when one with the same ends (to 0.2 units) was drawn already, so the
// picture is unchanged to the eye. Keys are the rounded ends hashed into 64 bits.
class ShapeThinner {
 public:
  explicit ShapeThinner(bool on) : on_(on) {}
  bool seen(std::initializer_list<double> ends) {
    if (!on_) return false;
    std::uint64_t h = 1469598103934665603ull;
    for (double v : ends) {
      const double q = std::isfinite(v) ? std::floor(v * kCellsPerUnit) : 0.0;
      h = (h ^ std::hash<double>{}(q)) * 1099511628211ull;
    }
    return !drawn_.insert(h).second;
  }

 private:
  bool on_;
  std::unordered_set<std::uint64_t> drawn_;
};

Colour pick(bool hl, const Colour& c) { return hl ? XylaView::highlight() : c; }

double sane(double v) { return saneLength(v); }

// A long solid line through every point, thinned to a few points per column of a
// quarter view unit (a quarter pixel at 72 dpi) and stroked as one path with round joins
// and caps: the shape that the round-capped segments between all points cover, at a cost
// and in an amount of memory (also in PDF and EPS files) that depend on the frame's
// width, not on the number of points. (Segments stroked one by one would also cover
// every sub-pixel piece's antialiased edge again and again, which made long lines of
// close points look bolder than their pen.)
void drawThinnedLine(Canvas& c, const BufferMap& m, const DataBuffer& b, const RectF& frame, const RectF& box) {
  const int n = b.count();
  constexpr double kCell = 0.25;
  std::vector<PointF> pts;
  if (everyPointThinning() && everyPointKernel() && !m.xs.logarithmic() && !m.ys.logarithmic()) {
    thinEveryPoint(m.xs.linear(), m.ys.linear(), b.X.data(), b.Y.data(), static_cast<std::size_t>(n), kCell, pts);
  } else {
    PolylineThinner thin(everyPointThinning() ? kCell : 0.0, pts);
    for (int i = 0; i < n; ++i) {
      PointF q;
      if (m.place(b.X[i], b.Y[i], q))
        thin.add(q);
      else
        thin.gap();
    }
    thin.finish();
  }
  const double left = frame.x, right = frame.x + frame.width, bottom = frame.y, top = frame.y + frame.height;
  Path p;
  p.reserve(pts.size());
  PointF end{PolylineThinner::kGap, PolylineThinner::kGap};
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    PointF a = pts[i], e = pts[i + 1];
    if (std::isnan(a.x) || std::isnan(e.x)) continue;
    if ((a.x < left && e.x < left) || (a.x > right && e.x > right) || (a.y < bottom && e.y < bottom) ||
        (a.y > top && e.y > top))
      continue;
    if (!clipSegment(a, e, box)) continue;
    if (!(a == end)) p.moveTo(a.x, a.y);
    p.lineTo(e.x, e.y);
    end = e;
  }
  c.setDash(nullptr, 0, 0.0);
  c.setColour(b.color);
  c.setLineWidth(b.linewidth);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Round);
  if (!p.isEmpty()) c.stroke(p);
}

bool thinEveryPointLines = true;
bool everyPointLinesByRuns = true;

}  // namespace

bool everyPointThinning() { return thinEveryPointLines; }

void setEveryPointThinning(bool on) { thinEveryPointLines = on; }

bool everyPointKernel() { return everyPointLinesByRuns; }

void setEveryPointKernel(bool on) { everyPointLinesByRuns = on; }

int XylaView::samplingStride(const DataBuffer& b) const {
  if (PD->alldraw) return 1;
  const double n = b.count();
  const bool first = b.belongx == 1;
  const double axisWidth = std::fabs((first ? PD->xmax1 : PD->xmax2) - (first ? PD->xmin1 : PD->xmin2));
  double r = std::fabs(b.xmax - b.xmin) / axisWidth;
  if (!std::isfinite(r)) r = 1;
  const double s = n / width / std::max(1.0, r) * 0.5;
  if (!(s >= 1.5)) return 1;  // also a frame of no width
  return s >= n ? std::max(1, b.count()) : static_cast<int>(std::lrint(s));
}

void XylaView::drawFills(Canvas& c) {
  c.save();
  c.clipToRect({left, bottom, width, height});
  for (const auto& b : PD->DB) {
    if (!b->show || b->count() == 0) continue;
    if (b->plotarea) drawArea(c, *b);
    if (b->plotfhist) drawHistogram(c, *b, true);
  }
  c.restore();
}

void XylaView::drawSeries(Canvas& c) {
  c.save();
  c.clipToRect({left, bottom, width, height});
  for (int i = 0; i < PD->bufferCount(); ++i) {
    const DataBuffer& b = *PD->DB[i];
    if (!b.show || b.count() == 0) continue;
    if (b.plotlines) drawLines(c, b);
    if (b.plothist) drawHistogram(c, b, false);
    drawPoints(c, b, i);
  }
  c.restore();
}

void XylaView::drawArea(Canvas& c, const DataBuffer& b) {
  const BufferMap m(*PD, b);
  const int s = samplingStride(b), n = b.count();
  const double base = m.ys.toView(0);
  Path p;
  p.reserve(static_cast<std::size_t>(n / s + 3));
  double lastX = 0;
  if (!std::isfinite(base)) return;
  for (int i = 0; i < n; i += s) {
    PointF q;
    if (!m.place(b.X[i], b.Y[i], q)) continue;
    if (p.isEmpty()) p.moveTo(q.x, base);
    p.lineTo(q.x, q.y);
    lastX = q.x;
  }
  if (p.isEmpty()) return;
  p.lineTo(lastX, base);
  p.closePath();
  c.setDash(nullptr, 0, 0.0);
  c.setColour(b.fillcolor);
  c.setLineWidth(0);
  c.fill(p);
  c.stroke(p);
}

// Step outline of the sampled points: each point covers half the gap to either
// neighbour. Filled histograms close along the zero line; outlines drop to it at both ends.
void XylaView::drawHistogram(Canvas& c, const DataBuffer& b, bool filled) {
  const BufferMap m(*PD, b);
  const int s = samplingStride(b), n = b.count();
  std::vector<PointF> pts;
  pts.reserve(static_cast<std::size_t>(n / s + 1));
  for (int i = 0; i < n; i += s) {
    PointF q;
    if (m.place(b.X[i], b.Y[i], q)) pts.push_back(q);
  }
  const double base = m.ys.toView(0);
  if (pts.empty() || !std::isfinite(base)) return;
  const std::size_t k = pts.size();
  auto gap = [&](std::size_t i) { return pts[i + 1].x - pts[i].x; };  // gap after point i
  Path p;
  p.reserve(2 * k + 3);
  for (std::size_t i = 0; i < k; ++i) {
    const double before = k == 1 ? 0 : i == 0 ? gap(0) : gap(i - 1);
    const double after = k == 1 ? 0 : i + 1 == k ? gap(i - 1) : gap(i);
    const double l = pts[i].x - before / 2, r = pts[i].x + after / 2;
    if (i == 0) p.moveTo(l, base);
    p.lineTo(l, pts[i].y);
    p.lineTo(r, pts[i].y);
    if (i + 1 == k) p.lineTo(r, base);
  }
  setDashPatternForWidth(b.dashwidth);
  applyDash(c, b.dash);
  c.setLineWidth(b.linewidth);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Bevel);
  if (filled) {
    p.closePath();
    c.setColour(b.fillcolor);
    c.fill(p);
  } else {
    c.setColour(b.color);
  }
  c.stroke(p);
  c.setDash(nullptr, 0, 0.0);
}

// Lines through the sampled points. Segments wholly beyond one side of the frame are
// left out. Dashed or short lines are one path (the dash runs on); long solid lines are
// stroked segment by segment, which keeps every stroke small.
void XylaView::drawLines(Canvas& c, const DataBuffer& b) {
  const BufferMap m(*PD, b);
  const int s = samplingStride(b), n = b.count();
  const bool single = b.dash != 0 || n <= 1999 || PD->forcerenderhigh;
  const double margin = std::max(W_, H_) + 10 * std::fabs(b.linewidth);
  const RectF box{left - margin, bottom - margin, width + 2 * margin, height + 2 * margin};
  if (!single && s == 1 && PD->alldraw) {
    drawThinnedLine(c, m, b, {left, bottom, width, height}, box);
    return;
  }
  setDashPatternForWidth(b.dashwidth);
  applyDash(c, b.dash);
  c.setColour(b.color);
  c.setLineWidth(b.linewidth);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Bevel);
  Path p;
  if (single) p.reserve(static_cast<std::size_t>(n / s + 1));
  for (int i = 0; i + s < n; i += s) {
    const int j = i + s;
    PointF a, e;
    if (!m.place(b.X[i], b.Y[i], a) || !m.place(b.X[j], b.Y[j], e)) continue;
    if ((a.x < left && e.x < left) || (a.x > right && e.x > right) || (a.y < bottom && e.y < bottom) ||
        (a.y > top && e.y > top))
      continue;
    if (!clipSegment(a, e, box)) continue;
    if (!single) {
      p.removeAllPoints();
      p.moveTo(a.x, a.y);
      p.lineTo(e.x, e.y);
      c.stroke(p);
      continue;
    }
    if (p.isEmpty()) p.moveTo(a.x, a.y);
    p.lineTo(e.x, e.y);
  }
  if (single && !p.isEmpty()) c.stroke(p);
  c.setDash(nullptr, 0, 0.0);
}

// Bars, error bars, sticks, symbols and dots at every valid point.
void XylaView::drawPoints(Canvas& c, const DataBuffer& b, int index) {
  const bool sized = b.plotsymbols || b.plotysticks || b.plotxsticks;
  if (!(b.plotybars || b.plotxbars || b.errorbarx >= 1 || b.errorbary >= 1 || sized || b.plotdots)) return;
  const BufferMap m(*PD, b);
  std::unique_ptr<expr::PointEvaluator> dyn;
  if (sized && !b.dynsize.empty()) {
    static const std::vector<double> noRegisters;
    static const std::map<std::string, double> noGlobals;
    dyn = std::make_unique<expr::PointEvaluator>(b, *PD, b.dynsize, M ? M->CV : noRegisters, M ? M->GV : noGlobals,
                                                 false);
    if (!dyn->ok()) dyn.reset();
  }
  (void)index;
  c.setDash(nullptr, 0, 0.0);
  const double reach = std::max({b.symbolsize, b.linewidth, 0.0}) * 1.5 + 2;
  MarkThinner thin(b.count() > kThinFrom && !dyn, {left - reach, bottom - reach, width + 2 * reach, height + 2 * reach});
  // Bars reach from the point to the axis, so their thinning keys on the point alone;
  // error bars key on their ends too.
  ShapeThinner bars(b.count() > kThinFrom), errorBars(b.count() > kThinFrom);
  const bool errors = b.errorbarx >= 1 || b.errorbary >= 1;
  for (int i = 0; i < b.count(); ++i) {
    PointF q;
    if (!m.place(b.X[i], b.Y[i], q)) continue;
    const double px = q.x, py = q.y;
    if ((b.plotybars || b.plotxbars) && !bars.seen({px, py})) {
      if (b.plotybars) plotYBar(c, b, px, py, false);
      if (b.plotxbars) plotXBar(c, b, px, py, false);
    }
    if (errors) {
      // The ends of the bars where they are drawn, in view units.
      const double ey = errorOf(b.errorbary, b.Y[i], b.errorvaly, b.EY, i);
      const double ex = errorOf(b.errorbarx, b.X[i], b.errorvalx, b.EX, i);
      if (!errorBars.seen({px, py, m.ys.toView(b.Y[i] - ey), m.ys.toView(b.Y[i] + ey), m.xs.toView(b.X[i] - ex),
                           m.xs.toView(b.X[i] + ex)}))
        plotErrorBar(c, b, px, py, i, false);
    }
    if (!sized && !b.plotdots) continue;
    double size = -1;
    if (dyn) {
      size = dyn->valueAt(i);
      if (!std::isfinite(size)) continue;
    }
    if (b.plotysticks || b.plotxsticks) plotSticks(c, b, px, py, size, dyn != nullptr, false);
    // Symbols and dots far outside the frame cannot show.
    const double r = dyn ? std::fabs(size) * 1.5 + b.linewidth + 2 : reach;
    if (px < left - r || px > right + r || py < bottom - r || py > top + r) continue;
    if (thin.seen(px, py)) continue;
    if (b.plotsymbols) plotSymbol(c, b, px, py, size, dyn != nullptr, false);
    if (b.plotdots) plotDots(c, b, px, py, false);
  }
}

namespace {

// A bar rectangle filled and stroked in the buffer's colour, then outlined in its bar
// colour when it has a line width.
void paintBar(Canvas& c, const DataBuffer& b, const RectF& r, bool hl) {
  Path p;
  p.appendRect(r);
  c.setLineCap(LineCap::Butt);
  c.setLineJoin(LineJoin::Miter);
  c.setColour(pick(hl, b.color));
  c.setLineWidth(b.linewidth);
  c.fill(p);
  c.stroke(p);
  if (b.linewidth > 0) {
    c.setColour(pick(hl, b.barcolor));
    c.stroke(p);
  }
}

}  // namespace

void XylaView::plotYBar(Canvas& c, const DataBuffer& b, double px, double py, bool hl) {
  const double base = sane(AxisScale::y(*PD, b.belongy).toView(0) - py) + py;
  const double w = sane(b.symbolsize / 2);
  paintBar(c, b, {px - w, std::min(base, py), 2 * w, std::fabs(py - base)}, hl);
}

void XylaView::plotXBar(Canvas& c, const DataBuffer& b, double px, double py, bool hl) {
  const double base = sane(AxisScale::x(*PD, b.belongx).toView(0) - px) + px;
  const double h = sane(b.symbolsize / 2);
  paintBar(c, b, {std::min(base, px), py - h, std::fabs(px - base), 2 * h}, hl);
}

void XylaView::plotErrorBar(Canvas& c, const DataBuffer& b, double px, double py, int i, bool hl) {
  if (b.errorbarx < 1 && b.errorbary < 1) return;
  const BufferMap m(*PD, b);
  const double cap = sane(b.symbolsize / 2);
  Path p;
  const double ey = errorOf(b.errorbary, b.Y[i], b.errorvaly, b.EY, i);
  if (ey > 0 && std::isfinite(ey)) {
    const double y0 = py + sane(m.ys.toView(b.Y[i] - ey) - py), y1 = py + sane(m.ys.toView(b.Y[i] + ey) - py);
    p.moveTo(px, y0);
    p.lineTo(px, y1);
    p.moveTo(px - cap, y0);
    p.lineTo(px + cap, y0);
    p.moveTo(px - cap, y1);
    p.lineTo(px + cap, y1);
  }
  const double ex = errorOf(b.errorbarx, b.X[i], b.errorvalx, b.EX, i);
  if (ex > 0 && std::isfinite(ex)) {
    const double x0 = px + sane(m.xs.toView(b.X[i] - ex) - px), x1 = px + sane(m.xs.toView(b.X[i] + ex) - px);
    p.moveTo(x0, py);
    p.lineTo(x1, py);
    p.moveTo(x0, py - cap);
    p.lineTo(x0, py + cap);
    p.moveTo(x1, py - cap);
    p.lineTo(x1, py + cap);
  }
  if (p.isEmpty()) return;
  c.setColour(pick(hl, b.errorcolor));
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Round);
  c.setLineWidth(b.errorwidth);
  c.stroke(p);
}

void XylaView::plotSticks(Canvas& c, const DataBuffer& b, double px, double py, double size, bool dynamic, bool hl) {
  if (!b.plotysticks && !b.plotxsticks) return;
  const double h = std::max(0.0, sane(dynamic ? std::fabs(size) : b.sticksize / 2));
  Path p;
  if (b.plotxsticks) {
    double hx = h;
    if (b.stickabs) {
      const AxisScale xs = AxisScale::x(*PD, b.belongx);
      hx = sane(std::fabs(xs.toView(0) - xs.toView(h)) / 2);
    }
    p.moveTo(px - hx, py);
    p.lineTo(px + hx, py);
  }
  if (b.plotysticks) {
    double hy = h;
    if (b.stickabs) {
      const AxisScale ys = AxisScale::y(*PD, b.belongy);
      hy = sane(std::fabs(ys.toView(0) - ys.toView(h)) / 2);
    }
    p.moveTo(px, py - hy);
    p.lineTo(px, py + hy);
  }
  c.setColour(pick(hl, b.stickcolor));
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Round);
  c.setLineWidth(b.linewidth);
  c.stroke(p);
}

void XylaView::plotSymbol(Canvas& c, const DataBuffer& b, double px, double py, double size, bool dynamic, bool hl) {
  const double s = std::max(0.0, sane(dynamic ? std::fabs(size) : b.symbolsize / 2));
  const double a = 1.1 * s, bb = 1.2 * s, cc = 1.4 * s;
  const int sym = b.symbol >= 0 && b.symbol <= 15 ? b.symbol : 0;
  // Only the frame shows symbols: one that cannot reach it is left out, and one larger
  // than the frame is cut to it, so its cost is bounded by the frame's size.
  const RectF shown = grown({left, bottom, width, height}, saneLineWidth(b.linewidth) + 2);
  const double extent = 3 * s;
  if (!overlaps({px - extent, py - extent, 2 * extent, 2 * extent}, shown)) return;
  if (extent > 2 * std::max(width, height)) {
    drawLargeSymbol(c, b, {px, py}, s, hl, shown);
    return;
  }
  Path p;
  auto polygon = [&](std::initializer_list<PointF> pts) {
    bool first = true;
    for (const PointF& q : pts) {
      if (first) p.moveTo(q.x, q.y);
      else p.lineTo(q.x, q.y);
      first = false;
    }
    p.closePath();
  };
  switch (sym % 7 + (sym >= 14 ? 7 : 0)) {
    case 0: p.appendRect({px - s, py - s, 2 * s, 2 * s}); break;
    case 1: p.appendOval({px - a, py - a, 2 * a, 2 * a}); break;
    case 2: polygon({{px - a, py - a}, {px + a, py - a}, {px, py + a}}); break;
    case 3: polygon({{px, py - bb}, {px + bb, py}, {px, py + bb}, {px - bb, py}}); break;
    case 4: polygon({{px + a, py + a}, {px - a, py + a}, {px, py - a}}); break;
    case 5: polygon({{px - cc / 1.8, py}, {px, py + cc}, {px + cc / 1.8, py}, {px, py - cc}}); break;
    case 6: polygon({{px, py - cc / 1.8}, {px + cc, py}, {px, py + cc / 1.8}, {px - cc, py}}); break;
    default:
      if (sym == 14) {
        p.moveTo(px - s, py);
        p.lineTo(px + s, py);
        p.moveTo(px, py - s);
        p.lineTo(px, py + s);
      } else {
        p.moveTo(px - s, py - s);
        p.lineTo(px + s, py + s);
        p.moveTo(px - s, py + s);
        p.lineTo(px + s, py - s);
      }
      break;
  }
  paintSymbol(c, b, p, hl);
}

void XylaView::paintSymbol(Canvas& c, const DataBuffer& b, const Path& p, bool hl) {
  const int sym = b.symbol >= 0 && b.symbol <= 15 ? b.symbol : 0;
  const Colour outline = pick(hl, b.color);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Miter);
  if (sym <= 13) {
    c.setColour(sym >= 7 ? outline : pick(hl, b.symfill ? b.fillcolor : PD->backgroundcolor));
    c.setLineWidth(0);
    c.fill(p);
  }
  c.setColour(outline);
  c.setLineWidth(hl ? 0.7 : 0.7 * b.linewidth);
  c.stroke(p);
}

namespace {

// The outlines of symbol kind `sym` (0..15) of half-size `s` at `q`: closed polygons, or
// for the plus and the cross their two strokes.
std::vector<std::vector<PointF>> symbolOutlines(int sym, PointF q, double s, double tolerance) {
  const double a = 1.1 * s, bb = 1.2 * s, cc = 1.4 * s, x = q.x, y = q.y;
  switch (sym % 7 + (sym >= 14 ? 7 : 0)) {
    case 0:
      return {{{x - s, y - s}, {x + s, y - s}, {x + s, y + s}, {x - s, y + s}}};
    case 1:
      return {ovalPolygon({x - a, y - a, 2 * a, 2 * a}, tolerance)};
    case 2:
      return {{{x - a, y - a}, {x + a, y - a}, {x, y + a}}};
    case 3:
      return {{{x, y - bb}, {x + bb, y}, {x, y + bb}, {x - bb, y}}};
    case 4:
      return {{{x + a, y + a}, {x - a, y + a}, {x, y - a}}};
    case 5:
      return {{{x - cc / 1.8, y}, {x, y + cc}, {x + cc / 1.8, y}, {x, y - cc}}};
    case 6:
      return {{{x, y - cc / 1.8}, {x + cc, y}, {x, y + cc / 1.8}, {x - cc, y}}};
    default:
      if (sym == 14) return {{{x - s, y}, {x + s, y}}, {{x, y - s}, {x, y + s}}};
      return {{{x - s, y - s}, {x + s, y + s}}, {{x - s, y + s}, {x + s, y - s}}};
  }
}

}  // namespace

void XylaView::drawLargeSymbol(Canvas& c, const DataBuffer& b, PointF q, double s, bool hl, const RectF& shown) {
  constexpr double kTolerance = 0.05;  // view units between a round symbol and its polygon
  const int sym = b.symbol >= 0 && b.symbol <= 15 ? b.symbol : 0;
  Path p;
  for (const std::vector<PointF>& outline : symbolOutlines(sym, q, s, kTolerance)) {
    if (sym >= 14) {
      PointF from = outline[0], to = outline[1];
      if (!clipSegment(from, to, shown)) continue;
      p.moveTo(from.x, from.y);
      p.lineTo(to.x, to.y);
      continue;
    }
    const std::vector<PointF> cut = clipPolygon(outline, shown);
    for (std::size_t i = 0; i < cut.size(); ++i) i == 0 ? p.moveTo(cut[i].x, cut[i].y) : p.lineTo(cut[i].x, cut[i].y);
    if (!cut.empty()) p.closePath();
  }
  if (!p.isEmpty()) paintSymbol(c, b, p, hl);
}

void XylaView::plotDots(Canvas& c, const DataBuffer& b, double px, double py, bool hl) {
  const double d = std::max(0.0, sane(b.linewidth));
  Path p;
  p.appendOval({px - d / 2, py - d / 2, d, d});
  c.setColour(pick(hl, b.color));
  c.setLineWidth(0);
  c.fill(p);
  c.stroke(p);
}

}  // namespace xyla
