#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>
#include <unordered_map>

#include "model/graphic_object.h"
#include "model/manager.h"
#include "model/shared_x_axis.h"
#include "model/text_object.h"
#include "model/xyla_document.h"
#include "render/clipping.h"
#include "render/drawing_limits.h"
#include "render/xyla_view.h"

namespace xyla {

namespace {

constexpr Colour kLightGrey{0.8, 0.8, 0.8, 1.0};

// Points farther out than this are brought in before drawing: far beyond any page, well
// within every rasteriser's range.
constexpr double kFar = 1e6;

bool finite(const Graphic::Points& p) {
  return std::isfinite(p.x1) && std::isfinite(p.y1) && std::isfinite(p.x2) && std::isfinite(p.y2);
}

// Cuts the segment to the square of half-size kFar (keeping its direction); answers
// false when nothing of it lies inside.
bool cutToFar(Graphic::Points& p) {
  double t0 = 0, t1 = 1;
  const double dx = p.x2 - p.x1, dy = p.y2 - p.y1;
  const double d[4] = {-dx, dx, -dy, dy};
  const double q[4] = {p.x1 + kFar, kFar - p.x1, p.y1 + kFar, kFar - p.y1};
  for (int i = 0; i < 4; ++i) {
    if (d[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / d[i];
    if (d[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
  }
  if (t0 > t1 || !std::isfinite(dx) || !std::isfinite(dy)) return false;
  p = {p.x1 + t0 * dx, p.y1 + t0 * dy, p.x1 + t1 * dx, p.y1 + t1 * dy};
  return true;
}

// The corners brought into the square of half-size kFar.
Graphic::Points clampToFar(Graphic::Points p) {
  for (double* v : {&p.x1, &p.y1, &p.x2, &p.y2}) *v = std::clamp(*v, -kFar, kFar);
  return p;
}

// The rectangle spanned by two corner points, with a non-negative size.
RectF spanned(const Graphic::Points& p) {
  return {std::min(p.x1, p.x2), std::min(p.y1, p.y2), std::fabs(p.x2 - p.x1), std::fabs(p.y2 - p.y1)};
}

// `p` rotated by `degrees` about `tip` and moved to it.
PointF around(PointF tip, double degrees, double px, double py) {
  const double r = degrees * std::numbers::pi / 180.0, c = std::cos(r), s = std::sin(r);
  return {tip.x + px * c - py * s, tip.y + px * s + py * c};
}

// A chevron whose tip lies `back` behind `tip` along the head direction.
void appendChevron(Path& q, PointF tip, double angle, double size, double back, bool closed) {
  const double w = size / 2.3;
  const PointF a = around(tip, angle, back + size, -w), t = around(tip, angle, back, 0), b = around(tip, angle, back + size, w);
  q.moveTo(a.x, a.y);
  q.lineTo(t.x, t.y);
  q.lineTo(b.x, b.y);
  if (closed) q.closePath();
}

}  // namespace

// Decoded pictures by their bytes, so that a redraw does not decode them again and
// graphics showing the same picture share one image. Only PNG is decoded: other formats
// (SVG above all) can make the decoder read files named inside the picture, and a
// document is something people send each other. Entries that a pass did not use are
// dropped after the next pass.
class PictureCache {
 public:
  const QImage& image(const Graphic& g, long pass) {
    const std::string_view bytes(reinterpret_cast<const char*>(g.image.data()), g.image.size());
    const std::size_t key = std::hash<std::string_view>{}(bytes);
    const auto [first, last] = entries_.equal_range(key);
    for (auto it = first; it != last; ++it) {
      if (it->second.bytes == g.image) {
        it->second.pass = pass;
        return it->second.image;
      }
    }
    Entry e;
    e.bytes = g.image;
    // A damaged picture stays a null image and is left out.
    e.image = QImage::fromData(g.image.data(), static_cast<int>(std::min<std::size_t>(g.image.size(), 1u << 30)), "PNG");
    e.pass = pass;
    return entries_.emplace(key, std::move(e))->second.image;
  }
  void dropUnusedBefore(long pass) {
    std::erase_if(entries_, [pass](const auto& kv) { return kv.second.pass < pass; });
  }

 private:
  struct Entry {
    std::vector<unsigned char> bytes;
    QImage image;
    long pass = 0;
  };
  std::unordered_multimap<std::size_t, Entry> entries_;
};

void XylaView::placeTexts(Canvas& c) {
  for (const auto& t : PD->T) {
    const SizeF s = t->text.empty() ? SizeF{} : c.textSize(t->text, drawableFont(c, t->font));
    t->setFrameSize(s.width, s.height);
    t->doAutoPos();
  }
}

void XylaView::drawTexts(Canvas& c) {
  for (const auto& t : PD->T) drawTextObject(c, *t);
}

void XylaView::drawTextObject(Canvas& c, const TextObject& t) {
  const ViewRect& f = t.frame;
  if (t.text.empty() || !(std::fabs(f.x) <= kFar && std::fabs(f.y) <= kFar)) return;
  c.save();
  c.translate(f.x, f.y);
  if (t.angle != 0 && std::isfinite(t.angle)) c.rotate(t.angle);
  if (t.drawsbackground) {
    c.setColour(t.backgroundcolor);
    c.fillRect({0, 0, f.width, f.height});
  }
  const bool editing = M && (M->isMouseMode("select") || M->isMouseMode("text"));
  if (editing && M->currentText == &t && !printing()) {
    c.setDash(nullptr, 0, 0.0);
    c.setColour(kLightGrey);
    c.setDefaultLineWidth(1);
    c.setAntialias(false);
    c.strokeRect({1, 1, f.width - 2, f.height - 2});
    c.setAntialias(true);
  }
  const FontSpec font = drawableFont(c, t.font);
  if ((t.textalign == 1 || t.textalign == 2) && t.text.find('\n') != std::string::npos) {
    drawAlignedLines(c, t, font);
  } else {
    c.drawText(t.text, {0, 0}, font, t.color);
  }
  c.restore();
}

// Centred or right-aligned lines: each line is moved within the frame width, one line
// height apart from the top, as the whole text would stack them.
void XylaView::drawAlignedLines(Canvas& c, const TextObject& t, const FontSpec& font) {
  std::vector<std::string> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = t.text.find('\n', start);
    lines.push_back(t.text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const double share = t.textalign == 1 ? 0.5 : 1.0;
  const double n = static_cast<double>(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const SizeF s = c.textSize(lines[i].empty() ? " " : lines[i], font);
    const double x = std::max(0.0, (t.frame.width - (lines[i].empty() ? 0.0 : s.width)) * share);
    c.drawText(lines[i], {x, (n - 1.0 - static_cast<double>(i)) * s.height}, font, t.color);
  }
}

void XylaView::drawGraphics(Canvas& c, bool behind) {
  if (behind) ++passes_;
  for (const auto& g : PD->G)
    if ((g->display == 1) == behind) drawGraphic(c, *g);
  if (!behind && pictures_) pictures_->dropUnusedBefore(passes_);
}

void XylaView::drawGraphic(Canvas& c, const Graphic& g) {
  Graphic::Points p = g.getPoints();
  if (!finite(p)) return;
  // A head at a cut end would sit at the cut, not at its point: such heads are left out.
  const bool far1 = std::fabs(p.x1) > kFar || std::fabs(p.y1) > kFar;
  const bool far2 = std::fabs(p.x2) > kFar || std::fabs(p.y2) > kFar;
  if (g.type == Graphic::Line && !cutToFar(p)) return;
  if (g.type != Graphic::Line) p = clampToFar(p);
  c.save();
  const double lw = std::max(0.0, saneLength(g.linewidth));
  setDashPattern(lw > 4 ? static_cast<int>(lw) : 1);
  c.setLineWidth(lw);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Round);
  applyDash(c, g.dashp);
  if (g.hasImage()) {
    if (!pictures_) pictures_ = std::make_shared<PictureCache>();
    const QImage& img = pictures_->image(g, passes_);
    if (!img.isNull()) c.drawImage(img, spanned(p));
  }
  Path path;
  if (!graphicPath(g, {p.x1, p.y1}, {p.x2, p.y2}, lw, path)) {
    c.restore();
    return;
  }
  if (g.fill && g.type != Graphic::Line) {
    c.setColour(g.fillcolor);
    c.fill(path);
  }
  c.setColour(g.color);
  c.stroke(path);
  if (g.type == Graphic::Line) {
    const double a = Graphic::directionAngle(p.x2 - p.x1, p.y2 - p.y1);
    if (g.arrow1 && !far1) drawArrowHead(c, g, {p.x1, p.y1}, a);
    if (g.arrow2 && !far2) drawArrowHead(c, g, {p.x2, p.y2}, std::fmod(a + 180.0, 360.0));
  }
  c.restore();
}

bool XylaView::graphicPath(const Graphic& g, PointF a, PointF b, double lineWidth, Path& path) const {
  // Only the view shows a graphic: one that cannot reach it is left out, and a solid one
  // much larger than the view is cut to it (a margin beyond the line's half width), so
  // its cost is bounded by the size of the picture. Dashed outlines keep their whole
  // length, so their dashes stay where they were.
  const RectF shown = grown({0, 0, W_, H_}, lineWidth + 2);
  const RectF box = spanned({a.x, a.y, b.x, b.y});
  if (!overlaps(box, shown)) return false;
  const bool solid = g.dashp <= 0 || g.dashp > 15;
  const bool large = box.width > 2 * (W_ + H_) || box.height > 2 * (W_ + H_);
  if (g.type == Graphic::Line) {
    if (solid && large && !clipSegment(a, b, shown)) return false;
    path.moveTo(a.x, a.y);
    path.lineTo(b.x, b.y);
  } else if (!solid || !large) {
    if (g.type == Graphic::Rectangle) path.appendRect(box);
    if (g.type == Graphic::Ellipse) path.appendOval(box);
  } else {
    constexpr double kTolerance = 0.05;  // view units between the ellipse and its polygon
    const std::vector<PointF> outline = g.type == Graphic::Rectangle
                                            ? std::vector<PointF>{{box.x, box.y},
                                                                  {box.x + box.width, box.y},
                                                                  {box.x + box.width, box.y + box.height},
                                                                  {box.x, box.y + box.height}}
                                            : ovalPolygon(box, kTolerance);
    const std::vector<PointF> cut = clipPolygon(outline, shown);
    for (std::size_t i = 0; i < cut.size(); ++i)
      i == 0 ? path.moveTo(cut[i].x, cut[i].y) : path.lineTo(cut[i].x, cut[i].y);
    if (!cut.empty()) path.closePath();
  }
  return !path.isEmpty();
}

void XylaView::drawArrowHead(Canvas& c, const Graphic& g, PointF tip, double angle) {
  if (g.arrowtype < 0 || g.arrowtype > 3) return;
  const double s = saneLength(g.arrowsize);
  c.save();
  c.setDash(nullptr, 0, 0.0);
  c.setLineCap(LineCap::Round);
  c.setLineJoin(LineJoin::Miter);
  Path q;
  appendChevron(q, tip, angle, s, 0, g.arrowtype == 1 || g.arrowtype == 2);
  if (g.arrowtype == 3) appendChevron(q, tip, angle, s, s, false);
  if (g.arrowtype == 1) {
    c.fill(q);
  } else if (g.arrowtype == 2) {
    c.setColour(PD->backgroundcolor);
    c.fill(q);
    c.stroke(q);
    c.setColour(g.color);
    c.stroke(q);
  } else {
    c.stroke(q);
  }
  c.restore();
}

void XylaView::drawGraphicSelection(Canvas& c) {
  if (!M || !M->isMouseMode("graphic") || printing()) return;
  const Graphic* g = M->currentGraphic;
  if (!g || g->PD != PD) return;
  const Graphic::Points p = g->getPoints();
  if (!finite(p)) return;
  const double pad = (std::isfinite(g->linewidth) ? std::clamp(g->linewidth, 0.0, 100.0) : 0.0) / 2 + 3;
  const RectF r = spanned(p);
  c.save();
  c.setDash(nullptr, 0, 0.0);
  c.setColour(kLightGrey);
  c.setDefaultLineWidth(1);
  c.setAntialias(false);
  c.strokeRect({r.x - pad, r.y - pad, r.width + 2 * pad, r.height + 2 * pad});
  c.restore();
}

namespace {

// Whether sub-plot `sub` has a frame it can be drawn in.
bool drawable(const XylaDocument& sub) {
  return sub.subvieww > 0 && sub.subviewh > 0 && std::isfinite(sub.subviewx) && std::isfinite(sub.subviewy);
}

}  // namespace

void XylaView::prepareSubplots(Canvas& c) {
  subviews_.clear();
  for (const auto& sub : PD->subplots) {
    if (!drawable(*sub)) continue;
    // A sub-plot that shares the X axis takes the main plot's axis (range, direction,
    // ticks, title) before it lays itself out.
    if (sub->sharex) shareXAxis(*PD, *sub);
    XylaView view(M, sub->subvieww, sub->subviewh);
    view.setXylaDocument(sub.get());
    view.prepare(c);
    subviews_.push_back(std::move(view));
  }
  if (M && !PD->subplots.empty()) M->calcDocument = PD;
}

// Each sub-plot is painted by the view its preparation made. Its expressions (symbol
// sizes, axis scales) read the sub-plot while it paints, so the calculation document
// switches to it for that time.
void XylaView::drawSubplots(Canvas& c) {
  for (XylaView& view : subviews_) {
    // A sub-plot removed since the preparation is not drawn.
    const auto kept = [&view](const auto& sub) { return sub.get() == view.PD; };
    if (std::none_of(PD->subplots.begin(), PD->subplots.end(), kept)) continue;
    if (M) M->calcDocument = view.PD;
    c.save();
    c.translate(view.PD->subviewx, view.PD->subviewy);
    view.drawRect(c);
    c.restore();
  }
  if (M && !subviews_.empty()) M->calcDocument = PD;
}

}  // namespace xyla
