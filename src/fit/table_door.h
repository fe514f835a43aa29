#pragma once

#include <string>
#include <vector>

#include "model/fit_row.h"

namespace xyla {
class XylaDocument;
}

// The one door to a document's fit table. The panel, the macros, the pointer and the fit
// controller change rows only through it, so what follows a change (an undo step, the
// redraw that refreshes the panels) is decided here and nowhere else.
namespace xyla::fit {

// Who changes the table: a person's edit (typed, switched, filled by the pointer or by a
// macro) is one undo step; what a fit writes (fitted values, percentages, a table taken
// back) keeps its own history (`OF`) and is not.
enum class TableChange { Edit, FitResult };

// One row to set: its index (0-based) and its new contents.
struct RowValue {
  int row = 0;
  FitRow value;
};

// Sets the rows (indexes outside the table are ignored). When anything changed, an
// `Edit` registers the previous rows as one undo step (or as part of the open group)
// and the document redraws. Answers whether anything changed.
bool setRows(XylaDocument& doc, std::vector<RowValue> rows, TableChange how = TableChange::Edit);
bool setRow(XylaDocument& doc, int row, FitRow value, TableChange how = TableChange::Edit);
// One cell, or the active switch, of one row.
bool setCell(XylaDocument& doc, int row, FitCell cell, std::string text);
bool setActive(XylaDocument& doc, int row, bool on);
// Makes `table` the document's table, row by row (a table of another length replaces
// it whole).
bool setTable(XylaDocument& doc, const FitTable& table, TableChange how = TableChange::Edit);

}  // namespace xyla::fit
