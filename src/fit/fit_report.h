#pragma once

#include <string>
#include <utility>
#include <vector>

namespace xyla::fit {

class Fit;

// Units of the fitted X and Y, written into the header of the results table.
struct CsvUnits {
  std::string x = "eV", y = "counts";
};

// The unit an axis title names at its end, "Binding energy (eV)" -> "eV" (also in
// square brackets); "" when it names none.
std::string unitOfTitle(const std::string& title);

// The last fit's results as comma-separated values (RFC 4180, '.' as the decimal point
// whatever the locale): a header line with the unit of every column, then one row per
// peak with its name (`names`[k] when given and not empty, otherwise "row r"), table
// row, function, position, FWHM, height, true area, the fit's own rectangle-sum area and
// the percentage of the true areas, each measured number followed by its standard
// error, then chi-square, reduced chi-square, rms and iterations of the fit and the
// energy correction its positions carry (0 without one). Numbers that
// are unknown stay empty. A number with an error is rounded where the error's second
// significant digit stands (the error to two digits); the others, computed from the
// solver's single-precision parameters, carry seven significant digits.
std::string fitResultsCsv(const Fit& f, const std::vector<std::string>& names, const CsvUnits& units = {});

// A number with seven significant digits in the C locale ("" when not finite).
std::string csvNumber(double v);

// A value and its standard error as the table writes them: the error with two
// significant digits and the value rounded at the same place, both in fixed notation
// where that needs at most seven significant digits. An error that is zero or unknown
// leaves the value at seven digits and the error empty.
std::pair<std::string, std::string> csvValueAndError(double value, double error);

}  // namespace xyla::fit
