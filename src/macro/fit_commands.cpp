// Curve-fit commands: fill and clear rows of the fit table, run the fit on the current
// buffer, step back, preview and export, and publish the results as variables so a
// batch run can print or reuse them.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fit/fit_controller.h"
#include "fit/fit_report.h"
#include "fit/residual_plot.h"
#include "fit/table_door.h"
#include "macro/command_families.h"
#include "macro/command_table.h"
#include "macro/fit_binding.h"
#include "macro/macro.h"
#include "macro/macro_controller.h"
#include "model/manager.h"
#include "model/replacing_file.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

fit::Fit& fitFor(Macro& m) {
  static fit::Fit standalone;
  fit::Fit& f = m.MC ? m.MC->fitController() : standalone;
  if (f.document() != m.PD) f.setupFit(m.M, m.PD);
  return f;
}

namespace {

using G = CommandGroup;

// A 1-based row argument, or -1 (with a beep) when it names no row.
int rowArgument(Macro& m, int p) {
  const int row = m.I[p];
  if (row < 1 || row > static_cast<int>(m.PD->F.size())) {
    m.M->ui().beep();
    return -1;
  }
  return row - 1;
}

// fitrow row function A B C D E weight: the row takes part in the next fit. The
// arguments after the row fill the cells from the function to the weight.
void fitrow(Macro& m) {
  const int row = rowArgument(m, 0);
  if (row < 0) return;
  FitRow r;
  r.setActive(true);
  for (int c = 0; c <= static_cast<int>(FitCell::Weight); ++c)
    if (m.O[c + 1]) r.set(static_cast<FitCell>(c), m.S[c + 1]);
  fit::setRow(*m.PD, row, std::move(r));
}

// fitclear [row]: empties one row or the whole table (one undo step).
void fitclear(Macro& m) {
  if (m.O[0]) {
    const int row = rowArgument(m, 0);
    if (row >= 0) fit::setRow(*m.PD, row, FitRow());
    return;
  }
  fit::setTable(*m.PD, emptyFitTable(m.PD->F.size()));
}

// fitlimit n [total]: iterations between "Fit Stopped" questions, and the most
// iterations of one fit (a positive number; others keep the total as it is).
void fitlimit(Macro& m) {
  fit::Fit& f = fitFor(m);
  m.PD->f_limit = m.I[0] > 0 ? m.I[0] : 100;
  if (m.O[1] && m.I[1] > 0) f.iterationTotal = m.I[1];
  f.update();
}

// Published results are always numbers: what a failed fit left undefined reads 0.
void setVariable(Macro& m, const std::string& name, double value) {
  m.M->GV[name] = std::isfinite(value) ? value : 0.0;
}

}  // namespace

void publishPeakNumbers(Macro& m, const fit::PeakNumbers& n, const std::string& row) {
  auto set = [&m](const std::string& name, double value) { m.M->GV[name] = std::isfinite(value) ? value : 0.0; };
  const bool e = n.errorsOk;
  set("fitfwhm" + row, n.fwhm);
  set("fiterrfwhm" + row, e ? n.fwhmError : 0.0);
  set("fitheight" + row, n.height);
  set("fiterrheight" + row, e ? n.heightError : 0.0);
  set("fittruearea" + row, n.area);
  set("fiterrtruearea" + row, e ? n.areaError : 0.0);
  set("fittruepct" + row, n.hasPercent ? n.percent : 0.0);
  set("fiterrtruepct" + row, n.hasPercent && e ? n.percentError : 0.0);
}

void publishPeakParameters(Macro& m, const fit::FitModel& model, int k, const std::vector<double>& standardError,
                           const std::string& row) {
  float p[6] = {};
  fit::resolvedParameters(model, k, p);
  for (int s = 1; s <= 5; ++s) {
    const std::string column(1, static_cast<char>('A' + s - 1));
    setVariable(m, "fit" + column + row, p[s]);
    const int j = 5 * (k - 1) + s;
    const bool known = static_cast<int>(standardError.size()) > j;
    setVariable(m, "fiterr" + column + row, known ? standardError[j] : 0.0);
  }
}

std::vector<std::string> peakNames(Macro& m, const fit::Fit& f) {
  std::vector<std::string> names;
  for (int index : f.exportedPeakBuffers()) {
    const DataBuffer* b = m.PD->buffer(index);
    names.push_back(b && b->getSource() == "Fit Export" ? b->getComment() : "");
  }
  return names;
}

