#include "model/fit_row.h"

#include <array>
#include <utility>

namespace xyla {

namespace {

// The file keys of the cells, in FitCell order.
constexpr std::array<const char*, kFitCellCount> kKeys = {"function", "A", "B", "C", "D", "E", "weight", "percent"};
constexpr const char* kActiveKey = "active";
// New rows carry an empty "%" entry besides the cells: the file form of the percentage
// column as first written, kept so that files read back exactly as they were.
constexpr const char* kPercentColumnKey = "%";

const char* keyOf(FitCell c) { return kKeys[static_cast<std::size_t>(c)]; }

}  // namespace

FitRow::FitRow() {
  for (int c = 0; c < kFitCellCount - 1; ++c) entries_[kKeys[static_cast<std::size_t>(c)]] = "";
  entries_[kPercentColumnKey] = "";
}

FitRow FitRow::fromDictionary(std::map<std::string, std::string> entries) {
  FitRow row;
  row.entries_ = std::move(entries);
  return row;
}

const std::string& FitRow::get(FitCell c) const {
  static const std::string kEmpty;
  const auto it = entries_.find(keyOf(c));
  return it == entries_.end() ? kEmpty : it->second;
}

void FitRow::set(FitCell c, std::string text) { entries_[keyOf(c)] = std::move(text); }

bool FitRow::active() const { return entries_.count(kActiveKey) != 0; }

void FitRow::setActive(bool on) {
  if (on)
    entries_.try_emplace(kActiveKey, "");
  else
    entries_.erase(kActiveKey);
}

FitTable emptyFitTable(std::size_t rows) { return FitTable(rows, FitRow()); }

}  // namespace xyla
