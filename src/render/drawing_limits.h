#pragma once

#include <algorithm>
#include <cmath>

namespace xyla {

// A size or length in view units kept drawable: not finite counts as 0, and nothing is
// larger than a hundred thousand units (far beyond any page, well within every
// rasteriser's coordinate range).
inline double saneLength(double v) { return std::isfinite(v) ? std::clamp(v, -1e5, 1e5) : 0.0; }

}  // namespace xyla
