#pragma once

#include <array>
#include <vector>

#include "model/colour.h"

namespace xyla {

class XylaDocument;

// A line or arrow, rectangle or ellipse on the plot, optionally carrying a picture.
// Its two points are stored in view coordinates (`posmode` 0) or in data coordinates of
// range 1 or 2, so that it can stay attached to the data.
class Graphic {
 public:
  explicit Graphic(XylaDocument* doc = nullptr) : PD(doc) {}

  enum Type { Line = 0, Rectangle = 1, Ellipse = 2 };

  // Sets every field but the document to its default.
  void setDefaults();

  struct Points {
    double x1, y1, x2, y2;
  };
  // The two points in view coordinates.
  Points getPoints() const;
  // Stores two points given in view coordinates (converted to data for data modes).
  void setPoints(double x1, double y1, double x2, double y2);

  // Direction of the line from (0, 0) to (dx, dy) in degrees, 0 <= a < 360; a line of
  // zero length answers 0.
  static double directionAngle(double dx, double dy);

  bool hasImage() const { return !image.empty(); }

  // ---- fields ----

  int tag = 0;
  int type = Line;
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  double linewidth = 2.0;
  int arrowtype = 0;  // 0 open, 1 filled, 2 hollow, 3 double chevron, above: none
  double arrowsize = 12.0;
  int dashp = 0;     // dash pattern 0..15
  int display = 0;   // 1 behind the plot, other values in front
  int posmode = 0;   // 0 view, 1 or 2 data coordinates of that range
  bool arrow1 = false, arrow2 = false;
  bool fill = false;
  bool aspect = true;  // keep the picture's aspect ratio when resized by the pointer
  Colour color = Colour::black();
  Colour fillcolor = Colour::white();
  std::vector<unsigned char> image;  // the picture as PNG bytes; empty = none
  XylaDocument* PD = nullptr;
};

}  // namespace xyla
