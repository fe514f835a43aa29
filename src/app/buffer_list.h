#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace xyla {

class Manager;
class XylaDocument;

// What the buffer list and the data table do to the current document, without widgets.
// Every change is one undo step of the document and redraws it.
namespace bufferlist {

// The columns of the buffer list, in order.
enum Column { Current, BelongX, BelongY, AutoUpdate, Legend, Errors, Number, Points, Source, Comment, ColumnCount };
// The columns of the data table, in order.
enum DataColumn { PointNo, XValue, YValue, XError, YError, DataColumnCount };

// The header text of a buffer-list column and of a data-table column.
const char* header(Column c);
const char* header(DataColumn c);

// The text of buffer row `row` in column `c` ("" for an invalid row).
std::string cellText(const XylaDocument& doc, int row, Column c);

// A double-click in the buffer list: column 0 makes the buffer current, "X"/"Y" switch
// its range, "U" its automatic MySQL refresh (only with a MySQL source), "L" its legend
// entry, any other column its visibility.
void doubleClick(Manager& m, int row, Column c);
// Makes `row` current (0 when invalid); clears the data table's selection.
void setCurrentBuffer(Manager& m, int row);
// Editing "Source" or "Comment".
void setText(Manager& m, int row, Column c, const std::string& text);

// The buffer-list commands ("bShow", "bHide", "bShowSel", "bHideSel", "bDelete",
// "bDuplicte", "bSelectAll", "bSelectNone", "bSelectInvert", "bRemoveError", "bMoveUp",
// "bMoveDown"); each beeps without a current document. False for an unknown name.
bool command(Manager& m, const std::string& name);

// ---- the data table of the current buffer ----

// How the value columns show and read values: 0 numbers, 1 dates and times in "TDF".
struct Formats {
  int x = 0;
  int y = 0;
};

// Rows: one per point and the entry row; 0 without a current buffer.
int dataRowCount(Manager& m);
// The text of data row `row` in column `c`: point numbers, values in the column's
// display format, errors only when the buffer has them; "add" in the entry row.
std::string dataText(Manager& m, int row, DataColumn c, const Formats& f = {});
// A typed value: read as a date in "TDF" for a value column shown as dates, otherwise as
// a number (a point or a comma as decimal separator). Nothing when the text is neither.
std::optional<double> readValue(const std::string& text, bool asDate);
// Typing `text` into the data table; false (nothing changes) when it cannot be read.
bool setData(Manager& m, int row, DataColumn c, const std::string& text, const Formats& f = {});
// A double-click on "X Value" or "Y Value" switches that column between numbers and dates.
void toggleFormat(Formats& f, DataColumn c);
// The Delete key: removes the points selected in the data table (`tableSelection`).
void deleteSelectedPoints(Manager& m);
// Runs `add`, which appends buffers to `d` (and may rescale it), as one undo step: the
// undo takes the new buffers out again and puts the ranges back.
void appendAsOneStep(XylaDocument& d, const std::function<void()>& add);

}  // namespace bufferlist
}  // namespace xyla
