// Quantification commands: collect line areas from fits and buffers, set sensitivity
// factors, and print and publish the atomic percentages.
#include <cmath>
#include <memory>
#include <string>

#include "analysis/energy_scale.h"
#include "analysis/quantification.h"
#include "analysis/xps_lines.h"
#include "fit/fit_controller.h"
#include "macro/command_table.h"
#include "macro/fit_binding.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "macro/xps_family.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

using G = CommandGroup;

// The quantification list of the application; a list of its own without one.
xps::QuantSession& session(Macro& m) {
  static xps::QuantSession standalone;
  return m.MC ? m.MC->quantSession() : standalone;
}

void quantAlert(Macro& m, const std::string& message) { m.M->ui().alert("Quantification", message, {"OK"}); }

// A line name the tables know, or an alert.
bool knownLine(Macro& m, const std::string& line) {
  if (!xps::lineKey(line).empty()) return true;
  quantAlert(m, "Unknown line " + line + ": write it as element and level, as in C 1s or W 4f");
  return false;
}

// The areas of the last fit's peaks as one covariance group, made once per fit.
std::shared_ptr<const xps::AreaCovariance> fitGroup(const fit::FitResult& r) {
  static long run = 0;
  static std::shared_ptr<const xps::AreaCovariance> group;
  if (!group || run != r.run) {
    auto g = std::make_shared<xps::AreaCovariance>();
    g->n = static_cast<int>(r.measures.peaks.size());
    g->cov = r.measures.areaCovariance;
    if (g->cov.size() != static_cast<std::size_t>(g->n) * g->n) g->cov.assign(static_cast<std::size_t>(g->n) * g->n, 0.0);
    group = g;
    run = r.run;
  }
  return group;
}

// quantpeak line row: the true area of the fitted peak in table row `row` (1-based).
void quantpeak(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  const fit::Fit& f = fitFor(m);
  const fit::FitResult& r = f.result();
  for (std::size_t k = 0; f.haveResult && k < r.measures.peaks.size(); ++k) {
    const fit::PeakNumbers& p = r.measures.peaks[k];
    if (p.row + 1 != m.I[1]) continue;
    if (!p.ok) {
      quantAlert(m, "Row " + std::to_string(m.I[1]) + " has no area: its width or height is zero or negative");
      return;
    }
    xps::QuantEntry e;
    e.line = line;
    e.area = p.area;
    e.areaError = p.errorsOk ? p.areaError : 0.0;
    e.be = p.position;
    e.haveBe = true;
    e.group = fitGroup(r);
    e.indexInGroup = static_cast<int>(k);
    session(m).entries.push_back(e);
    return;
  }
  quantAlert(m, "Row " + std::to_string(m.I[1]) + " is no fitted peak of the last fit");
}

// quantbuffer line buffer [background]: the area of a background-free buffer, with the
// counting error of its counts (plus the background's, when named).
void quantbuffer(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  const DataBuffer* b = m.PD->buffer(m.I[1]);
  const DataBuffer* bg = m.O[2] ? m.PD->buffer(m.I[2]) : nullptr;
  if (!b || (m.O[2] && !bg)) {
    quantAlert(m, "Buffer " + std::to_string(b ? m.I[2] : m.I[1]) + " does not exist");
    return;
  }
  if (bg && (bg->count() != b->count() || bg->X != b->X)) {
    quantAlert(m, "The background buffer must have the same X values as the spectrum");
    return;
  }
  xps::QuantEntry e;
  e.line = line;
  if (!xps::bufferArea(*b, bg, e.area, e.areaError)) {
    quantAlert(m, "Buffer " + std::to_string(m.I[1]) + " has fewer than 2 points or values that are not numbers");
    return;
  }
  session(m).entries.push_back(e);
}

// quantrsf line factor: the user's sensitivity factor for a line (0 or less: back to
// the table's).
void quantrsf(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  auto& factors = session(m).sensitivity;
  if (m.D[1] > 0.0 && std::isfinite(m.D[1]))
    factors[xps::lineKey(line)] = m.D[1];
  else
    factors.erase(xps::lineKey(line));
}

void quantclear(Macro& m) { session(m).entries.clear(); }

// quant anode [transmission] [imfp]: prints the atomic percentages and publishes
// quantlines, quantpct<i> and quanterr<i> (i from 1, in the order the lines came).
void quant(Macro& m) {
  xps::QuantOptions o;
  o.hv = m.D[0];
  const double named = anodeEnergy(m.S[0]);
  if (named > 0.0) o.hv = named;
  if (!(o.hv > 0.0) || !std::isfinite(o.hv)) {
    quantAlert(m, "The anode must be al, mg or a photon energy in eV");
    return;
  }
  o.magnesium = std::fabs(o.hv - kMgKalpha) < 1.0;
  o.transmission = m.O[1] ? m.D[1] : 0.0;
  o.imfp = m.O[2] ? m.D[2] : 0.0;
  o.sensitivity = session(m).sensitivity;
  const xps::QuantOutcome q = xps::quantify(session(m).entries, o);
  if (!q.ok) {
    quantAlert(m, q.error);
    return;
  }
  m.print(xps::quantTable(q));
  m.M->GV["quantlines"] = static_cast<double>(q.rows.size());
  for (std::size_t i = 0; i < q.rows.size(); ++i) {
    m.M->GV["quantpct" + std::to_string(i + 1)] = q.rows[i].atomic;
    m.M->GV["quanterr" + std::to_string(i + 1)] = q.rows[i].atomicError;
  }
}

}  // namespace

void registerQuantCommands(CommandTable& t) {
  t.add(G::Xps, "quantclear", "", 0, quantclear,
        {"", "Forgets every line of the quantification."});
  t.add(G::Xps, "quantpeak", "si", 2, quantpeak,
        {"line row", "Takes the area of the fitted peak in table row `row` for the line."});
  t.add(G::Xps, "quantbuffer", "sii", 2, quantbuffer,
        {"line buffer [background]", "Takes the area of a background-free buffer for the line, with the counting error of its counts."});
  t.add(G::Xps, "quantrsf", "sd", 2, quantrsf,
        {"line factor", "Sets the sensitivity factor of a line (0 or less: the table's)."});
  t.add(G::Xps, "quant", "udd", 1, quant,
        {"anode [transmission] [imfp]", "Prints the atomic percentages and publishes quantlines, quantpct1.. and quanterr1.."});
}

}  // namespace xyla