namespace {

// The numbers measured on peak k (1-based) of the last fit, for table row `row`; 0 when
// unknown.
void publishMeasures(Macro& m, const fit::FitResult& r, int k, const std::string& row) {
  const std::size_t i = static_cast<std::size_t>(k - 1);
  const fit::PeakNumbers none;
  publishPeakNumbers(m, i < r.measures.peaks.size() && r.measures.peaks[i].ok ? r.measures.peaks[i] : none, row);
}

// The names of the variables a fit publishes for one table row, without the row number.
constexpr const char* kRowVariables[] = {
    "fitA",      "fitB",         "fitC",        "fitD",           "fitE",       "fiterrA",      "fiterrB",
    "fiterrC",   "fiterrD",      "fiterrE",     "fitarea",        "fitpct",     "fitfwhm",      "fiterrfwhm",
    "fitheight", "fiterrheight", "fittruearea", "fiterrtruearea", "fittruepct", "fiterrtruepct"};

// Rows that are no peak of this fit keep nothing of an earlier one: their variables read 0.
void clearOtherRows(Macro& m, const fit::FitModel& model) {
  std::vector<bool> fitted(fit::kMaxPeaks + 1, false);
  for (const fit::PeakRow& p : model.peaks)
    if (p.row + 1 <= fit::kMaxPeaks) fitted[p.row + 1] = true;
  for (int row = 1; row <= fit::kMaxPeaks; ++row) {
    if (fitted[row]) continue;
    for (const char* name : kRowVariables) {
      auto it = m.M->GV.find(name + std::to_string(row));
      if (it != m.M->GV.end()) it->second = 0.0;
    }
  }
}

// Publishes the last fit: fitok, fititer, fitchisq, fitrms, fitsigma, fitpeaks, and for
// every peak row r (1-based as in the table) fitA<r> .. fitE<r> (with ties applied),
// fiterrA<r> .. fiterrE<r> (standard errors), fitarea<r> and fitpct<r>.
void publish(Macro& m, const fit::Fit& f) {
  const fit::FitModel& model = f.model();
  const fit::FitResult& r = f.result();
  setVariable(m, "fitok", f.haveResult ? 1 : 0);
  setVariable(m, "fititer", r.iterations);
  setVariable(m, "fitchisq", r.chisq);
  setVariable(m, "fitrms", r.rms);
  setVariable(m, "fitsigma", r.sigma);
  setVariable(m, "fitpeaks", model.npix);
  setVariable(m, "fitdof", r.dof);
  setVariable(m, "fitredchisq", r.reducedChisq);
  clearOtherRows(m, model);
  for (int k = 1; k <= model.npix; ++k) {
    const std::string row = std::to_string(model.peaks[k - 1].row + 1);
    publishPeakParameters(m, model, k, r.standardError, row);
    setVariable(m, "fitarea" + row, f.haveInt ? model.pkint[k] : 0.0);
    setVariable(m, "fitpct" + row, f.haveInt ? model.pkper[k] : 0.0);
    publishMeasures(m, r, k, row);
  }
}

// A fit that does not succeed says why; the run goes on, with fitok 0.
void fitCommand(Macro& m) {
  fit::Fit& f = fitFor(m);
  if (f.running()) return m.M->ui().beep();  // started from inside a running fit
  f.update();
  f.start();
  publish(m, f);
  if (!f.haveResult) m.M->ui().alert("Fit Failed", f.failure(), {"OK"});
}

void fitback(Macro& m) {
  fit::Fit& f = fitFor(m);
  f.back();
  publish(m, f);
}

void fitpreview(Macro& m) { fitFor(m).preview(); }

// fitexport [all] [points] [min] [max]: appends the model sum (all = 0) or the sum and
// every peak (all != 0) as buffers, on the buffer's own X values or on a grid.
void fitexport(Macro& m) {
  fit::Fit& f = fitFor(m);
  f.update();
  if (m.O[1]) f.panel.points = m.S[1];
  if (m.O[2]) f.panel.min = m.S[2];
  if (m.O[3]) f.panel.max = m.S[3];
  if (m.O[0] && m.I[0] != 0)
    f.exportAll();
  else
    f.exportSum();
}

// fitweight mode [background]: 0 one common sigma, 1 counting weights from Y (plus the
// background buffer's counts when one is named).
void fitweight(Macro& m) {
  fit::Fit& f = fitFor(m);
  if (m.O[1] && !m.PD->buffer(m.I[1])) {
    m.M->ui().alert("Fit Weights", "Buffer " + std::to_string(m.I[1]) + " does not exist", {"OK"});
    return;
  }
  f.panel.poisson = m.I[0] != 0;
  f.panel.poissonBackground = m.O[1] ? m.I[1] : -1;
  // The document keeps the weighting with its other fit settings.
  m.PD->f_weight = f.panel.poisson;
  m.PD->f_weightbuffer = f.panel.poissonBackground;
}

bool requireResult(Macro& m, const fit::Fit& f) {
  if (f.haveResult) return true;
  m.M->ui().alert("No Fit Result", "Run a successful fit first", {"OK"});
  return false;
}

// fitcsv file: writes the results of the last fit as a table for spreadsheets.
void fitcsv(Macro& m) {
  fit::Fit& f = fitFor(m);
  if (!requireResult(m, f)) return;
  // Units from the axis titles ("Binding energy (eV)"), else eV and counts.
  fit::CsvUnits units;
  for (int axis : {0, 1}) {
    const std::string unit = fit::unitOfTitle(m.PD->axistext[axis]);
    if (!unit.empty()) (axis == 0 ? units.x : units.y) = unit;
  }
  std::string error;
  if (!writeFileReplacing(m.S[0], fit::fitResultsCsv(f, peakNames(m, f), units), error)) {
    m.M->ui().alert("Can not write file", error, {"OK"});
    ++m.ERR;
  }
}

// fitresidual [fraction]: appends the residual of the last fit as a hidden buffer and
// shows it in a sub-plot under the plot (a fraction of the view height, 0.25 default).
void fitresidual(Macro& m) {
  fit::Fit& f = fitFor(m);
  if (!requireResult(m, f)) return;
  std::vector<double> x, r;
  if (!f.residuals(x, r) || x.empty()) {
    m.M->ui().alert("No Fit Result", "The fitted buffer is no longer there", {"OK"});
    return;
  }
  auto b = std::make_unique<DataBuffer>();
  for (std::size_t i = 0; i < x.size(); ++i) b->quickAddDoubleValue(x[i], r[i]);
  b->setSource(fit::kResidualSource);
  b->setComment("residual");
  b->setShow(false);
  b->rescale();
  m.PD->appendBuffer(std::move(b));
  m.M->GV["lastbuffer"] = m.PD->bufferCount() - 1;
  fit::showResidualPlot(*m.PD, x, r, m.O[0] ? m.D[0] : 0.25);
}

}  // namespace

