#include "render/qt_canvas.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "render/drawing_limits.h"
#include "render/font_choice.h"
#include "render/gui_on_demand.h"

namespace xyla {

namespace {

double unitClamp(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

QColor toQColor(const Colour& c) {
  return QColor::fromRgbF(float(unitClamp(c.r)), float(unitClamp(c.g)), float(unitClamp(c.b)), float(unitClamp(c.a)));
}

// A Qt rectangle with non-negative size for a view rectangle.
QRectF toQRect(const RectF& r) { return QRectF(r.x, r.y, r.width, r.height).normalized(); }

Qt::PenCapStyle toQtCap(LineCap cap) { return cap == LineCap::Round ? Qt::RoundCap : Qt::FlatCap; }

// Qt's plain miter join clips long miters; the SVG variant bevels them as PostScript and
// PDF do, so screen and file output agree.
Qt::PenJoinStyle toQtJoin(LineJoin join) {
  switch (join) {
    case LineJoin::Round: return Qt::RoundJoin;
    case LineJoin::Bevel: return Qt::BevelJoin;
    case LineJoin::Miter: break;
  }
  return Qt::SvgMiterJoin;
}

constexpr double kMiterLimit = 10.0;  // the PostScript default

// A usable width: negative and non-finite widths become the hairline.
}  // namespace

QtCanvas::QtCanvas(QPainter& painter, double viewWidth, double viewHeight) : painter_(painter) {
  ensureGuiApplication();
  (void)viewWidth;
  painter_.save();
  painter_.translate(0.0, viewHeight);
  painter_.scale(1.0, -1.0);
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setBrush(Qt::NoBrush);
  const QTransform t = painter_.combinedTransform();
  deviceScale_ = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
  if (!(deviceScale_ > 0.0)) deviceScale_ = 1.0;
  const int dpi = painter_.device() ? painter_.device()->logicalDpiY() : 72;
  fontScale_ = dpi > 0 ? 72.0 / dpi : 1.0;
  points_.reserve(256);
}

QtCanvas::~QtCanvas() {
  for (std::size_t i = 0; i < stack_.size(); ++i) painter_.restore();
  painter_.restore();
}

// ---- pen ----

QPen QtCanvas::strokePen(double width, bool withDash) const {
  QPen pen(state_.colour, width, Qt::SolidLine, toQtCap(state_.cap), toQtJoin(state_.join));
  pen.setMiterLimit(kMiterLimit);
  if (!withDash || state_.dash.empty()) return pen;
  // Qt measures dashes in pen widths; a zero-width pen is one device pixel wide.
  const double unit = width > 0.0 ? 1.0 / width : deviceScale_;
  QList<qreal> pattern;
  pattern.reserve(qsizetype(state_.dash.size()));
  for (double len : state_.dash) pattern.append(std::max(len * unit, 1e-6));
  pen.setDashPattern(pattern);
  pen.setDashOffset(state_.dashPhase * unit);
  return pen;
}

void QtCanvas::applyPen() {
  if (penValid_) return;
  painter_.setPen(strokePen(state_.lineWidth, true));
  penValid_ = true;
}

// ---- path painting ----

bool QtCanvas::isPolyline(const Path& path) const {
  const auto& elements = path.elements();
  if (elements.empty() || elements.front().kind != Path::Kind::MoveTo) return false;
  return std::all_of(elements.begin(), elements.end(), [](const Path::Element& e) {
    return e.kind == Path::Kind::MoveTo || e.kind == Path::Kind::LineTo;
  });
}

void QtCanvas::strokePolylines(const Path& path) {
  auto flush = [this] {
    if (points_.size() >= 2) painter_.drawPolyline(points_.constData(), int(points_.size()));
    points_.clear();
  };
  for (const Path::Element& e : path.elements()) {
    if (e.kind == Path::Kind::MoveTo) flush();
    points_.append(QPointF(e.x, e.y));
  }
  flush();
}

const QPainterPath& QtCanvas::toPainterPath(const Path& path) {
  path_.clear();
  path_.setFillRule(Qt::WindingFill);
  path_.reserve(int(path.elements().size()));
  bool hasPoint = false;
  for (const Path::Element& e : path.elements()) {
    switch (e.kind) {
      case Path::Kind::MoveTo: path_.moveTo(e.x, e.y); hasPoint = true; break;
      case Path::Kind::LineTo:
        // Without a current point a line starts where it is, as in cairo.
        if (hasPoint) path_.lineTo(e.x, e.y); else path_.moveTo(e.x, e.y);
        hasPoint = true;
        break;
      case Path::Kind::Close: path_.closeSubpath(); break;
      case Path::Kind::Oval: path_.addEllipse(toQRect({e.x, e.y, e.width, e.height})); break;
      case Path::Kind::Rect: path_.addRect(toQRect({e.x, e.y, e.width, e.height})); break;
    }
  }
  return path_;
}

void QtCanvas::stroke(const Path& path) {
  if (path.isEmpty()) return;
  applyPen();
  if (isPolyline(path)) {
    strokePolylines(path);
  } else {
    painter_.drawPath(toPainterPath(path));
  }
}

void QtCanvas::fill(const Path& path) {
  if (path.isEmpty()) return;
  painter_.fillPath(toPainterPath(path), QBrush(state_.colour));
}

void QtCanvas::strokeRect(const RectF& r) {
  QPen pen(state_.colour, state_.defaultLineWidth, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
  pen.setMiterLimit(kMiterLimit);
  painter_.setPen(pen);
  penValid_ = false;
  painter_.drawRect(toQRect(r));
}

void QtCanvas::fillRect(const RectF& r) { painter_.fillRect(toQRect(r), state_.colour); }

// ---- graphics state ----

void QtCanvas::save() {
  stack_.push_back(state_);
  painter_.save();
}

void QtCanvas::restore() {
  if (stack_.empty()) return;  // unbalanced restore: nothing to go back to
  state_ = std::move(stack_.back());
  stack_.pop_back();
  painter_.restore();
  penValid_ = false;
}

void QtCanvas::clipToRect(const RectF& r) { painter_.setClipRect(toQRect(r), Qt::IntersectClip); }

void QtCanvas::setColour(const Colour& c) {
  state_.colour = toQColor(c);
  penValid_ = false;
}

void QtCanvas::setLineWidth(double width) {
  state_.lineWidth = saneLineWidth(width);
  penValid_ = false;
}

void QtCanvas::setDash(const float* lengths, int count, double phase) {
  state_.dash.clear();
  state_.dashPhase = std::isfinite(phase) ? phase : 0.0;
  penValid_ = false;
  if (!lengths || count <= 0) return;
  double sum = 0.0;
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(lengths[i]) || lengths[i] < 0.0f) return;  // unusable: solid
    sum += lengths[i];
  }
  if (sum <= 0.0) return;
  state_.dash.assign(lengths, lengths + count);
  // An odd pattern repeats with dashes and gaps swapped, as in PostScript.
  if (count % 2 == 1) state_.dash.insert(state_.dash.end(), lengths, lengths + count);
}

void QtCanvas::setLineCap(LineCap cap) {
  state_.cap = cap;
  penValid_ = false;
}

void QtCanvas::setLineJoin(LineJoin join) {
  state_.join = join;
  penValid_ = false;
}

void QtCanvas::setAntialias(bool on) {
  state_.antialias = on;
  painter_.setRenderHint(QPainter::Antialiasing, on);
}

void QtCanvas::setDefaultLineWidth(double width) { state_.defaultLineWidth = saneLineWidth(width); }

// ---- text ----

const QFontMetricsF& QtCanvas::useFont(const FontSpec& font) {
  if (cachedMetrics_ && font == cachedSpec_) return *cachedMetrics_;
  cachedSpec_ = font;
  const std::string family = resolvedFontFamily(font);
  cachedFont_ = QFont(QString::fromStdString(family));
  cachedFont_.setPointSizeF(resolvedFontSize(font.size) * fontScale_);
  // Unhinted outlines keep text widths independent of the resolution, so a picture laid
  // out on screen keeps its layout in every export.
  cachedFont_.setHintingPreference(QFont::PreferNoHinting);
  cachedMetrics_.emplace(cachedFont_, painter_.device());
  // Text boxes use the line metrics every canvas shares; one font point is one view unit,
  // so the em is the font size.
  const LineMetrics line = lineMetrics(family);
  const double em = resolvedFontSize(font.size);
  cachedAscent_ = line.ascent * em;
  cachedDescent_ = line.descent * em;
  return *cachedMetrics_;
}

SizeF QtCanvas::textSize(const std::string& text, const FontSpec& font) {
  const QFontMetricsF& metrics = useFont(font);
  const QStringList lines = QString::fromUtf8(text.data(), qsizetype(text.size())).split(QLatin1Char('\n'));
  double width = 0.0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  return {width, double(lines.size()) * (cachedAscent_ + cachedDescent_)};
}

void QtCanvas::drawText(const std::string& text, PointF lowerLeft, const FontSpec& font, const Colour& colour) {
  useFont(font);
  const QStringList lines = QString::fromUtf8(text.data(), qsizetype(text.size())).split(QLatin1Char('\n'));
  const double lineHeight = cachedAscent_ + cachedDescent_;
  const double boxHeight = double(lines.size()) * lineHeight;
  painter_.save();
  // Back to y downwards locally so glyphs stand upright; the box top is at -boxHeight.
  painter_.translate(lowerLeft.x, lowerLeft.y);
  painter_.scale(1.0, -1.0);
  painter_.setFont(cachedFont_);
  painter_.setPen(toQColor(colour));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i].isEmpty()) continue;
    painter_.drawText(QPointF(0.0, -boxHeight + double(i) * lineHeight + cachedAscent_), lines[i]);
  }
  painter_.restore();
}

double QtCanvas::fontDescent(const FontSpec& font) {
  useFont(font);
  return cachedDescent_;
}

bool QtCanvas::hasFont(const std::string& family) { return fontFamilyAvailable(family); }

// ---- transform ----

void QtCanvas::translate(double dx, double dy) { painter_.translate(dx, dy); }

void QtCanvas::rotate(double degrees) { painter_.rotate(degrees); }

// ---- images ----

void QtCanvas::drawImage(const QImage& image, const RectF& r) {
  if (image.isNull()) return;
  const QRectF target = toQRect(r);
  painter_.save();
  painter_.translate(target.x(), target.y() + target.height());
  painter_.scale(1.0, -1.0);
  painter_.drawImage(QRectF(0.0, 0.0, target.width(), target.height()), image, QRectF(image.rect()));
  painter_.restore();
}

}  // namespace xyla
