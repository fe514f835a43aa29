#include "fit/table_door.h"

#include <algorithm>
#include <utility>

#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

// Everything that follows a change of the table, whoever made it: the document redraws,
// which also refreshes the panels that show the table.
void tableChanged(XylaDocument& doc) { doc.replot(); }

void registerUndo(XylaDocument& doc, std::vector<RowValue> before) {
  // Restoring in reverse order brings a row that changed twice back to its first value.
  std::reverse(before.begin(), before.end());
  doc.undoStack.registerUndo([d = &doc, before = std::move(before)] { setRows(*d, before); });
}

}  // namespace

bool setRows(XylaDocument& doc, std::vector<RowValue> rows, TableChange how) {
  std::vector<RowValue> before;
  bool changed = false;
  const int size = static_cast<int>(doc.F.size());
  for (RowValue& r : rows) {
    if (r.row < 0 || r.row >= size || doc.F[r.row] == r.value) continue;
    if (how == TableChange::Edit) before.push_back({r.row, std::move(doc.F[r.row])});
    doc.F[r.row] = std::move(r.value);
    changed = true;
  }
  if (!changed) return false;
  if (how == TableChange::Edit) registerUndo(doc, std::move(before));
  tableChanged(doc);
  return true;
}

bool setRow(XylaDocument& doc, int row, FitRow value, TableChange how) {
  std::vector<RowValue> rows;
  rows.push_back({row, std::move(value)});
  return setRows(doc, std::move(rows), how);
}

bool setCell(XylaDocument& doc, int row, FitCell cell, std::string text) {
  if (row < 0 || row >= static_cast<int>(doc.F.size())) return false;
  FitRow value = doc.F[row];
  value.set(cell, std::move(text));
  return setRow(doc, row, std::move(value));
}

bool setActive(XylaDocument& doc, int row, bool on) {
  if (row < 0 || row >= static_cast<int>(doc.F.size())) return false;
  FitRow value = doc.F[row];
  value.setActive(on);
  return setRow(doc, row, std::move(value));
}

bool setTable(XylaDocument& doc, const FitTable& table, TableChange how) {
  if (table.size() == doc.F.size()) {
    std::vector<RowValue> rows;
    for (std::size_t r = 0; r < table.size(); ++r) rows.push_back({static_cast<int>(r), table[r]});
    return setRows(doc, std::move(rows), how);
  }
  FitTable before = std::exchange(doc.F, table);
  if (how == TableChange::Edit)
    doc.undoStack.registerUndo([d = &doc, before = std::move(before)] { setTable(*d, before); });
  tableChanged(doc);
  return true;
}

}  // namespace xyla::fit
