#pragma once

#include <string>

namespace xyla {

class Ui;
class XylaDocument;

// Samples `expression` at `steps` points from min to max (x and y both set to the grid
// value) and appends the buffer: (t, v) in mode 0, (v, t) otherwise. Beeps for an empty
// range or fewer than 2 steps; a text that does not parse reports itself and adds
// nothing.
void functionGenerator(XylaDocument& doc, int mode, double min, double max, int steps, const std::string& expression,
                       Ui& ui);
// Combines buffers i and j point by point over their common X range (op 0 +, 1 -, 2 *,
// 3 /), interpolating each linearly at the other's X values; appends the result, or
// beeps when the ranges do not overlap.
void calcBuf(XylaDocument& doc, int i, int j, int op, Ui& ui);

}  // namespace xyla
