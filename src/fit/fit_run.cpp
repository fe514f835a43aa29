// Running a fit: the iteration loop around the solver, its messages and questions, and
// what is computed from the result (areas, standard errors).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "fit/fit_controller.h"
#include "fit/fit_data.h"
#include "fit/fit_problem.h"
#include "fit/levenberg_marquardt.h"
#include "fit/peak_sum.h"
#include "fit/table_model.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

std::string printf1(const char* format, int n) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, n);
  return buf;
}

// The fit's progress window: open while the iterations run, whatever ends them.
class FitProgress {
 public:
  FitProgress(Ui* ui, int buffer) : ui_(ui) {
    if (ui_) ui_->beginProgress("Fit", "Fitting the table to buffer " + std::to_string(buffer));
  }
  ~FitProgress() {
    if (ui_) ui_->endProgress();
  }
  FitProgress(const FitProgress&) = delete;
  FitProgress& operator=(const FitProgress&) = delete;

 private:
  Ui* ui_;
};

}  // namespace

void Fit::fit() {
  if (refusedWhileRunning()) return;
  failure_ = "the fit table could not be read";
  if (!doc_ || !readtab()) return;
  running_ = true;
  if (panel.preview) doc_->replot();
  result_ = FitResult();
  chisq = std::numeric_limits<double>::infinity();
  Break = false;
  fiterr = 0;
  DataBuffer* b = doc_->getCurrentDataBuffer();
  FitData data = b ? fitData(*b) : FitData();
  result_.buffer = b ? doc_->current : -1;
  static long runs = 0;
  result_.run = ++runs;
  if (data.n >= 2 && prepareWeights(data)) {
    FitProgress progress(ui(), result_.buffer);
    runIterations(data);
  } else {
    failure_ = data.n < 2 ? "the current buffer has fewer than 2 points" : "the counting weights could not be prepared";
  }
  // The curves of a successful fit stay on screen until the table or the data change.
  if (doc_) doc_->keepFitPreview = haveResult;
  prevexp(false, false);
  writeTable();
  if (doc_) result_.table = doc_->F;
  running_ = false;
}

bool Fit::askToContinue(int iterations, int& limit) {
  const int tag = panel.limitTag > 0 ? panel.limitTag : 100;
  Ui* u = ui();
  const bool atTotal = iterationTotal > 0 && iterations >= iterationTotal;
  if (!atTotal && u && u->alert("Fit Stopped", "iteration limit reached", {"Continue", "Cancel"}) == 0) {
    limit += tag;
    if (iterationTotal > 0) limit = std::min(limit, iterationTotal);
    return true;
  }
  cancel(iterations, " (iteration limit)");
  return false;
}

void Fit::cancel(int iterations, const char* why) {
  msgOut(1, printf1("Fit canceled, Iterations: %d", iterations));
  Break = true;
  failure_ = printf1("the fit was stopped after %d iterations", iterations) + why;
}

// The solver's problem for the table's peaks on `data`.
MrqProblem Fit::problemFor(const FitData& data, ModelFunction& model) {
  const FitModel& m = model_;
  MrqProblem p;
  p.x = data.x;
  p.y = data.y;
  p.weight = data.w;
  p.sigma = data.sigma;
  p.model = &model;
  setTableParameters(p, m);
  p.threads = modelThreads;
  // A long pass asks the person too; a Stop ends the fit in the middle of a step.
  p.keepGoing = [this] {
    Ui* u = ui();
    return !u || u->progress(-1);
  };
  return p;
}

void Fit::runIterations(const FitData& data) {
  TableModel model(model_, data.x, modelThreads, modelEvaluation);
  MrqProblem p = problemFor(data, model.function());
  MrqStatus s;
  s.lambda = -9.99f;
  s.chisq = std::numeric_limits<float>::infinity();
  MrqSolver solver;
  int iterations = 0;
  int limit = panel.limitTag > 0 ? panel.limitTag : 100;
  if (iterationTotal > 0) limit = std::min(limit, iterationTotal);
  while (s.lambda != 0.0f) {
    solver.mrqmin(p, s);
    if (s.stopped) {  // the step in progress changed nothing
      cancel(iterations, " (Stop)");
      break;
    }
    takeStep(p.a, s, data.sigma, ++iterations);
    if (s.lambda != 0.0f && iterations >= limit && !askToContinue(iterations, limit)) break;
  }
  concludeRun(data, solver.covariance(), iterations);
}

