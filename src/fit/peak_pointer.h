#pragma once

#include <string>
#include <vector>

#include "model/fit_row.h"

namespace xyla {
class DataBuffer;
class XylaDocument;
}  // namespace xyla

// Placing and shaping peaks of the fit table with the pointer, in data coordinates and
// without any window: a click fills the next free row with a peak under the pointer; a
// drag of a peak's top moves its position and height, a drag of its flank its width.
// Every change reaches the table through the table door, one undo step per click or drag.
namespace xyla::fit {

// Width of the peak under `x`: the X distance between the crossings of the level halfway
// between the data's lowest value and the value at `x`, on either side of `x` (linearly
// interpolated). A side that first climbs into a larger peak (above the value at `x` by
// more than the half height) has no crossing. With one crossing, twice its distance; with
// none, 0.
double halfMaximumWidth(const std::vector<double>& X, const std::vector<double>& Y, double x);

// Index of the first row without a function, or -1 when every row has one.
int nextFreeRow(const FitTable& table);

// True when no row of `table` names a function yet: what comes next is placing the first
// peak.
bool awaitsFirstPeak(const FitTable& table);

// The row a click at (x, y) places: the function of the last row that has one ("GL" when
// none has), A = x and B = y free, C free from the half-maximum width of `data` (a
// fortieth of its X span when that fails, 1 without data), D, E and the weight copied
// from the last row (D "0.3" and weight "1" when there is none), switched on.
FitRow placedPeak(const FitTable& table, const DataBuffer* data, double x, double y);

// `cell` with its number replaced by `v`, keeping what follows it ("282.1~0.5" with 283
// gives "283~0.5"); an empty cell becomes "v".
std::string withValue(const std::string& cell, double v);

// The part of a peak the pointer holds.
enum class PeakPart { None, Top, Flank };

// One pointer gesture on the peaks of a document's table: press, drags, release.
class PeakPointer {
 public:
  // A press at (x, y); `tolX`, `tolY` are the pick radius in data units. Picks the top
  // (A, B) or a flank (A +- C/2) of an active shape row whose cells are not ties.
  void press(const XylaDocument& doc, double x, double y, double tolX, double tolY);
  // Moves the picked part to (x, y): the row in the document's table shows the candidate
  // at once (no undo step yet), so a preview can draw it. False when nothing is picked.
  bool drag(XylaDocument& doc, double x, double y);
  // Ends the gesture: a picked row takes its final value as one undo step; without a
  // pick, a peak is placed at the press point in the next free row (switched on). Answers
  // the row that changed, or -1.
  int release(XylaDocument& doc, double x, double y);
  // Puts a picked row back as it was at the press.
  void cancel(XylaDocument& doc);

  PeakPart part() const { return part_; }
  int row() const { return row_; }

 private:
  FitRow moved(double x, double y) const;

  PeakPart part_ = PeakPart::None;
  int row_ = -1;
  FitRow original_;
  double x0_ = 0, y0_ = 0;           // press point
  double a0_ = 0, b0_ = 0, c0_ = 0;  // position, height and width at the press
};

}  // namespace xyla::fit
