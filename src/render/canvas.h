#pragma once

#include <string>

#include "model/colour.h"
#include "model/font.h"
#include "render/geometry.h"
#include "render/path.h"

class QImage;

namespace xyla {

enum class LineCap { Butt, Round };
enum class LineJoin { Miter, Round, Bevel };

// The drawing surface of the plot view. All coordinates are view coordinates (points,
// origin lower left, y upwards). Colour, line width, dash, cap, join, antialiasing,
// clip and transform form the graphics state that save() and restore() keep. A new
// canvas starts with black, width 1, solid, butt caps, miter joins, antialiasing on,
// no clip and the identity transform.
class Canvas {
 public:
  virtual ~Canvas() = default;

  // ---- path painting ----

  // Strokes the path with the current colour, width, dash, cap and join.
  virtual void stroke(const Path& path) = 0;
  // Fills the path (non-zero winding) with the current colour.
  virtual void fill(const Path& path) = 0;
  // Strokes a rectangle with the default rectangle line width (solid, miter joins).
  virtual void strokeRect(const RectF& r) = 0;
  // Fills a rectangle with the current colour.
  virtual void fillRect(const RectF& r) = 0;

  // ---- graphics state ----

  virtual void save() = 0;
  virtual void restore() = 0;
  // Intersects the clip with the rectangle.
  virtual void clipToRect(const RectF& r) = 0;
  virtual void setColour(const Colour& c) = 0;
  // Line width in points; 0 draws the thinnest line the device can show.
  virtual void setLineWidth(double width) = 0;
  // Dash lengths in points; count 0 (or a null pointer) draws solid lines.
  virtual void setDash(const float* lengths, int count, double phase) = 0;
  virtual void setLineCap(LineCap cap) = 0;
  virtual void setLineJoin(LineJoin join) = 0;
  virtual void setAntialias(bool on) = 0;
  // Line width used by strokeRect.
  virtual void setDefaultLineWidth(double width) = 0;

  // ---- text ----

  // Size of the text box of `text` in `font`: the widest line's advance by the number
  // of lines times the line height (ascent plus descent). Lines are separated by '\n'.
  virtual SizeF textSize(const std::string& text, const FontSpec& font) = 0;
  // Draws `text` with the lower left corner of its text box at `lowerLeft` (the first
  // line's top is at lowerLeft.y + box height; each line is left-aligned).
  virtual void drawText(const std::string& text, PointF lowerLeft, const FontSpec& font, const Colour& colour) = 0;
  // Descent of `font` below the baseline (part of the text box height). Canvases with
  // real metrics override this; the estimate fits the usual sans-serif faces.
  virtual double fontDescent(const FontSpec& font) { return 0.22 * textSize("x", font).height; }
  // True when the family can be had from the platform; an empty family (the system
  // font) always can.
  virtual bool hasFont(const std::string& family) = 0;

  // ---- transform ----

  virtual void translate(double dx, double dy) = 0;
  // Rotates by `degrees` counter-clockwise about the current origin.
  virtual void rotate(double degrees) = 0;

  // ---- images ----

  // Draws `image` scaled into `r` (image row 0 at the top of the rectangle).
  virtual void drawImage(const QImage& image, const RectF& r) = 0;
  // Puts back the window image cached by the pointer tracking; no-op off screen.
  virtual void restoreWindowImage() {}
};

}  // namespace xyla