// One step done: the table, the messages and the preview show where the fit is.
void Fit::takeStep(const std::vector<float>& a, const MrqStatus& s, double sigma, int iterations) {
  for (int j = 1; j <= model_.nptab; ++j) model_.ptab[j] = a[j];
  chisq = s.chisq;
  rmsd = s.rms;
  fiterr = s.error;
  char line2[160];
  std::snprintf(line2, sizeof line2, "rms = %g, chi-square = %g, sigma = %g", double(s.rms), double(s.chisq), sigma);
  msgOut(1, printf1("Fit is running, Iteration: %d", iterations));
  msgOut(2, line2);
  if (panel.preview) prevexp(false, false);
  writeTable();
}

// Areas, the outcome and what a successful fit measures.
void Fit::concludeRun(const FitData& data, const Matrix1<float>& covar, int iterations) {
  const FitModel& m = model_;
  computeAreas(data.sigma);
  result_.iterations = iterations;
  result_.chisq = chisq;
  result_.rms = rmsd;
  result_.sigma = data.sigma;
  result_.points = data.n;
  result_.freeParameters = m.nmfit;
  result_.poisson = !data.w.empty();
  result_.xlo = data.xlo;
  result_.xhi = data.xhi;
  result_.dof = data.n - m.nmfit;
  result_.reducedChisq = result_.dof > 0 ? chisq / result_.dof : 0.0;
  const bool numbers = std::isfinite(chisq) && std::isfinite(rmsd);
  if (Break) return;
  if (fiterr != 0 || !numbers) {
    msgOut(1, printf1("Can not find solution, Iterations: %d", iterations));
    failure_ = fiterr != 0 ? printf1("no solution: the matrix of the fit is singular (after %d iterations)", iterations)
                           : printf1("the model gives values that are not numbers (after %d iterations)", iterations);
  } else {
    msgOut(1, printf1("Fit succeeded, Iterations: %d", iterations));
    haveResult = true;
    result_.success = true;
    computeStandardErrors(data, covar);
    result_.measures = measurePeaks(m, result_.covariance, data.xlo, data.xhi);
    for (std::size_t i = 0; i < result_.measures.peaks.size(); ++i)
      result_.measures.peaks[i].fitArea = m.pkint[static_cast<int>(i) + 1];
  }
}

std::string Fit::failure() const { return haveResult ? std::string() : failure_; }

// Counting weights need counts: a background buffer that is named must exist.
bool Fit::prepareWeights(FitData& data) {
  if (!panel.poisson) return true;
  const DataBuffer* bg = nullptr;
  if (panel.poissonBackground >= 0) {
    bg = doc_->buffer(panel.poissonBackground);
    if (!bg || bg->count() == 0) {
      if (Ui* u = ui()) u->alert("Fit Weights", "The background buffer for the counting weights does not exist or is empty", {"OK"});
      return false;
    }
  }
  poissonWeights(data, bg);
  return true;
}

void Fit::computeAreas(double sigma) {
  for (int k = 1; k <= model_.npix; ++k) {
    model_.pkint[k] = 0.0f;
    if (model_.ifunc[k] < 0 || isBackgroundCode(model_.ifunc[k])) continue;
    float p[6] = {};
    resolvedParameters(model_, k, p);
    const float area = shapes::fintgl(p, std::fabs(p[3]) / 100.0, sigma, model_.ifunc[k]);
    model_.pkint[k] = std::isfinite(area) ? area : 0.0f;
  }
  haveInt = true;
}

void Fit::computeStandardErrors(const FitData& data, const Matrix1<float>& covar) {
  const int dof = data.n - model_.nmfit;
  if (dof <= 0) return;
  ParameterErrors e = parameterErrors(model_, covar, chisq / dof);
  result_.standardError = std::move(e.standardError);
  result_.covariance = std::move(e.covariance);
}

}  // namespace xyla::fit
