#pragma once

#include <cmath>

namespace xyla {

class XylaDocument;

// One axis of one range prepared for mapping many values: the limits, whether the axis
// is logarithmic, the plot length and the margin where it starts. The free functions
// below are built on it, so both give identical results.
// The linear mapping of an axis as AxisScale::toView computes it: (v - lo) * length /
// span + offset, in that order of operations.
struct LinearView {
  double lo, length, span, offset;
  double toView(double v) const { return (v - lo) * length / span + offset; }
};

class AxisScale {
 public:
  // The x axis of range `which` (1 bottom, other top) or its y axis (1 left, other right).
  static AxisScale x(const XylaDocument& doc, int which);
  static AxisScale y(const XylaDocument& doc, int which);

  bool logarithmic() const { return log_; }
  // View position of a data value (0 for non-positive values on a log axis).
  double toView(double v) const {
    if (!log_) return (v - lo_) * length_ / (hi_ - lo_) + offset_;
    if (v <= 0 || lo_ <= 0 || hi_ <= 0) return 0.0;
    return (std::log10(v) - llo_) * length_ / (lhi_ - llo_) + offset_;
  }
  // The mapping of a linear axis, giving the same values as toView.
  LinearView linear() const { return {lo_, length_, hi_ - lo_, offset_}; }
  // Data value of a view position.
  double toData(double p) const;

 private:
  AxisScale(double lo, double hi, bool log, double length, double offset);
  double lo_, hi_;
  bool log_;
  double length_, offset_;
  double llo_ = 0.0, lhi_ = 0.0;  // log10 of the limits (log axes)
};

// The one mapping between data values and view positions (points, origin lower left),
// shared by the drawing code and the expression built-ins. `which` 1 selects range 1,
// any other value range 2. It uses the document's ranges, margins, axis modes and view
// size as they stand.
double xPoint(const XylaDocument& doc, double value, int which);
double yPoint(const XylaDocument& doc, double value, int which);
// The inverses of xPoint and yPoint.
double xValue(const XylaDocument& doc, double px, int which);
double yValue(const XylaDocument& doc, double py, int which);

}  // namespace xyla
