// Quantification commands: collect line areas from fits and buffers, set sensitivity
// factors, and print and publish the atomic percentages.
#include <cmath>
#include <memory>
#include <string>

#include "analysis/energy_scale.h"
#include "analysis/imfp.h"
#include "analysis/quantification.h"
#include "analysis/xps_lines.h"
#include "fit/background_terms.h"
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

void quantAlert(Macro& m, const std::string& message) { m.M->ui().alert("Quantification", message, {"OK"}); }

// A line name the tables know, or an alert.
bool knownLine(Macro& m, const std::string& line) {
  if (!xps::lineKey(line).empty()) return true;
  quantAlert(m, "Unknown line " + line + ": write it as element and level, as in C 1s or W 4f");
  return false;
}

}  // namespace

xps::QuantSession& quantSessionFor(Macro& m) {
  static xps::QuantSession standalone;
  return m.MC ? m.MC->quantSession() : standalone;
}

std::shared_ptr<const xps::AreaCovariance> fitAreaGroup(const fit::FitResult& r) {
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

namespace {

// quantpeak line row: the true area of the fitted peak in table row `row` (1-based).
void quantpeak(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  const fit::Fit& f = fitFor(m);
  const fit::FitResult& r = f.result();
  for (std::size_t k = 0; f.haveResult && k < r.measures.peaks.size(); ++k) {
    const fit::PeakNumbers& p = r.measures.peaks[k];
    if (p.row + 1 != m.I[1] || fit::isBackgroundPeak(f.model(), static_cast<int>(k) + 1)) continue;
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
    e.group = fitAreaGroup(r);
    e.indexInGroup = static_cast<int>(k);
    quantSessionFor(m).entries.push_back(e);
    return;
  }
  quantAlert(m, "Row " + std::to_string(m.I[1]) + " is no fitted peak of the last fit");
}

// The counting time per point (dwell time x scans, seconds) given as argument `p`, 1
// when not given; false with an alert for a time that is not positive.
bool countingTime(Macro& m, int p, double& seconds) {
  seconds = m.O[p] ? m.D[p] : 1.0;
  if (seconds > 0.0 && std::isfinite(seconds)) return true;
  quantAlert(m, "The counting time must be positive");
  return false;
}

// quantbuffer line buffer [background] [seconds]: the area of a background-free buffer
// of counts, with the counting error of its counts (plus the background's, when
// named), both divided by the counting time per point when given.
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
  double seconds = 1.0;
  if (!countingTime(m, 3, seconds)) return;
  e.area /= seconds;
  e.areaError /= seconds;
  quantSessionFor(m).entries.push_back(e);
}

// quantrsf line factor: the user's sensitivity factor for a line (0 or less: back to
// the table's).
void quantrsf(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  auto& factors = quantSessionFor(m).sensitivity;
  if (m.D[1] > 0.0 && std::isfinite(m.D[1]))
    factors[xps::lineKey(line)] = m.D[1];
  else
    factors.erase(xps::lineKey(line));
}

void quantclear(Macro& m) { quantSessionFor(m).entries.clear(); }

// quantangle degrees: the angle between source and analyser for the asymmetry
// correction (0 or less: none).
void quantangle(Macro& m) { quantSessionFor(m).angle = m.D[0] > 0.0 && m.D[0] < 180.0 ? m.D[0] : 0.0; }

// quantbeta line beta: the asymmetry parameter of a line (below -1 or above 2: the
// default again, 2 for s levels).
void quantbeta(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  if (m.D[1] >= -1.0 && m.D[1] <= 2.0)
    quantSessionFor(m).beta[xps::lineKey(line)] = m.D[1];
  else
    quantSessionFor(m).beta.erase(xps::lineKey(line));
}

// quantmatrix density molarmass valence [gap]: TPP-2M mean free paths in this material
// (a density of 0 or less: back to the exponent).
void quantmatrix(Macro& m) {
  if (!(m.D[0] > 0.0)) {
    quantSessionFor(m).material.reset();
    return;
  }
  xps::Tpp2mMaterial t{m.D[0], m.D[1], m.D[2], m.O[3] ? m.D[3] : 0.0};
  if (!std::isfinite(xps::tpp2mImfp(1000.0, t))) {
    quantAlert(m,
               "The material needs a density, a molar mass and valence electrons above 0 and a band gap of 0 or more");
    return;
  }
  quantSessionFor(m).material = t;
}

// quanttransmission line buffer: the instrument's transmission for the line, read off
// the buffer (X binding energy, Y transmission) at the line's energy (-1: none).
void quanttransmission(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  if (m.I[1] < 0) {
    quantSessionFor(m).curves.erase(xps::lineKey(line));
    return;
  }
  const DataBuffer* b = m.PD->buffer(m.I[1]);
  if (!b || b->count() < 2) {
    quantAlert(m, "Buffer " + std::to_string(m.I[1]) + " does not exist or has fewer than 2 points");
    return;
  }
  quantSessionFor(m).curves[xps::lineKey(line)] = {b->X, b->Y};
}

// quantlimit line buffer [width] [seconds]: a line not seen, at its tabulated energy in
// the buffer's spectrum, counted with its detection limit (per counting time).
void quantlimit(Macro& m) {
  const std::string line = m.S[0];
  if (!knownLine(m, line)) return;
  const DataBuffer* b = m.PD->buffer(m.I[1]);
  double be = 0.0;
  if (!b) {
    quantAlert(m, "Buffer " + std::to_string(m.I[1]) + " does not exist");
    return;
  }
  if (!xps::lineEnergy(line, be)) {
    quantAlert(m, "No binding energy for " + line + " in the tables");
    return;
  }
  xps::QuantEntry e;
  e.line = line;
  e.limit = true;
  std::string error;
  if (!xps::detectionLimitArea(*b, be, m.O[2] ? m.D[2] : 2.0, e.area, error)) {
    quantAlert(m, error);
    return;
  }
  double seconds = 1.0;
  if (!countingTime(m, 3, seconds)) return;
  e.area /= seconds;
  quantSessionFor(m).entries.push_back(e);
}

// quantsys crosssection imfp transmission: the relative uncertainties (%) of the factors.
void quantsys(Macro& m) {
  for (int i = 0; i < 3; ++i) {
    if (!(m.D[i] >= 0.0) || !std::isfinite(m.D[i])) {
      quantAlert(m, "The uncertainties must be percentages of 0 or more");
      return;
    }
  }
  quantSessionFor(m).systematic = {m.D[0] / 100.0, m.D[1] / 100.0, m.D[2] / 100.0};
}

// quant anode [transmission] [imfp]: prints the atomic percentages and publishes
// quantlines, quantpct<i>, quanterr<i>, quantsys<i> (i from 1, in the order the lines
// came), and per element quantelements, quantelement<k>, quanttotal<k>,
// quanttotalerr<k>, quanttotalsys<k>.
void quant(Macro& m) {
  double hv = m.D[0];
  const double named = anodeEnergy(m.S[0]);
  if (named > 0.0) hv = named;
  if (!(hv > 0.0) || !std::isfinite(hv)) {
    quantAlert(m, "The anode must be al, mg or a photon energy in eV");
    return;
  }
  xps::QuantSession& s = quantSessionFor(m);
  s.hv = hv;
  s.transmission = m.O[1] ? m.D[1] : 0.0;
  s.imfp = m.O[2] ? m.D[2] : 0.0;
  const xps::QuantOptions o = xps::optionsOf(s);
  const xps::QuantOutcome q = xps::quantify(s.entries, o);
  if (!q.ok) {
    quantAlert(m, q.error);
    return;
  }
  m.print(xps::quantTable(q));
  m.M->GV["quantlines"] = static_cast<double>(q.rows.size());
  for (std::size_t i = 0; i < q.rows.size(); ++i) {
    m.M->GV["quantpct" + std::to_string(i + 1)] = q.rows[i].atomic;
    m.M->GV["quanterr" + std::to_string(i + 1)] = q.rows[i].atomicError;
    m.M->GV["quantsys" + std::to_string(i + 1)] = q.rows[i].systematicError;
  }
  m.M->GV["quantelements"] = static_cast<double>(q.elements.size());
  for (std::size_t k = 0; k < q.elements.size(); ++k) {
    const std::string i = std::to_string(k + 1);
    m.M->SV["quantelement" + i] = q.elements[k].element;
    m.M->GV["quanttotal" + i] = q.elements[k].atomic;
    m.M->GV["quanttotalerr" + i] = q.elements[k].atomicError;
    m.M->GV["quanttotalsys" + i] = q.elements[k].systematicError;
  }
}

}  // namespace

