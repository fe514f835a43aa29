// Monte-Carlo errors of the last fit: replicas with counting noise and moved background
// end points, refitted in parallel; the spreads are printed beside the covariance
// errors, published as variables and written as a table.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/background_region.h"
#include "analysis/quantification.h"
#include "analysis/shirley_converged.h"
#include "fit/fit_controller.h"
#include "fit/mc_report.h"
#include "macro/command_table.h"
#include "macro/fit_binding.h"
#include "macro/macro.h"
#include "macro/xps_family.h"
#include "model/manager.h"
#include "model/replacing_file.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

fit::BackgroundRule convergedShirleyRule(int endPoints, bool highAtLargerX) {
  return [endPoints, highAtLargerX](const std::vector<double>& x, const std::vector<double>& y, double x1, double x2,
                                    int& first, int& last, std::vector<double>& background) {
    BackgroundRegion r;
    std::string error;
    if (!findRegion(x, y, x1, x2, highAtLargerX, false, r, error)) return false;
    std::vector<double> rx(x.begin() + r.first, x.begin() + r.last + 1),
        ry(y.begin() + r.first, y.begin() + r.last + 1);
    if (!r.highAtLast) std::reverse(ry.begin(), ry.end()), std::reverse(rx.begin(), rx.end());
    ShirleyResult s = convergedShirley(rx, ry, endPoints);
    if (!s.ok) return false;
    if (!r.highAtLast) std::reverse(s.background.begin(), s.background.end());
    first = r.first;
    last = r.last;
    background = std::move(s.background);
    return true;
  };
}

