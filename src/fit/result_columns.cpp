#include "fit/result_columns.h"

#include <cmath>

#include "model/text_scan.h"

namespace xyla::fit {

namespace {

enum Column { ErrA, ErrB, ErrC, ErrD, ErrE, Area, AreaError, Fwhm, Percent, kColumns };

std::string number(double v) { return std::isfinite(v) ? formatG(v) : std::string(); }

}  // namespace

const std::vector<ResultColumn>& resultColumns() {
  static const std::vector<ResultColumn> columns{
      {"\u00b1A", "Standard error of A from the last fit"},
      {"\u00b1B", "Standard error of B from the last fit"},
      {"\u00b1C", "Standard error of C from the last fit"},
      {"\u00b1D", "Standard error of D from the last fit"},
      {"\u00b1E", "Standard error of E from the last fit"},
      {"Area", "True area of the peak (Y unit x X unit), integrated on its own curve"},
      {"\u00b1Area", "Standard error of the true area"},
      {"FWHM", "Full width at half maximum of the peak's curve (X unit)"},
      {"Area %",
       "Share of the peak's weighted true area in the sum of all (every peak counts once "
       "when no row has a weight)"},
  };
  return columns;
}

std::vector<std::vector<std::string>> resultCells(const FitModel& model, const FitResult& result, std::size_t rows) {
  std::vector<std::vector<std::string>> out(rows, std::vector<std::string>(kColumns));
  if (!result.success) return out;
  const auto& errors = result.standardError;
  for (std::size_t k = 0; k < model.peaks.size(); ++k) {
    const std::size_t row = static_cast<std::size_t>(model.peaks[k].row);
    if (row >= rows) continue;
    std::vector<std::string>& cells = out[row];
    for (int s = 0; s < 5; ++s) {
      const std::size_t j = 5 * k + s + 1;
      // Fixed and empty cells have no error to show.
      const bool varies = j < model.kind.size() && (model.kind[j] == Cell::Free || model.kind[j] == Cell::Tie);
      if (j < errors.size() && varies) cells[ErrA + s] = number(errors[j]);
    }
    if (k >= result.measures.peaks.size()) continue;
    const PeakNumbers& p = result.measures.peaks[k];
    if (!p.ok) continue;
    cells[Area] = number(p.area);
    if (p.errorsOk) cells[AreaError] = number(p.areaError);
    cells[Fwhm] = number(p.fwhm);
    if (p.hasPercent) cells[Percent] = number(p.percent);
  }
  return out;
}

}  // namespace xyla::fit