void registerQuantCommands(CommandTable& t) {
  t.add(G::Xps, "quantclear", "", 0, quantclear,
        {"", "Forgets every line of the quantification."});
  t.add(G::Xps, "quantpeak", "si", 2, quantpeak,
        {"line row", "Takes the area of the fitted peak in table row `row` for the line."});
  t.add(G::Xps, "quantbuffer", "siid", 2, quantbuffer,
        {"line buffer [background] [seconds]",
         "Takes the area of a background-free buffer for the line, with the counting error of its counts, per counting "
         "time of a point when given."});
  t.add(G::Xps, "quantrsf", "sd", 2, quantrsf,
        {"line factor", "Sets the sensitivity factor of a line (0 or less: the table's)."});
  t.add(G::Xps, "quant", "udd", 1, quant,
        {"anode [transmission] [imfp]",
         "Prints the atomic percentages with statistical and systematic errors and the totals per element; publishes "
         "quantlines, quantpct1.., quanterr1.., quantsys1.. and quanttotal1.."});
  t.add(G::Xps, "quantangle", "d", 1, quantangle,
        {"degrees", "Sets the angle between source and analyser for the asymmetry correction (0: none)."});
  t.add(G::Xps, "quantbeta", "sd", 2, quantbeta,
        {"line beta", "Sets the asymmetry parameter of a line (outside -1..2: the default, 2 for s levels)."});
  t.add(G::Xps, "quantmatrix", "dddd", 3, quantmatrix,
        {"density molarmass valence [gap]",
         "Uses TPP-2M mean free paths in this material (density 0: the exponent again)."});
  t.add(G::Xps, "quanttransmission", "si", 2, quanttransmission,
        {"line buffer", "Takes the transmission of the line from a buffer over binding energy (-1: none)."});
  t.add(G::Xps, "quantlimit", "sidd", 2, quantlimit,
        {"line buffer [width] [seconds]",
         "Adds a line not seen with the detection limit of the buffer's noise at its energy (per counting time of a "
         "point when given)."});
  t.add(G::Xps, "quantsys", "ddd", 3, quantsys,
        {"crosssection imfp transmission",
         "Sets the relative uncertainties (%) of the factors for the systematic errors."});
}

}  // namespace xyla
