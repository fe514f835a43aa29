#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fit/numeric_arrays.h"
#include "fit/table_door.h"
#include "model/text_scan.h"
#include "model/xyla_document.h"

// The fit table as the solver sees it: parsing the rows of a document's table into
// parameters, limits, ties and shape codes, and writing fitted values back in the same
// notation the user typed.
namespace xyla::fit {

constexpr int kMaxPeaks = 24;
constexpr int kMaxParams = 5 * kMaxPeaks;
constexpr int kMaxCellLength = 255;

// Operators of a tie cell ("row operator number").
enum TieOperator : int { kTiePlus = 0, kTieMinus = 1, kTieTimes = 2, kTieDivide = 3 };

// One parameter cell as typed.
struct Cell {
  enum Kind { Empty, Fixed, Free, Tie } kind = Empty;
  double value = 0.0;   // the value, or the number after a tie's operator
  double range = -1.0;  // after "~": the range typed, -1 for a bare "~"
  int row = 0;          // a tie's row number as typed (1-based)
  int op = kTiePlus;    // a tie's operator
};

// Reads one cleaned cell: "v", "v~", "v~r", "r+n", "r-n", "r*n", "r/n" or "".
Cell parseCell(const std::string& text);
// Removes blanks, tabs and carriage returns and turns decimal commas into points.
std::string cleanCell(const std::string& text);
// The shape code of a line-shape name of the fit table ("GL", "DS*", ...), or 0 with
// `isShape` false for anything else (a user function).
int shapeCode(const std::string& function, bool& isShape);

// One peak of the table: the row it came from and its texts as parsed.
struct PeakRow {
  int row = 0;  // 0-based table row
  std::string function;
  std::string cells[5];
  std::string weight;
  bool userFunction = false;
};

// Everything the controller keeps about a parsed table; arrays are indexed from 1.
struct FitModel {
  FitModel();
  Vector1<float> ptab, ptmin, ptmax, ptmm, daj;
  Vector1<int> irel, krel, iirel, prel;
  Vector1<int> mfit;  // free parameters in table order
  int nmfit = 0;
  Vector1<int> ifunc;  // code per peak
  int npix = 0;
  int nptab = 0;
  Vector1<float> pkint, pkwt, pkper;
  std::vector<int> ed;          // peak index (0-based) per table row, -1 for other rows
  std::vector<PeakRow> peaks;   // per peak, 0-based
  std::vector<Cell::Kind> kind; // per parameter index (slot 0 unused)
};

// The outcome of reading a table.
struct ReadOutcome {
  enum Status { Ok, CellError, NothingToFit, FunctionError } status = Ok;
  std::string message;  // the alert text of a cell error
};

// Parses `table` into `model`. `userFunction(peak, text)` is asked to prepare the user
// function of a peak (1-based) and answers whether its text parsed.
ReadOutcome readTable(const FitTable& table, FitModel& model,
                      const std::function<bool(int, const std::string&)>& userFunction);

// Peak k's parameters (1-based k) with ties resolved, into p[1..5].
void resolvedParameters(const FitModel& model, int k, float* p);

// The rows of `table` that hold peaks, with their values, percentages and weights
// written back in the notation typed; keeps the percentages in `pkper`. Percentages are
// written only when `haveInt` is set.
std::vector<RowValue> writtenRows(FitModel& model, bool haveInt, const FitTable& table);
// The same, written into `table` itself.
void writeTableCells(FitModel& model, bool haveInt, FitTable& table);

}  // namespace xyla::fit
