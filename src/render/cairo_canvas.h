#pragma once

#include <string>
#include <vector>

#include "render/canvas.h"

typedef struct _cairo cairo_t;

namespace xyla {

// A canvas drawing through a cairo context supplied by the caller (used for EPS output
// and any other cairo surface). The view is `viewWidth` x `viewHeight` points with y
// upwards; the canvas flips y on top of the context's current matrix. Text uses cairo's
// own font selection and metrics with the same family and size rules as the Qt canvas.
// The context's state is saved on construction and restored on destruction.
class CairoCanvas : public Canvas {
 public:
  CairoCanvas(cairo_t* cr, double viewWidth, double viewHeight);
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

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
  // What cairo's own state does not hold: the requested width (0 means hairline, which
  // cairo cannot stroke directly) and the rectangle stroke width.
  struct State {
    double lineWidth = 1.0;
    double defaultLineWidth = 1.0;
  };

  void appendPath(const Path& path);
  void setStrokeWidth(double width);
  double hairlineWidth() const;
  void selectFont(const FontSpec& font);
  static std::vector<std::string> splitLines(const std::string& text);

  cairo_t* cr_;
  State state_;
  std::vector<State> stack_;
  std::vector<double> dash_;  // reused conversion buffer
};

// The size of `text` in `font` as the cairo outputs lay it out (every canvas shares those
// line metrics), measured without a drawing surface of the caller's; in points.
SizeF cairoTextSize(const std::string& text, const FontSpec& font);

}  // namespace xyla
