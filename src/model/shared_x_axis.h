#pragma once

namespace xyla {

class XylaDocument;

// Gives the sub-plot `sub` the bottom X axis of `main`: range, mode, direction, scale
// steps, ticks, fonts, number format and title. A sub-plot that shares the X axis takes
// these at every drawing, so later changes to the main plot's axis reach it. Whether the
// sub-plot shows numbers and title stays its own choice.
void shareXAxis(const XylaDocument& main, XylaDocument& sub);

}  // namespace xyla
