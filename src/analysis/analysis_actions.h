#pragma once

#include <string>

namespace xyla {

class Manager;

// The texts of the Normalize page: axis popup (0 X, 1 Y) and the four value fields.
struct NormalizeFields {
  int axis = 0;
  std::string ref1, ref2, new1, new2;
};

// Dialog actions of the Normalize and Calculations pages. Each first writes its fields
// to the user defaults and flushes them, then works on the selected buffers of the
// current document behind the selection guard (beeping when that fails), and redraws.
void normalizeAction(Manager& m, const NormalizeFields& f);
// Moves the first reference value onto the first new value.
void moveAction(Manager& m, const NormalizeFields& f);
// Cuts between the two reference values: `mode` 0 keeps the points strictly between
// them, 1 those strictly outside (the document's cut modes).
void cutdataAction(Manager& m, const NormalizeFields& f, int mode);
// Data reduction and smoothing with the factor field's text.
void reductionAction(Manager& m, const std::string& factor);
void smoothAction(Manager& m, const std::string& factor);
void swapXYAction(Manager& m);
// Adds a x + b to every Y of the selected buffers (the linear-background fields).
void linBgAction(Manager& m, const std::string& a, const std::string& b);
// Calculations: slopes with the interval field, running and ranged integrals, and the
// three regressions (type 0 linear, 1 logarithmic, 2 exponential) over the Normalize
// page's reference range.
void diffAction(Manager& m, const std::string& interval);
void integrateAction(Manager& m);
void intrangeAction(Manager& m, const NormalizeFields& f);
void regAction(Manager& m, const NormalizeFields& f, int type);

// Fourier page: amplitude spectrum with the window popup's tag, and Fourier smoothing
// with the factor field's text.
void doFFTAction(Manager& m, int window);
void fftsmoothAction(Manager& m, const std::string& factor);

// Generator page texts: mode popup (0 y(x), 1 x(y)), range, number of points, formula.
struct GeneratorFields {
  int mode = 0;
  std::string min, max, steps, expression;
};
// Samples the formula into a new buffer (no selection needed) and auto-ranges.
void functionGeneratorAction(Manager& m, const GeneratorFields& f);
// Replaces column `column` (0 X, 1 Y, 2 X error, 3 Y error) of the selected buffers.
void bufferCalcAction(Manager& m, int column, const std::string& expression);
// Combines buffers with the index texts `first` and `second` by operator 0..3.
void twoBufCalcAction(Manager& m, const std::string& first, const std::string& second, int op);

}  // namespace xyla