namespace {

void mcAlert(Macro& m, const std::string& message) { m.M->ui().alert("Monte-Carlo Errors", message, {"OK"}); }

// The measured spectrum behind the fitted buffer when a converged Shirley of this
// document made it (and neither buffer changed since); false otherwise.
bool measuredSpectrum(Macro& m, const fit::BackgroundOrigin& o, const DataBuffer& net, fit::McSpectrum& s) {
  const DataBuffer* src = m.PD->buffer(o.source);
  if (o.document != m.PD || !src) return false;
  s.rule = convergedShirleyRule(o.endPoints, o.highAtLargerX);
  s.x = src->X;
  s.y = src->Y;
  s.x1 = o.x1;
  s.x2 = o.x2;
  if (!s.rule(s.x, s.y, o.x1, o.x2, s.first, s.last, s.background) || s.last - s.first + 1 != net.count()) return false;
  for (int i = 0; i < net.count(); ++i)
    if (net.X[i] != s.x[s.first + i] ||
        std::fabs(net.Y[i] - (s.y[s.first + i] - s.background[i])) > 1e-9 * (std::fabs(s.y[s.first + i]) + 1.0))
      return false;
  return true;
}

// The fitted buffer alone, its values the spectrum (no background to vary).
fit::McSpectrum fittedSpectrum(const DataBuffer& b) {
  fit::McSpectrum s;
  s.x = b.X;
  s.y = b.Y;
  s.first = 0;
  s.last = b.count() - 1;
  return s;
}

// The atomic percentage of quantification line `i` for every replica of `part` (NaN where
// its fit failed or the areas do not quantify): the lines from this fit take the
// replica's areas, the others keep theirs.
std::vector<double> replicaAtomic(const xps::QuantSession& s, const xps::QuantOptions& o,
                                  const std::shared_ptr<const xps::AreaCovariance>& group, const fit::McResult& mc,
                                  int part, std::size_t i) {
  std::vector<double> out;
  for (const std::vector<double>& areas : mc.areas[part]) {
    std::vector<xps::QuantEntry> entries = s.entries;
    for (xps::QuantEntry& e : entries)
      if (e.group == group && e.indexInGroup >= 0 && e.indexInGroup < static_cast<int>(areas.size()))
        e.area = areas[e.indexInGroup];
    const xps::QuantOutcome q = xps::quantify(entries, o);
    out.push_back(q.ok ? q.rows[i].atomic : std::nan(""));
  }
  return out;
}

// Lines for the atomic percentages of the quantification lines taken from this fit
// (quantpeak), as the last `quant` computed them; none before a `quant`.
void addAtomicLines(Macro& m, const fit::FitResult& r, const fit::McResult& mc, std::vector<fit::McLine>& lines) {
  const xps::QuantSession& s = quantSessionFor(m);
  if (!(s.hv > 0.0)) return;
  const auto group = fitAreaGroup(r);
  const xps::QuantOptions o = xps::optionsOf(s);
  const xps::QuantOutcome base = xps::quantify(s.entries, o);
  if (!base.ok) return;
  for (std::size_t i = 0; i < s.entries.size(); ++i) {
    const xps::QuantEntry& e = s.entries[i];
    if (e.group != group || e.limit || e.indexInGroup < 0 || e.indexInGroup >= static_cast<int>(mc.peaks.size()))
      continue;
    fit::McLine l;
    l.row = mc.peaks[e.indexInGroup].row + 1;
    l.name = e.line;
    l.quantity = "atomic";
    l.value = base.rows[i].atomic;
    l.covarianceError = base.rows[i].atomicError;
    l.haveCovariance = true;
    for (int part = 0; part < fit::kMcParts; ++part)
      if (!mc.areas[part].empty()) l.spread[part] = fit::spreadOf(replicaAtomic(s, o, group, mc, part, i));
    lines.push_back(l);
  }
}

// fitmcarea<r>, fitmcareanoise<r>, fitmcareaend<r>, fitmcarealo<r>, fitmcareahi<r> and
// the same for pct and at (atomic percentages), plus fitmcreplicas and fitmcfailed.
void publish(Macro& m, const fit::McResult& mc, const std::vector<fit::McLine>& lines) {
  auto set = [&m](const std::string& name, double v) { m.M->GV[name] = std::isfinite(v) ? v : 0.0; };
  set("fitmcreplicas", mc.replicas);
  set("fitmcfailed", mc.failed[fit::kMcBoth] + mc.failed[fit::kMcNoise] + mc.failed[fit::kMcEndPoints]);
  for (const fit::McLine& l : lines) {
    const std::string kind = l.quantity == "area" ? "area" : l.quantity == "percent" ? "pct" : "at";
    const std::string base = "fitmc" + kind, row = std::to_string(l.row);
    set(base + row, l.spread[fit::kMcBoth].sd);
    set(base + "noise" + row, l.spread[fit::kMcNoise].sd);
    set(base + "end" + row, mc.endPoints ? l.spread[fit::kMcEndPoints].sd : 0.0);
    set(base + "lo" + row, l.spread[fit::kMcBoth].lo);
    set(base + "hi" + row, l.spread[fit::kMcBoth].hi);
  }
}

// fitmc replicas [window] [seed] [file]
void fitmc(Macro& m) {
  fit::Fit& f = fitFor(m);
  if (!f.haveResult) return mcAlert(m, "Run a successful fit first");
  if (m.I[0] < 2 || m.I[0] > 100000) return mcAlert(m, "The number of replicas must lie between 2 and 100000");
  const double window = m.O[1] ? m.D[1] : 0.0;
  if (!(window >= 0.0) || !std::isfinite(window)) return mcAlert(m, "The end-point window must be 0 or more");
  const fit::FitResult& r = f.result();
  const DataBuffer* fitted = m.PD->buffer(r.buffer);
  if (!fitted) return mcAlert(m, "The fitted buffer is no longer there");
  fit::McSpectrum s;
  const bool measured = r.buffer == f.backgroundOrigin.net && measuredSpectrum(m, f.backgroundOrigin, *fitted, s);
  if (!measured) s = fittedSpectrum(*fitted);
  fit::McOptions o;
  o.replicas = m.I[0];
  o.window = window;
  o.seed = m.O[2] ? static_cast<std::uint64_t>(m.I[2]) : 1;
  o.threads = f.modelThreads;
  const double scatter = r.sigma * std::sqrt(r.reducedChisq > 0.0 ? r.reducedChisq : 1.0);
  const fit::McResult mc = fit::monteCarlo(f.model(), {r.sigma, r.poisson, scatter}, s, o);
  if (!mc.ok) return mcAlert(m, mc.error);
  std::vector<fit::McLine> lines = fit::mcLines(f.model(), mc, r.measures, peakNames(m, f));
  addAtomicLines(m, r, mc, lines);
  m.print(fit::mcText(mc, o, lines));
  publish(m, mc, lines);
  std::string error;
  if (m.O[3] && !writeFileReplacing(m.S[3], fit::mcCsv(mc, lines), error)) {
    m.M->ui().alert("Can not write file", error, {"OK"});
    ++m.ERR;
  }
}

}  // namespace

void registerMonteCarloCommands(CommandTable& t) {
  t.add(CommandGroup::Fit, "fitmc", "idis", 1, fitmc,
        {"replicas [window] [seed] [file]",
         "Monte-Carlo errors of the last fit: replicas with counting noise and, after shirleyconv, background end "
         "points moved within +-window, refitted; prints and publishes the spreads (fitmcarea1, fitmcpct1, fitmcat1 "
         "after quantpeak and quant...) and writes them as a table."});
}

}  // namespace xyla
