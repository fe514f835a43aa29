#pragma once

#include <string>
#include <vector>

namespace xyla::fit {

class Fit;

// The last fit's results as comma-separated values (RFC 4180, '.' as the decimal point
// whatever the locale): a header line, then one row per peak with its name (`names`[k]
// when given and not empty, otherwise "row r"), table row, function, position, FWHM,
// height, true area, the fit's own rectangle-sum area and the percentage of the true
// areas, each measured number followed by its standard error, then chi-square, reduced
// chi-square, rms and iterations of the fit. Numbers that are unknown stay empty.
std::string fitResultsCsv(const Fit& f, const std::vector<std::string>& names);

// A number with ten significant digits in the C locale.
std::string csvNumber(double v);

}  // namespace xyla::fit
