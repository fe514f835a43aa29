#pragma once

#include <cmath>
#include <limits>
#include <vector>

#include "render/geometry.h"

namespace xyla {

// Thins a long polyline for drawing every point (the document flag `alldraw`): each run
// of consecutive points inside one column `cell` view units wide is replaced by its
// first, lowest, highest and last point, in their order. The thinned line covers the
// same heights in every column and strays at most one cell sideways, so stroked with
// round joins and caps it paints what stroking every segment paints, while its length
// depends on the width of the picture and no longer on the number of points.
class PolylineThinner {
 public:
  // A cell of 0 keeps every point.
  explicit PolylineThinner(double cell, std::vector<PointF>& out) : cell_(cell), out_(out) {}

  // Adds the next point of the line.
  void add(PointF p) {
    if (!(cell_ > 0)) {
      out_.push_back(p);
      return;
    }
    const double column = std::floor(p.x / cell_);
    if (count_ > 0 && column != column_) flush();
    if (count_ == 0) {
      column_ = column;
      first_ = low_ = high_ = last_ = p;
      lowAt_ = highAt_ = 0;
    } else {
      if (p.y < low_.y) low_ = p, lowAt_ = count_;
      if (p.y > high_.y) high_ = p, highAt_ = count_;
      last_ = p;
    }
    ++count_;
  }

  // Ends the line here: the next point starts a new one (a point that cannot be placed).
  void gap() {
    flush();
    if (!out_.empty() && !std::isnan(out_.back().x)) out_.push_back({kGap, kGap});
  }

  // Writes out the points still held.
  void finish() { flush(); }

  static constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

 private:
  void flush() {
    if (count_ == 0) return;
    out_.push_back(first_);
    const bool lowFirst = lowAt_ <= highAt_;
    const PointF& a = lowFirst ? low_ : high_;
    const PointF& b = lowFirst ? high_ : low_;
    const std::size_t aAt = lowFirst ? lowAt_ : highAt_, bAt = lowFirst ? highAt_ : lowAt_;
    if (aAt != 0 && aAt + 1 != count_) out_.push_back(a);
    if (bAt != 0 && bAt + 1 != count_ && bAt != aAt) out_.push_back(b);
    if (count_ > 1) out_.push_back(last_);
    count_ = 0;
  }

  double cell_;
  std::vector<PointF>& out_;
  std::size_t count_ = 0;
  double column_ = 0;
  PointF first_, low_, high_, last_;
  std::size_t lowAt_ = 0, highAt_ = 0;
};

// Whether lines drawn through every point are thinned (on unless a test compares the
// thinned picture with the same line through every point).
bool everyPointThinning();
void setEveryPointThinning(bool on);
// Whether thinned lines on linear axes are found by column runs (thinEveryPoint) rather
// than point by point through this thinner (on unless a test compares the two).
bool everyPointKernel();
void setEveryPointKernel(bool on);

}  // namespace xyla
