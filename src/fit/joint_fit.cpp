#include "fit/joint_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fit/fit_problem.h"

namespace xyla::fit {

JointModel::JointModel(const FitModel& model, const std::vector<float>& x, std::vector<int> starts,
                       std::vector<std::vector<int>> peaks)
    : peaks_(model), x_(x), starts_(std::move(starts)), groups_(std::move(peaks)) {}

void JointModel::beginPass(const float* a, const char* needed) { peaks_.beginPass(a, needed); }

void JointModel::evaluate(const ModelBlock& b) {
  // Every slot of a row starts at 0: a spectrum's peaks leave the others' slots alone.
  std::fill(b.dyda, b.dyda + b.count * b.stride, 0.0f);
  const int first = static_cast<int>(b.x - x_.data());
  for (int i = 0; i < b.count;) {
    const int point = first + i;
    const int g = static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), point) - starts_.begin()) - 1;
    const int end = g + 1 < static_cast<int>(starts_.size()) ? starts_[g + 1] - first : b.count;
    const int run = std::min(b.count, end) - i;
    ModelBlock part = b;
    part.x += i;
    part.count = run;
    part.y += i;
    part.dyda += i * b.stride;
    peaks_.evaluatePeaks(part, groups_[g]);
    i += run;
  }
}

namespace {

// The points of all groups one after the other (from 1), each with its weight.
struct Joined {
  std::vector<float> x{0.0f}, y{0.0f}, w{0.0f};
  std::vector<int> starts;
};

Joined join(const std::vector<JointGroup>& groups) {
  Joined j;
  for (const JointGroup& g : groups) {
    j.starts.push_back(static_cast<int>(j.x.size()));
    const float common = static_cast<float>(1.0 / (g.data.sigma * g.data.sigma));
    for (int i = 1; i <= g.data.n; ++i) {
      j.x.push_back(g.data.x[i]);
      j.y.push_back(g.data.y[i]);
      j.w.push_back(g.data.w.empty() ? common : g.data.w[i]);
    }
  }
  return j;
}

// Chi-square and rms deviation of each group at the parameters `a`.
void measureParts(JointModel& model, const Joined& j, const std::vector<float>& a, int nptab, JointResult& r) {
  const int n = static_cast<int>(j.x.size()) - 1;
  const std::size_t stride = nptab + 1;
  std::vector<char> needed(stride, 0);
  std::vector<float> y(n), dyda(stride * n);
  model.beginPass(a.data(), needed.data());
  ModelBlock b;
  b.x = j.x.data() + 1;
  b.count = n;
  b.a = a.data();
  b.needed = needed.data();
  b.y = y.data();
  b.dyda = dyda.data();
  b.stride = stride;
  model.evaluate(b);
  for (std::size_t g = 0; g < j.starts.size(); ++g) {
    const int lo = j.starts[g], hi = g + 1 < j.starts.size() ? j.starts[g + 1] : n + 1;
    double chisq = 0.0, sq = 0.0;
    for (int i = lo; i < hi; ++i) {
      const double d = j.y[i] - y[i - 1];
      chisq += j.w[i] * d * d;
      sq += d * d;
    }
    r.parts.push_back({hi - lo, chisq, hi > lo ? std::sqrt(sq / (hi - lo)) : 0.0});
  }
}

// Percentages of the weighted true areas within one group, with errors from the areas'
// covariance; a group without weights counts each peak once.
void groupPercentages(const FitModel& m, const std::vector<int>& peaks, PeakTable& t) {
  const int npix = static_cast<int>(t.peaks.size());
  bool weighted = false;
  for (int k : peaks) weighted = weighted || (t.peaks[k - 1].ok && m.pkwt[k] != 0.0f);
  auto weight = [&](int k) { return weighted ? double(m.pkwt[k]) : 1.0; };
  double sum = 0.0;
  for (int k : peaks)
    if (t.peaks[k - 1].ok) sum += weight(k) * t.peaks[k - 1].area;
  const bool cov = static_cast<int>(t.areaCovariance.size()) == npix * npix;
  for (int k : peaks) {
    PeakNumbers& p = t.peaks[k - 1];
    p.hasPercent = p.ok && weight(k) != 0.0 && sum > 0.0;
    p.percent = p.hasPercent ? 100.0 * weight(k) * p.area / sum : 0.0;
    double var = 0.0;
    for (int l : peaks)
      for (int q : peaks) {
        if (!cov || !t.peaks[l - 1].ok || !t.peaks[q - 1].ok) continue;
        auto grad = [&](int i) {
          return 100.0 * weight(k) * ((i == k ? sum : 0.0) - p.area * weight(i)) / (sum * sum);
        };
        var += grad(l) * grad(q) * t.areaCovariance[static_cast<std::size_t>(l - 1) * npix + (q - 1)];
      }
    p.percentError = p.hasPercent && var > 0.0 ? std::sqrt(var) : 0.0;
  }
}

}  // namespace

JointResult fitJoint(const FitModel& model, const std::vector<JointGroup>& groups, int threads, int maxIterations) {
  JointResult r;
  const Joined j = join(groups);
  std::vector<std::vector<int>> peaks;
  for (const JointGroup& g : groups) peaks.push_back(g.peaks);
  JointModel jm(model, j.x, j.starts, peaks);
  MrqProblem p;
  p.x = j.x;
  p.y = j.y;
  p.weight = j.w;
  p.sigma = 1.0;
  p.model = &jm;
  setTableParameters(p, model);
  p.threads = threads;
  MrqStatus s;
  MrqSolver solver;
  const SolveOutcome end = solveToEnd(p, s, solver, maxIterations);
  r.iterations = end.iterations;
  r.error = end.error;
  r.parameters.assign(p.a.begin(), p.a.end());
  r.chisq = s.chisq;
  r.dof = p.n() - model.nmfit;
  r.reducedChisq = r.dof > 0 ? r.chisq / r.dof : 0.0;
  if (!r.error.empty()) return r;
  FitModel fitted = model;
  for (int k = 1; k <= model.nptab; ++k) fitted.ptab[k] = p.a[k];
  r.errors = parameterErrors(fitted, solver.covariance(), r.dof > 0 ? r.reducedChisq : 0.0);
  // Each spectrum's peaks are measured over its own X range.
  r.measures.peaks.resize(model.npix);
  for (const JointGroup& g : groups) {
    const PeakTable t =
        measurePeaks(fitted, r.dof > 0 ? r.errors.covariance : std::vector<double>(), g.data.xlo, g.data.xhi);
    for (int k : g.peaks) r.measures.peaks[k - 1] = t.peaks[k - 1];
    r.measures.areaCovariance = t.areaCovariance;  // the same for every range but windowed areas
  }
  for (const JointGroup& g : groups) groupPercentages(fitted, g.peaks, r.measures);
  measureParts(jm, j, p.a, model.nptab, r);
  r.ok = true;
  return r;
}

}  // namespace xyla::fit
