#pragma once

#include <algorithm>
#include <cmath>

namespace xyla {

// A size or length in view units kept drawable: not finite counts as 0, and nothing is
// larger than a hundred thousand units (far beyond any page, well within every
// rasteriser's coordinate range).
inline double saneLength(double v) { return std::isfinite(v) ? std::clamp(v, -1e5, 1e5) : 0.0; }

// Widest line drawn. Rasterisers spend time in proportion to the stroked area, and a line
// a thousand units wide already covers any plot, so wider ones are drawn this wide.
inline constexpr double kMaxLineWidth = 1000.0;

// A line width kept drawable: not finite or not positive counts as 0 (the thinnest line).
inline double saneLineWidth(double width) {
  return std::isfinite(width) && width > 0.0 ? std::min(width, kMaxLineWidth) : 0.0;
}

}  // namespace xyla
