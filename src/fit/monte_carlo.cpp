#include "fit/monte_carlo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "fit/fit_problem.h"
#include "fit/peak_errors.h"
#include "fit/peak_sum.h"
#include "fit/table_model.h"

namespace xyla::fit {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A well-mixed seed for the stream of one replica of one part (the splitmix64 finaliser),
// so neighbouring replicas get unrelated streams.
std::uint64_t streamSeed(std::uint64_t seed, int part, int replica) {
  std::uint64_t z = seed + 0x9e3779b97f4a7c15ull * (1 + static_cast<std::uint64_t>(part) * 1000003ull +
                                                    static_cast<std::uint64_t>(replica) * 7919ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// The fitted model (peaks, and backgrounds fitted with them) at the points x[first..last].
std::vector<double> modelAt(const FitModel& m, const std::vector<double>& x, int first, int last) {
  const int count = last - first + 1;
  std::vector<float> xs(count + 1), ys(count);  // xs[1..count], as the solver holds points
  for (int i = 0; i < count; ++i) xs[i + 1] = static_cast<float>(x[first + i]);
  const std::size_t stride = m.nptab + 1;
  std::vector<float> dyda(stride * count);
  std::vector<char> needed(stride, 0);
  TableModel model(m, xs, 1);
  ModelFunction& peaks = model.function();
  peaks.beginPass(m.ptab.base(), needed.data());
  ModelBlock b;
  b.x = xs.data() + 1;
  b.count = count;
  b.a = m.ptab.base();
  b.needed = needed.data();
  b.y = ys.data();
  b.dyda = dyda.data();
  b.stride = stride;
  peaks.evaluate(b);
  return std::vector<double>(ys.begin(), ys.end());
}

// Refits `m` to the points (slot 0 unused) from its present values; false when the fit
// does not end by itself within `maxIterations` or ends singular.
bool refit(FitModel& m, const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& w,
           double sigma, int maxIterations) {
  TableModel model(m, x, 1);
  MrqProblem p;
  p.x = x;
  p.y = y;
  p.weight = w;
  p.sigma = sigma;
  p.model = &model.function();
  setTableParameters(p, m);
  p.threads = 1;  // the replicas are the parallel work
  MrqStatus s;
  MrqSolver solver;
  if (!solveToEnd(p, s, solver, maxIterations).error.empty()) return false;
  for (int j = 1; j <= m.nptab; ++j) m.ptab[j] = p.a[j];
  return true;
}

// The true areas and percentages of one replica, NaN where unknown.
struct ReplicaOutcome {
  bool ok = false;
  std::vector<double> area, percent;
};

class McRun {
 public:
  McRun(const FitModel& fitted, const McWeights& w, const McSpectrum& s, const McOptions& o)
      : fitted_(fitted), w_(w), s_(s), o_(o) {
    poisson_ = looksLikeCounts(s.y, 0, static_cast<int>(s.y.size()) - 1);
    // Expected counts: model plus background over the fitted points. Outside them and
    // within the window around each end position, where the end points move, the
    // measured counts stand in for them: the choice of end points meets the structure
    // the data really have there, which the model does not describe.
    expected_ = s.y;
    const std::vector<double> model = modelAt(fitted, s.x, s.first, s.last);
    const bool moving = s.rule && o.window > 0.0;
    for (int i = s.first; i <= s.last; ++i) {
      if (moving && (std::fabs(s.x[i] - s.x1) <= o.window || std::fabs(s.x[i] - s.x2) <= o.window)) continue;
      const double bg = s.background.empty() ? 0.0 : s.background[i - s.first];
      expected_[i] = model[i - s.first] + bg;
    }
  }

  bool poisson() const { return poisson_; }

  ReplicaOutcome run(int part, int replica) const {
    std::mt19937_64 random(streamSeed(o_.seed, part, replica));
    std::uniform_real_distribution<double> shift(-o_.window, o_.window);
    const double x1 = s_.x1 + shift(random), x2 = s_.x2 + shift(random);
    const bool noise = part != kMcEndPoints, moved = part != kMcNoise;
    const std::vector<double> y = noise ? draw(random) : s_.y;
    int first = s_.first, last = s_.last;
    std::vector<double> bg = s_.background;
    // The background follows the replica's counts, at the moved ends or the chosen ones.
    if (s_.rule && (moved || noise) && !s_.rule(s_.x, y, moved ? x1 : s_.x1, moved ? x2 : s_.x2, first, last, bg))
      return {};
    return fitPoints(y, first, last, bg);
  }

 private:
  std::vector<double> draw(std::mt19937_64& random) const {
    std::vector<double> y(expected_.size());
    for (std::size_t i = 0; i < y.size(); ++i) {
      const double e = expected_[i];
      if (poisson_) {
        y[i] = e > 0.0 ? static_cast<double>(std::poisson_distribution<long long>(e)(random)) : 0.0;
      } else {
        const double sd = w_.counting ? std::sqrt(std::max(e, 1.0)) : w_.scatter;
        y[i] = sd > 0.0 && std::isfinite(sd) ? e + std::normal_distribution<double>(0.0, sd)(random) : e;
      }
    }
    return y;
  }

  ReplicaOutcome fitPoints(const std::vector<double>& y, int first, int last, const std::vector<double>& bg) const {
    std::vector<float> xs{0.0f}, ys{0.0f}, ws;
    if (w_.counting) ws.push_back(0.0f);
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (int i = first; i <= last; ++i) {
      const double net = y[i] - (bg.empty() ? 0.0 : bg[i - first]);
      if (!std::isfinite(net) || !std::isfinite(s_.x[i])) continue;
      xs.push_back(static_cast<float>(s_.x[i]));
      ys.push_back(static_cast<float>(net));
      if (w_.counting) ws.push_back(static_cast<float>(1.0 / std::max(y[i], 1.0)));
      lo = std::min(lo, s_.x[i]);
      hi = std::max(hi, s_.x[i]);
    }
    ReplicaOutcome out;
    FitModel m = fitted_;
    if (xs.size() < 3 || !refit(m, xs, ys, ws, w_.sigma, o_.maxIterations)) return out;
    const PeakTable t = measurePeaks(m, {}, lo, hi);
    for (const PeakNumbers& p : t.peaks) {
      out.area.push_back(p.ok ? p.area : kNaN);
      out.percent.push_back(p.ok && p.hasPercent ? p.percent : kNaN);
    }
    out.ok = true;
    return out;
  }

  const FitModel& fitted_;
  const McWeights& w_;
  const McSpectrum& s_;
  const McOptions& o_;
  bool poisson_ = false;
  std::vector<double> expected_;
};

int threadCount(const McOptions& o, const FitModel& fitted, int tasks) {
  if (!PeakSum(fitted).concurrent()) return 1;  // user functions share one expression each
  const int n = o.threads > 0 ? o.threads : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(std::min(n, tasks), 1, 64);
}

// Runs every (part, replica) task on the threads, each result in its own slot.
std::vector<ReplicaOutcome> runAll(const McRun& run, const std::vector<int>& parts, int replicas, int threads) {
  const int tasks = static_cast<int>(parts.size()) * replicas;
  std::vector<ReplicaOutcome> out(tasks);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int t = next++; t < tasks; t = next++) out[t] = run.run(parts[t / replicas], t % replicas);
  };
  std::vector<std::thread> helpers;
  for (int i = 1; i < threads; ++i) helpers.emplace_back(work);
  work();
  for (std::thread& h : helpers) h.join();
  return out;
}

}  // namespace

