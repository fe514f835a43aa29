#include "fit/batch_fit.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include "fit/fit_data.h"
#include "fit/fit_problem.h"
#include "fit/peak_sum.h"
#include "fit/table_model.h"
#include "model/data_buffer.h"

namespace xyla::fit {

namespace {

// The points of the spectrum to fit (net of its background when a rule is given), and the
// background as a buffer for the counting weights.
bool pointsOf(const BatchSpectrum& s, const BatchSetup& setup, DataBuffer& net, DataBuffer& bg, std::string& error) {
  if (!setup.rule) {
    net.X = s.x;
    net.Y = s.y;
    return true;
  }
  int first = 0, last = -1;
  std::vector<double> b;
  if (!setup.rule(s.x, s.y, setup.x1, setup.x2, first, last, b)) {
    error = "the background could not be made";
    return false;
  }
  for (int i = first; i <= last; ++i) {
    net.quickAddDoubleValue(s.x[i], s.y[i] - b[i - first]);
    bg.quickAddDoubleValue(s.x[i], b[i - first]);
  }
  return true;
}

BatchRow fitOne(const FitModel& start, const BatchSpectrum& s, const BatchSetup& setup) {
  BatchRow row;
  row.name = s.name;
  DataBuffer net, bg;
  if (s.x.size() != s.y.size() || !pointsOf(s, setup, net, bg, row.error)) {
    if (row.error.empty()) row.error = "X and Y differ in length";
    return row;
  }
  FitData d = fitData(net);
  row.points = d.n;
  if (d.n < 2) {
    row.error = "fewer than 2 points";
    return row;
  }
  if (setup.counting) poissonWeights(d, setup.rule ? &bg : nullptr);
  FitModel m = start;
  TableModel model(m, d.x, 1);
  MrqProblem p;
  p.x = d.x;
  p.y = d.y;
  p.weight = d.w;
  p.sigma = d.sigma;
  p.model = &model.function();
  setTableParameters(p, m);
  p.threads = 1;  // the spectra are the parallel work
  MrqStatus st;
  MrqSolver solver;
  const SolveOutcome end = solveToEnd(p, st, solver, setup.maxIterations);
  row.iterations = end.iterations;
  row.error = end.error;
  for (int j = 1; j <= m.nptab; ++j) m.ptab[j] = p.a[j];
  row.chisq = st.chisq;
  row.rms = st.rms;
  const int dof = d.n - m.nmfit;
  row.reducedChisq = dof > 0 ? row.chisq / dof : 0.0;
  if (!row.error.empty()) return row;
  const ParameterErrors e = parameterErrors(m, solver.covariance(), dof > 0 ? row.reducedChisq : 0.0);
  row.measures = measurePeaks(m, dof > 0 ? e.covariance : std::vector<double>(), d.xlo, d.xhi);
  row.ok = true;
  return row;
}

}  // namespace

std::vector<BatchRow> fitBatch(const FitModel& model, const std::vector<BatchSpectrum>& spectra,
                               const BatchSetup& setup) {
  const int n = static_cast<int>(spectra.size());
  std::vector<BatchRow> rows(n);
  int threads = setup.threads > 0 ? setup.threads : static_cast<int>(std::thread::hardware_concurrency());
  if (!PeakSum(model).concurrent()) threads = 1;  // user functions share one expression each
  threads = std::clamp(std::min(threads, n), 1, 64);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i = next++; i < n; i = next++) rows[i] = fitOne(model, spectra[i], setup);
  };
  std::vector<std::thread> helpers;
  for (int i = 1; i < threads; ++i) helpers.emplace_back(work);
  work();
  for (std::thread& h : helpers) h.join();
  return rows;
}

namespace {

// A field quoted when it holds a separator, a quote or a line break (quotes doubled).
std::string field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

std::string batchCsv(const FitModel& model, const std::vector<BatchRow>& rows, const CsvUnits& units) {
  std::string out = "spectrum,status,points,iterations,chi-square,reduced chi-square,rms [" + units.y + "]";
  const struct {
    const char* name;
    std::string unit;
  } columns[] = {{"position", units.x},
                 {"FWHM", units.x},
                 {"height", units.y},
                 {"area", units.y + " " + units.x},
                 {"percent", "%"}};
  for (const PeakRow& p : model.peaks)
    for (const auto& c : columns) {
      const std::string head = "row " + std::to_string(p.row + 1) + " " + c.name;
      out += "," + head + " [" + c.unit + "]," + head + " error [" + c.unit + "]";
    }
  out += "\r\n";
  for (const BatchRow& r : rows) {
    // Chi-square, its reduced value and the rms stay empty for a spectrum not fitted.
    const std::string statistics =
        r.ok ? csvNumber(r.chisq) + "," + csvNumber(r.reducedChisq) + "," + csvNumber(r.rms) : std::string(",,");
    out += field(r.name) + "," + (r.ok ? std::string("ok") : field(r.error)) + "," + std::to_string(r.points) + "," +
           std::to_string(r.iterations) + "," + statistics;
    for (std::size_t k = 0; k < model.peaks.size(); ++k) {
      const bool known = r.ok && k < r.measures.peaks.size() && r.measures.peaks[k].ok;
      const PeakNumbers& n = known ? r.measures.peaks[k] : PeakNumbers();
      const bool e = known && n.errorsOk;
      const double values[5][2] = {{n.position, n.positionError},
                                   {n.fwhm, n.fwhmError},
                                   {n.height, n.heightError},
                                   {n.area, n.areaError},
                                   {n.percent, n.percentError}};
      for (int q = 0; q < 5; ++q) {
        const bool have = known && (q < 4 || n.hasPercent);
        out += "," + (have ? csvNumber(values[q][0]) : "") + "," + (have && e ? csvNumber(values[q][1]) : "");
      }
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace xyla::fit
