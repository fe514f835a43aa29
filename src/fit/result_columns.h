#pragma once

#include <string>
#include <vector>

#include "fit/fit_controller.h"

// The read-only result columns that the fit panel shows beside the table after a fit:
// the standard error of each parameter, the true area with its error, the FWHM and the
// percentage of the true areas of every peak row.
namespace xyla::fit {

// A column's header and the tooltip that explains it.
struct ResultColumn {
  std::string header;
  std::string tip;
};

// The result columns in their order.
const std::vector<ResultColumn>& resultColumns();

// The texts of the result columns for each of `rows` table rows: empty for rows that are
// not peaks, and for every row unless `result` is a successful fit of `model`.
std::vector<std::vector<std::string>> resultCells(const FitModel& model, const FitResult& result, std::size_t rows);

}  // namespace xyla::fit
