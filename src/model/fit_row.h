#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace xyla {

// The cells of a fit-table row, in the order of the table's columns: the function (a
// shape name or an expression), the parameters A to E, the area weight and the
// percentage that a fit writes.
enum class FitCell : int { Function, A, B, C, D, E, Weight, Percent };
inline constexpr int kFitCellCount = 8;
inline constexpr int kFitRowCount = 24;  // rows of a document's table

// The cell of parameter column `i` (0 = A .. 4 = E).
constexpr FitCell parameterCell(int i) { return static_cast<FitCell>(static_cast<int>(FitCell::A) + i); }

// One row of the fit table: named text cells and whether the row takes part in a fit.
// It keeps the dictionary of strings that a document file stores for it, keys it does
// not know included, so saving writes back what was read.
class FitRow {
 public:
  // An empty, inactive row as a new document has it.
  FitRow();
  // A row in its file form.
  static FitRow fromDictionary(std::map<std::string, std::string> entries);
  // The file form: "function", "A" .. "E", "weight", "percent"; "active" when on.
  const std::map<std::string, std::string>& dictionary() const { return entries_; }

  // The text of a cell ("" when the row has none).
  const std::string& get(FitCell c) const;
  void set(FitCell c, std::string text);
  // Present "active" entry: the row takes part in the next fit.
  bool active() const;
  void setActive(bool on);
  // True when the row has a function (the rows a fit and a report look at).
  bool hasFunction() const { return !get(FitCell::Function).empty(); }

  bool operator==(const FitRow&) const = default;

 private:
  std::map<std::string, std::string> entries_;
};

using FitTable = std::vector<FitRow>;

// The table of a new document: 24 empty rows.
FitTable emptyFitTable(std::size_t rows = kFitRowCount);

}  // namespace xyla
