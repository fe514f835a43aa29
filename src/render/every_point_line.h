#pragma once

#include <cstddef>
#include <vector>

#include "model/view_mapping.h"
#include "render/geometry.h"

namespace xyla {

// The thinned line through every point of a buffer on two linear axes: what placing each
// point with AxisScale::toView and handing it to a PolylineThinner of column width `cell`
// gives, point for point and bit for bit (a point that cannot be placed is a gap), found
// without the general placement per point. Each column run is reduced by its indexes
// (first, lowest, highest, last), sixteen bytes or more at a time where the processor
// allows, and long buffers are split between two threads.
void thinEveryPoint(const LinearView& xs, const LinearView& ys, const double* x, const double* y, std::size_t n,
                    double cell, std::vector<PointF>& out);

}  // namespace xyla
