#pragma once

namespace xyla {

// An RGBA colour, every component in 0..1.
struct Colour {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 1.0;

  static constexpr Colour black() { return {0.0, 0.0, 0.0, 1.0}; }
  static constexpr Colour white() { return {1.0, 1.0, 1.0, 1.0}; }
  static constexpr Colour lightGrey() { return {2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 1.0}; }
  static constexpr Colour darkGrey() { return {1.0 / 3.0, 1.0 / 3.0, 1.0 / 3.0, 1.0}; }

  friend bool operator==(const Colour&, const Colour&) = default;
};

}  // namespace xyla
