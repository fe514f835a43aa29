#pragma once

namespace xyla {

class Ui;
class XylaDocument;

// Slopes by local linear regression over the neighbours closer than `w` in X: appends a
// copy of buffer `index` whose Y are the slopes. Alerts and removes the copy when a
// point has no neighbour in reach or the regression is singular.
XylaDocument& diff(XylaDocument& doc, int index, double w, Ui& ui);
// Appends the running trapezoid integral of buffer `index` (starting at 0).
XylaDocument& integrate(XylaDocument& doc, int index, Ui& ui);
// Trapezoid integral of buffer `index` from the last point at or below min(a, b) to the
// first at or above max(a, b); appended to the buffer's comment and stored in the
// variable "integral".
XylaDocument& integrate(XylaDocument& doc, int index, double a, double b, Ui& ui);
// Least-squares regression over a <= X <= b: type 0 y = A + B x, 1 y = A + B ln x,
// 2 y = A exp(B x). Appends the model over all X of the buffer and sets the variables
// "rega", "regb" and "regr".
XylaDocument& reg(XylaDocument& doc, int index, double a, double b, int type, Ui& ui);

}  // namespace xyla