void publishFit(Macro& m, const fit::Fit& f) { publish(m, f); }

void registerFitCommands(CommandTable& t) {
  t.add(G::Fit, "fitrow", "isssssss", 2, fitrow,
        {"row function [A] [B] [C] [D] [E] [weight]",
         "Fills row 1-24 of the fit table and switches it on: GL, DS, ET, GL*, DS*, the shapes of the XPS conventions, "
         "a background fitted with the peaks (SHIRLEY, TOUGAARD, POLY) or an expression in x and A-E; cells 284.5 "
         "fixed, 284.5~ free, 284.5~0.5 within a range, 1+1.5 tied."});
  t.add(G::Fit, "fitclear", "i", 0, fitclear,
        {"[row]", "Empties one row of the fit table, or the whole table."});
  t.add(G::Fit, "fitlimit", "ii", 1, fitlimit,
        {"iterations [total]", "Asks \"Fit Stopped\" every so many iterations; a positive total ends a fit at that many iterations (batch runs: 1000)."});
  t.add(G::Fit, "fit", "", 0, fitCommand,
        {"", "Fits the table to the current buffer and publishes fitok, fititer, fitrms, fitchisq, fitsigma, fitA1.. and fitpct1..; a failed fit says why."});
  t.add(G::Fit, "fitback", "", 0, fitback,
        {"", "Takes the fit table back to the one before the last fit."});
  t.add(G::Fit, "fitpreview", "", 0, fitpreview,
        {"", "Draws the model of the fit table over the current buffer once, on screen."});
  t.add(G::Fit, "fitexport", "isss", 0, fitexport,
        {"[all] [points] [min] [max]", "Appends the model sum (all 0) or the sum and each peak (all 1) as buffers, on the buffer's X values (points below 6) or a grid."});
  t.add(G::Fit, "fitweight", "ii", 1, fitweight,
        {"mode [background]", "Weights of the fit: 0 one common sigma, 1 counting weights from Y (plus the counts of the background buffer when one is named)."});
  t.add(G::Fit, "fitcsv", "s", 1, fitcsv,
        {"file", "Writes the results of the last fit as a table for spreadsheets."});
  t.add(G::Fit, "fitresidual", "d", 0, fitresidual,
        {"[fraction]", "Appends the residual of the last fit as a hidden buffer and shows it in a sub-plot under the plot (a fraction of the view height, 0.25 by default)."});
}

}  // namespace xyla
