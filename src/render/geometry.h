#pragma once

namespace xyla {

// Plain value types of the drawing code. View coordinates are points with the origin at
// the lower left corner of the view, x to the right, y upwards.
struct PointF {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const PointF&, const PointF&) = default;
};

struct SizeF {
  double width = 0.0;
  double height = 0.0;
  friend bool operator==(const SizeF&, const SizeF&) = default;
};

// A rectangle given by its lower left corner and its size.
struct RectF {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;
  friend bool operator==(const RectF&, const RectF&) = default;
};

}  // namespace xyla
