#pragma once

#include <vector>

#include "render/geometry.h"

// Cutting shapes to the part of the picture that can show them. Rasterisers walk the
// whole length of an edge, also where it is clipped away, so a shape much larger than
// the picture costs in proportion to its size; cut first, it costs what it shows.
namespace xyla {

// Clips the segment to `box` (Liang-Barsky); false when nothing of it is inside. Keeps
// coordinates of far-off points within what every rasteriser handles.
bool clipSegment(PointF& a, PointF& b, const RectF& box);

// The closed polygon `points` clipped to `box` (Sutherland-Hodgman); empty when nothing
// of it is inside. Where the polygon leaves the box the result runs along the box's edge.
std::vector<PointF> clipPolygon(const std::vector<PointF>& points, const RectF& box);

// The ellipse inscribed in `r` as a closed polygon whose sides stray at most
// `tolerance` from the curve.
std::vector<PointF> ovalPolygon(const RectF& r, double tolerance);

// `r` grown by `margin` on every side.
RectF grown(const RectF& r, double margin);

// True when the two rectangles share any point.
bool overlaps(const RectF& a, const RectF& b);

}  // namespace xyla
