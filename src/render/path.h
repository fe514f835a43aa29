#pragma once

#include <vector>

#include "render/geometry.h"

namespace xyla {

// A drawing path in view coordinates, kept as a plain list of elements so that every
// canvas can replay it and tests can read it back.
class Path {
 public:
  enum class Kind { MoveTo, LineTo, Close, Oval, Rect };
  struct Element {
    Kind kind;
    double x, y;           // point, or lower left corner for Oval and Rect
    double width, height;  // Oval and Rect only
  };

  void moveTo(double x, double y) { elements_.push_back({Kind::MoveTo, x, y, 0, 0}); }
  void lineTo(double x, double y) { elements_.push_back({Kind::LineTo, x, y, 0, 0}); }
  void closePath() { elements_.push_back({Kind::Close, 0, 0, 0, 0}); }
  // Appends a closed ellipse inscribed in the rectangle.
  void appendOval(const RectF& r) { elements_.push_back({Kind::Oval, r.x, r.y, r.width, r.height}); }
  // Appends a closed rectangle.
  void appendRect(const RectF& r) { elements_.push_back({Kind::Rect, r.x, r.y, r.width, r.height}); }
  void removeAllPoints() { elements_.clear(); }
  bool isEmpty() const { return elements_.empty(); }
  // Reserves room for `n` elements (long polylines).
  void reserve(std::size_t n) { elements_.reserve(n); }

  const std::vector<Element>& elements() const { return elements_; }

 private:
  std::vector<Element> elements_;
};

}  // namespace xyla
