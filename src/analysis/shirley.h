#pragma once

namespace xyla {

class DataBuffer;
class Ui;
class XylaDocument;

// Shirley background between the end points (x1, y1) and (x2, y2) of `in`, whose X
// values are taken as equidistant. Appends the range's points to `out` (spectrum minus
// background) and to `bg` (the background, skipped when it is `out`); either may be null.
// Status: 1 converged, 2 stopped after 100 accepted passes, -1 fewer than 3 points in
// the buffer or the range, -2 spacing below 1e-300, -3 residual area zero, -4 relaxation
// factor below 0.1. Nothing is appended on a negative status.
int calcShirley(const DataBuffer& in, DataBuffer* out, DataBuffer* bg, double x1, double y1, double x2, double y2);

// Appends the background-free spectrum (" Shirley") and the background (" ShirleyBg") of
// buffer `index` between (x1, y1) and (x2, y2); does nothing on a bad index, a refused
// sort or a failed calculation.
XylaDocument& doShirley(XylaDocument& doc, int index, double x1, double y1, double x2, double y2, Ui& ui);

}  // namespace xyla
