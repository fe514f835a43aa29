#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QVector>

#include <optional>
#include <vector>

#include "render/canvas.h"

class QPainter;

namespace xyla {

// A canvas drawing through a QPainter supplied by the caller (window, image, PDF or SVG
// device). The view is `viewWidth` x `viewHeight` points with y upwards; the canvas
// flips y on top of whatever transform the painter already has (for instance a scale
// for raster resolution). One point of font size is one view unit on every device. The
// painter's state is saved on construction and restored on destruction.
class QtCanvas : public Canvas {
 public:
  QtCanvas(QPainter& painter, double viewWidth, double viewHeight);
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  void stroke(const Path& path) override;
  void fill(const Path& path) override;
  void strokeRect(const RectF& r) override;
  void fillRect(const RectF& r) override;

  void save() override;
  void restore() override;
  void clipToRect(const RectF& r) override;
  void setColour(const Colour& c) override;
  void setLineWidth(double width) override;
  void setDash(const float* lengths, int count, double phase) override;
  void setLineCap(LineCap cap) override;
  void setLineJoin(LineJoin join) override;
  void setAntialias(bool on) override;
  void setDefaultLineWidth(double width) override;

  SizeF textSize(const std::string& text, const FontSpec& font) override;
  void drawText(const std::string& text, PointF lowerLeft, const FontSpec& font, const Colour& colour) override;
  double fontDescent(const FontSpec& font) override;
  bool hasFont(const std::string& family) override;

  void translate(double dx, double dy) override;
  void rotate(double degrees) override;

  void drawImage(const QImage& image, const RectF& r) override;

 private:
  // The part of the graphics state that QPainter does not keep in a usable form.
  struct State {
    QColor colour{Qt::black};
    double lineWidth = 1.0;
    std::vector<double> dash;  // points; empty is solid
    double dashPhase = 0.0;
    LineCap cap = LineCap::Butt;
    LineJoin join = LineJoin::Miter;
    bool antialias = true;
    double defaultLineWidth = 1.0;
  };

  void applyPen();
  QPen strokePen(double width, bool withDash) const;
  // The font and its metrics for `font` on this device (the last one is cached).
  const QFontMetricsF& useFont(const FontSpec& font);
  bool isPolyline(const Path& path) const;
  void strokePolylines(const Path& path);
  const QPainterPath& toPainterPath(const Path& path);

  QPainter& painter_;
  State state_;
  std::vector<State> stack_;
  bool penValid_ = false;
  double fontScale_ = 1.0;  // point size that makes one font point one view unit
  double deviceScale_ = 1.0;  // device pixels per view unit, for hairline dashes
  QPainterPath path_;        // reused between calls
  QVector<QPointF> points_;  // reused between calls
  FontSpec cachedSpec_;
  QFont cachedFont_;
  std::optional<QFontMetricsF> cachedMetrics_;
  double cachedAscent_ = 0.0;   // line metrics of the cached font in view units
  double cachedDescent_ = 0.0;
};

}  // namespace xyla
