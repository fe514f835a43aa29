#include "fit/fit_report.h"

#include <charconv>
#include <cmath>

#include "fit/fit_controller.h"

namespace xyla::fit {

namespace {

constexpr const char* kHeader =
    "name,row,function,position,position_error,fwhm,fwhm_error,height,height_error,area,area_error,"
    "fit_area,percent,percent_error,area_over_fit_range,chi_square,reduced_chi_square,rms,iterations";

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

std::string csvNumber(double v) {
  if (!std::isfinite(v)) return "";
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10);
  return std::string(buf, r.ptr);
}

std::string fitResultsCsv(const Fit& f, const std::vector<std::string>& names) {
  const FitResult& r = f.result();
  const FitModel& m = f.model();
  std::string out = std::string(kHeader) + "\r\n";
  const std::string tail = "," + csvNumber(r.chisq) + "," + csvNumber(r.reducedChisq) + "," + csvNumber(r.rms) +
                           "," + std::to_string(r.iterations);
  for (int k = 1; k <= m.npix; ++k) {
    const PeakRow& peak = m.peaks[k - 1];
    const std::size_t i = static_cast<std::size_t>(k - 1);
    const PeakNumbers* n = i < r.measures.peaks.size() ? &r.measures.peaks[i] : nullptr;
    const bool ok = n && n->ok;
    const bool errors = ok && n->errorsOk;
    auto value = [&](double v) { return ok ? csvNumber(v) : std::string(); };
    auto error = [&](double v) { return errors ? csvNumber(v) : std::string(); };
    const std::string name = i < names.size() && !names[i].empty() ? names[i] : "row " + std::to_string(peak.row + 1);
    out += quoted(name) + "," + std::to_string(peak.row + 1) + "," + quoted(peak.function);
    out += "," + value(ok ? n->position : 0) + "," + error(ok ? n->positionError : 0);
    out += "," + value(ok ? n->fwhm : 0) + "," + error(ok ? n->fwhmError : 0);
    out += "," + value(ok ? n->height : 0) + "," + error(ok ? n->heightError : 0);
    out += "," + value(ok ? n->area : 0) + "," + error(ok ? n->areaError : 0);
    out += "," + (n && f.haveInt ? csvNumber(n->fitArea) : std::string());
    const bool pct = ok && n->hasPercent;
    out += "," + (pct ? csvNumber(n->percent) : std::string()) + "," + (pct && errors ? csvNumber(n->percentError) : "");
    out += std::string(",") + (ok ? (n->windowed ? "1" : "0") : "");
    out += tail + "\r\n";
  }
  return out;
}

}  // namespace xyla::fit
