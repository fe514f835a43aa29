#pragma once

#include <string>

#include "render/canvas.h"

namespace xyla {

// A canvas that draws nothing but answers text metrics and font questions from another
// canvas, so a layout step can run the drawing code to measure what a pass will draw.
class MeasuringCanvas : public Canvas {
 public:
  explicit MeasuringCanvas(Canvas& metrics) : metrics_(metrics) {}

  void stroke(const Path&) override {}
  void fill(const Path&) override {}
  void strokeRect(const RectF&) override {}
  void fillRect(const RectF&) override {}
  void save() override {}
  void restore() override {}
  void clipToRect(const RectF&) override {}
  void setColour(const Colour&) override {}
  void setLineWidth(double) override {}
  void setDash(const float*, int, double) override {}
  void setLineCap(LineCap) override {}
  void setLineJoin(LineJoin) override {}
  void setAntialias(bool) override {}
  void setDefaultLineWidth(double) override {}
  SizeF textSize(const std::string& text, const FontSpec& font) override { return metrics_.textSize(text, font); }
  void drawText(const std::string&, PointF, const FontSpec&, const Colour&) override {}
  double fontDescent(const FontSpec& font) override { return metrics_.fontDescent(font); }
  bool hasFont(const std::string& family) override { return metrics_.hasFont(family); }
  void translate(double, double) override {}
  void rotate(double) override {}
  void drawImage(const QImage&, const RectF&) override {}

 private:
  Canvas& metrics_;
};

}  // namespace xyla