bool looksLikeCounts(const std::vector<double>& y, int first, int last) {
  if (last < first) return false;
  for (int i = first; i <= last; ++i)
    if (!(y[i] >= 0.0) || y[i] != std::floor(y[i])) return false;
  return true;
}

McSpread spreadOf(std::vector<double> values) {
  std::erase_if(values, [](double v) { return !std::isfinite(v); });
  McSpread s;
  s.count = static_cast<int>(values.size());
  if (values.empty()) return s;
  double sum = 0.0;
  for (double v : values) sum += v;
  s.mean = sum / s.count;
  double sq = 0.0;
  for (double v : values) sq += (v - s.mean) * (v - s.mean);
  s.sd = s.count > 1 ? std::sqrt(sq / (s.count - 1)) : 0.0;
  std::sort(values.begin(), values.end());
  // Percentiles by linear interpolation between the order statistics.
  auto percentile = [&values](double q) {
    const double at = q * (values.size() - 1);
    const std::size_t i = static_cast<std::size_t>(at);
    const double f = at - i;
    return i + 1 < values.size() ? values[i] * (1.0 - f) + values[i + 1] * f : values[i];
  };
  s.lo = percentile(0.025);
  s.hi = percentile(0.975);
  return s;
}

McResult monteCarlo(const FitModel& fitted, const McWeights& weights, const McSpectrum& spectrum,
                    const McOptions& options) {
  McResult r;
  const int n = static_cast<int>(spectrum.x.size());
  if (options.replicas < 2) {
    r.error = "At least 2 replicas are needed for a spread";
    return r;
  }
  if (spectrum.y.size() != spectrum.x.size() || spectrum.first < 0 || spectrum.last >= n ||
      spectrum.last - spectrum.first < 2 || fitted.npix < 1) {
    r.error = "The fitted spectrum has too few points";
    return r;
  }
  McRun run(fitted, weights, spectrum, options);
  r.poisson = run.poisson();
  r.endPoints = spectrum.rule && options.window > 0.0;
  r.replicas = options.replicas;
  // Without moved end points the noise is all there is: one part stands for both.
  const std::vector<int> parts =
      r.endPoints ? std::vector<int>{kMcBoth, kMcNoise, kMcEndPoints} : std::vector<int>{kMcNoise};
  const int tasks = static_cast<int>(parts.size()) * options.replicas;
  const std::vector<ReplicaOutcome> outcomes =
      runAll(run, parts, options.replicas, threadCount(options, fitted, tasks));

  r.areas.assign(kMcParts, {});
  std::vector<std::vector<std::vector<double>>> percents(kMcParts);
  for (int t = 0; t < tasks; ++t) {
    const int part = parts[t / options.replicas];
    const ReplicaOutcome& o = outcomes[t];
    if (!o.ok) ++r.failed[part];
    r.areas[part].push_back(o.ok ? o.area : std::vector<double>(fitted.npix, kNaN));
    percents[part].push_back(o.ok ? o.percent : std::vector<double>(fitted.npix, kNaN));
  }
  if (!r.endPoints) {
    r.areas[kMcBoth] = r.areas[kMcNoise];
    percents[kMcBoth] = percents[kMcNoise];
    r.failed[kMcBoth] = r.failed[kMcNoise];
  }
  for (int k = 0; k < fitted.npix; ++k) {
    McPeak p;
    p.row = fitted.peaks[k].row;
    for (int part : parts) {
      std::vector<double> a, pc;
      for (std::size_t i = 0; i < r.areas[part].size(); ++i) {
        a.push_back(r.areas[part][i][k]);
        pc.push_back(percents[part][i][k]);
      }
      p.area[part] = spreadOf(a);
      p.percent[part] = spreadOf(pc);
    }
    if (!r.endPoints) p.area[kMcBoth] = p.area[kMcNoise], p.percent[kMcBoth] = p.percent[kMcNoise];
    r.peaks.push_back(p);
  }
  r.ok = true;
  return r;
}

}  // namespace xyla::fit
