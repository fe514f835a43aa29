#pragma once

namespace xyla {

class XylaDocument;

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
