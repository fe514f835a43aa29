#include "fit/fit_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "fit/fit_controller.h"

namespace xyla::fit {

namespace {

// Significant digits of a number the single-precision solver produced.
constexpr int kSingleDigits = 7;

std::string header(const CsvUnits& u) {
  const std::string x = " [" + u.x + "]", y = " [" + u.y + "]";
  const std::string area = " [" + u.y + " " + u.x + "]";
  return "name,row,function,position" + x + ",position_error" + x + ",fwhm" + x + ",fwhm_error" + x + ",height" + y +
         ",height_error" + y + ",area" + area + ",area_error" + area + ",fit_area" + area +
         ",percent [%],percent_error [%],area_over_fit_range,chi_square,reduced_chi_square,rms" + y + ",iterations" +
         ",energy_shift" + x;
}

std::string chars(double v, std::chars_format format, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, format, precision);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
}

std::string quoted(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string unitOfTitle(const std::string& title) {
  std::size_t end = title.find_last_not_of(" \t");
  if (end == std::string::npos || (title[end] != ')' && title[end] != ']')) return "";
  const char open = title[end] == ')' ? '(' : '[';
  const std::size_t start = title.rfind(open, end);
  if (start == std::string::npos || start + 1 >= end) return "";
  return title.substr(start + 1, end - start - 1);
}

std::string csvNumber(double v) {
  if (!std::isfinite(v)) return "";
  return chars(v, std::chars_format::general, kSingleDigits);
}

std::pair<std::string, std::string> csvValueAndError(double value, double error) {
  if (!std::isfinite(value)) return {"", ""};
  if (!std::isfinite(error) || !(error > 0.0)) return {csvNumber(value), ""};
  // The place of the error's second significant digit, as a power of ten.
  const int place = static_cast<int>(std::floor(std::log10(error))) - 1;
  const double scale = std::pow(10.0, place);
  const double roundedError = std::round(error / scale) * scale;
  const double roundedValue = std::round(value / scale) * scale;
  const int valueDigits = value == 0.0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) - place + 1;
  const int decimals = std::max(0, -place);
  // Fixed notation when the rounded value needs no more digits than the solver carries.
  if (valueDigits <= kSingleDigits && decimals <= kSingleDigits + 2)
    return {chars(roundedValue, std::chars_format::fixed, decimals),
            chars(roundedError, std::chars_format::fixed, decimals)};
  return {csvNumber(value), chars(error, std::chars_format::general, 2)};
}

std::string fitResultsCsv(const Fit& f, const std::vector<std::string>& names, const CsvUnits& units) {
  const FitResult& r = f.result();
  const FitModel& m = f.model();
  std::string out = header(units) + "\r\n";
  const std::string tail = "," + csvNumber(r.chisq) + "," + csvNumber(r.reducedChisq) + "," + csvNumber(r.rms) + "," +
                           std::to_string(r.iterations) + "," + csvNumber(r.energyShift);
  for (int k = 1; k <= m.npix; ++k) {
    const PeakRow& peak = m.peaks[k - 1];
    const std::size_t i = static_cast<std::size_t>(k - 1);
    const PeakNumbers* n = i < r.measures.peaks.size() ? &r.measures.peaks[i] : nullptr;
    const bool ok = n && n->ok;
    const bool errors = ok && n->errorsOk;
    // A measured number and its error, or empty cells.
    auto pair = [&](bool known, double v, double e) {
      if (!known) return std::string(",,");
      const auto [value, error] = csvValueAndError(v, errors ? e : NAN);
      return "," + value + "," + error;
    };
    const std::string name = i < names.size() && !names[i].empty() ? names[i] : "row " + std::to_string(peak.row + 1);
    out += quoted(name) + "," + std::to_string(peak.row + 1) + "," + quoted(peak.function);
    out += pair(ok, ok ? n->position : 0, ok ? n->positionError : 0);
    out += pair(ok, ok ? n->fwhm : 0, ok ? n->fwhmError : 0);
    out += pair(ok, ok ? n->height : 0, ok ? n->heightError : 0);
    out += pair(ok, ok ? n->area : 0, ok ? n->areaError : 0);
    out += "," + (n && f.haveInt ? csvNumber(n->fitArea) : std::string());
    out += pair(ok && n->hasPercent, ok ? n->percent : 0, ok ? n->percentError : 0);
    out += std::string(",") + (ok ? (n->windowed ? "1" : "0") : "");
    out += tail + "\r\n";
  }
  return out;
}

}  // namespace xyla::fit
