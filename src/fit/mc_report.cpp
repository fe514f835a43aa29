#include "fit/mc_report.h"

#include <cstdio>

#include "fit/background_terms.h"
#include "fit/fit_report.h"

namespace xyla::fit {

namespace {

std::string g(double v, int digits = 4) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

// A quoted CSV field (quotes doubled).
std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

McLine lineFor(const McPeak& p, const PeakNumbers& n, const std::string& name, bool area) {
  McLine l;
  l.row = p.row + 1;
  l.name = name.empty() ? "row " + std::to_string(l.row) : name;
  l.quantity = area ? "area" : "percent";
  l.value = area ? n.area : n.percent;
  l.haveCovariance = n.errorsOk && (area || n.hasPercent);
  l.covarianceError = l.haveCovariance ? (area ? n.areaError : n.percentError) : 0.0;
  for (int part = 0; part < kMcParts; ++part) l.spread[part] = area ? p.area[part] : p.percent[part];
  return l;
}

}  // namespace

std::vector<McLine> mcLines(const FitModel& model, const McResult& mc, const PeakTable& measures,
                            const std::vector<std::string>& names) {
  std::vector<McLine> lines;
  for (std::size_t k = 0; k < mc.peaks.size() && k < measures.peaks.size(); ++k) {
    if (isBackgroundPeak(model, mc.peaks[k].row + 1)) continue;
    const std::string name = k < names.size() ? names[k] : "";
    lines.push_back(lineFor(mc.peaks[k], measures.peaks[k], name, true));
    if (measures.peaks[k].hasPercent) lines.push_back(lineFor(mc.peaks[k], measures.peaks[k], name, false));
  }
  return lines;
}

std::string mcText(const McResult& mc, const McOptions& options, const std::vector<McLine>& lines) {
  std::string out = "Monte-Carlo errors: " + std::to_string(mc.replicas) + " replicas per part, seed " +
                    std::to_string(options.seed) + ", " + (mc.poisson ? "Poisson" : "Gaussian") + " noise";
  out += mc.endPoints ? ", end points within +-" + g(options.window) : ", end points not varied";
  out += "; failed fits " +
         std::to_string(mc.failed[kMcBoth] + (mc.endPoints ? mc.failed[kMcNoise] + mc.failed[kMcEndPoints] : 0)) + "\n";
  char buf[256];
  std::snprintf(buf, sizeof buf, "%-4s %-8s %12s %10s %10s %10s %10s  %s\n", "row", "quantity", "value", "cov. err",
                "MC sd", "noise sd", "ends sd", "95 % interval");
  out += buf;
  for (const McLine& l : lines) {
    const McSpread& both = l.spread[kMcBoth];
    std::snprintf(buf, sizeof buf, "%-4d %-8s %12s %10s %10s %10s %10s  %s .. %s\n", l.row, l.quantity.c_str(),
                  g(l.value, 6).c_str(), l.haveCovariance ? g(l.covarianceError).c_str() : "-", g(both.sd).c_str(),
                  g(l.spread[kMcNoise].sd).c_str(), mc.endPoints ? g(l.spread[kMcEndPoints].sd).c_str() : "-",
                  g(both.lo, 6).c_str(), g(both.hi, 6).c_str());
    out += buf;
  }
  return out;
}

std::string mcCsv(const McResult& mc, const std::vector<McLine>& lines) {
  std::string out =
      "name,row,quantity,value,covariance error,MC mean,MC sd,MC 2.5 %,MC 97.5 %,noise sd,end-point sd,replicas,"
      "noise\r\n";
  for (const McLine& l : lines) {
    const McSpread& both = l.spread[kMcBoth];
    out += quoted(l.name) + "," + std::to_string(l.row) + "," + l.quantity + "," + csvNumber(l.value) + "," +
           (l.haveCovariance ? csvNumber(l.covarianceError) : "") + "," + csvNumber(both.mean) + "," +
           csvNumber(both.sd) + "," + csvNumber(both.lo) + "," + csvNumber(both.hi) + "," +
           csvNumber(l.spread[kMcNoise].sd) + "," + (mc.endPoints ? csvNumber(l.spread[kMcEndPoints].sd) : "") + "," +
           std::to_string(both.count) + "," + (mc.poisson ? "Poisson" : "Gaussian") + "\r\n";
  }
  return out;
}

}  // namespace xyla::fit
