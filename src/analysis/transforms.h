#pragma once

namespace xyla {

class Ui;
class XylaDocument;

// Point-by-point operations on the buffers of a document. Those "over the selection"
// visit the selected buffers of the document's controller in ascending index order.
// Axis selector: 0 the X values, 1 the Y values, anything else changes nothing.

// Maps ref1 to new1 and ref2 to new2 linearly on every selected buffer; one undo step.
void normalize(XylaDocument& doc, int axis, double ref1, double ref2, double new1, double new2);
// Shifts every selected buffer by to - from; one undo step.
void move(XylaDocument& doc, int axis, double from, double to);
// Keeps the points strictly inside (mode 0) or outside (mode 1) of a..b on every
// selected buffer. No undo, no redraw.
void cut(XylaDocument& doc, int axis, double a, double b, int mode, Ui& ui);
// Appends a copy of buffer `index` reduced (averaged in groups) by `factor`.
void reduction(XylaDocument& doc, int index, int factor, Ui& ui);
// Appends a copy of buffer `index` smoothed by a moving mean over 2 x `factor` points.
void smooth(XylaDocument& doc, int index, int factor, Ui& ui);
// Swaps X and Y of buffer `index` in place, then auto-ranges and redraws.
XylaDocument& swapXY(XylaDocument& doc, int index);

}  // namespace xyla
