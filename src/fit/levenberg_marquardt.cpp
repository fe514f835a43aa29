#include "fit/levenberg_marquardt.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <thread>
#include <utility>

#include "shapes/peak_model.h"
#include "shapes/shape_registry.h"

namespace xyla::fit {

namespace {

std::atomic<bool> abortFlag{false};

// Smallest lambda kept after a run of successful steps; halving further would reach 0
// in single precision, which would read as the end of the fit.
constexpr float kSmallestLambda = 1e-30f;

}  // namespace

double foldBack(double a, double delta, double lo, double hi) {
  double t = a + delta;
  if (std::fabs(delta) > 0.0) {
    if (a + delta < lo) t = lo + (a - lo) * (a - lo) / (2.0 * std::fabs(delta));
    if (a + delta > hi) t = hi - (hi - a) * (hi - a) / (2.0 * delta);
  }
  return t;
}

void setAbort(bool flag) { abortFlag.store(flag, std::memory_order_relaxed); }
bool abortRequested() { return abortFlag.load(std::memory_order_relaxed); }

float gaussj(float lambda, Matrix1<float>& a, int n, Matrix1<float>& b, int m, int& error) {
  error = kNoEliminationError;
  std::vector<int> indxc(n + 1), indxr(n + 1), ipiv(n + 1, 0);
  for (int i = 1; i <= n; ++i) {
    float big = 0.0f;
    int irow = 0, icol = 0;
    for (int j = 1; j <= n; ++j) {
      if (ipiv[j] == 1) continue;
      for (int k = 1; k <= n; ++k) {
        if (ipiv[k] == 0) {
          const float v = a[j][k];
          if (std::fabs(v) >= big || !std::isfinite(v)) {
            big = std::fabs(v);
            irow = j;
            icol = k;
          }
        } else if (ipiv[k] > 1) {
          error = kPivotChosenTwice;
          return 0.0f;
        }
      }
    }
    if (icol == 0 || ++ipiv[icol] > 1) {
      error = kPivotChosenTwice;
      return 0.0f;
    }
    if (irow != icol) {
      for (int l = 1; l <= n; ++l) std::swap(a[irow][l], a[icol][l]);
      for (int l = 1; l <= m; ++l) std::swap(b[irow][l], b[icol][l]);
    }
    indxr[i] = irow;
    indxc[i] = icol;
    if (a[icol][icol] == 0.0f) {
      error = kZeroPivot;
      return 0.0f;
    }
    const float pivinv = 1.0f / a[icol][icol];
    a[icol][icol] = 1.0f;
    for (int l = 1; l <= n; ++l) a[icol][l] *= pivinv;
    for (int l = 1; l <= m; ++l) b[icol][l] *= pivinv;
    for (int ll = 1; ll <= n; ++ll) {
      if (ll == icol) continue;
      const float dum = a[ll][icol];
      a[ll][icol] = 0.0f;
      for (int l = 1; l <= n; ++l) a[ll][l] -= a[icol][l] * dum;
      for (int l = 1; l <= m; ++l) b[ll][l] -= b[icol][l] * dum;
    }
  }
  for (int l = n; l >= 1; --l) {
    if (indxr[l] == indxc[l]) continue;
    for (int k = 1; k <= n; ++k) std::swap(a[k][indxr[l]], a[k][indxc[l]]);
  }
  return lambda;
}

void covsrt(Matrix1<float>& covar, int ma, const int* lista, int mfit) {
  if (mfit < 1) {
    for (int i = 1; i <= ma; ++i)
      for (int j = 1; j <= ma; ++j) covar[i][j] = 0.0f;
    return;
  }
  for (int j = 1; j < ma; ++j)
    for (int i = j + 1; i <= ma; ++i) covar[i][j] = 0.0f;
  for (int i = 1; i < mfit; ++i)
    for (int j = i + 1; j <= mfit; ++j) {
      if (lista[j] > lista[i])
        covar[lista[j]][lista[i]] = covar[i][j];
      else
        covar[lista[i]][lista[j]] = covar[i][j];
    }
  const float swap = covar[1][1];
  for (int j = 1; j <= ma; ++j) {
    covar[1][j] = covar[j][j];
    covar[j][j] = 0.0f;
  }
  covar[lista[1]][lista[1]] = swap;
  for (int j = 2; j <= mfit; ++j) covar[lista[j]][lista[j]] = covar[1][j];
  for (int j = 2; j <= ma; ++j)
    for (int i = 1; i < j; ++i) covar[i][j] = covar[j][i];
}

namespace {

int requestedThreads = 0;  // 0: one per processor

// Roughly how many line-shape evaluations one pass over the points costs.
double passCost(const MrqProblem& p, int nactive) {
  double perPoint = 0.0;
  for (int k = 1; 5 * k <= p.ma; ++k) perPoint += shapes::evaluationCost(p.ifunc[k]);
  return perPoint * (1.0 + std::min(nactive, 5)) * p.n;
}

int threadsFor(const MrqProblem& p, int nactive) {
  for (int k = 1; 5 * k <= p.ma; ++k)
    if (p.ifunc[k] < 0) return 1;  // user functions share one expression per peak
  if (passCost(p, nactive) < 2e5) return 1;  // not worth starting threads
  int n = requestedThreads > 0 ? requestedThreads : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(n, 1, 16);
}

// Model values and derivatives of points first..last (1-based), into ymod[i - first] and
// the rows of dyda, each row ma + 1 floats.
void evaluatePoints(const MrqProblem& p, const float* a, const char* needed, int first, int last, float* ymod,
                    float* dyda) {
  const std::size_t row = static_cast<std::size_t>(p.ma) + 1;
  for (int i = first; i <= last; ++i) {
    if (abortRequested()) return;
    float* d = dyda + (i - first) * row;
    shapes::fnumdf(p.x[i], a, ymod[i - first], p.da, p.irel, p.krel, p.ifunc, d, p.ma, i - 1, needed);
  }
}

}  // namespace

void setModelThreads(int n) { requestedThreads = n; }

void mrqcof(const MrqProblem& p, const float* a, const int* list, int nactive, Matrix1<float>& alpha,
            float* beta, float& chisq, float& rms) {
  for (int j = 1; j <= nactive; ++j) {
    for (int k = 1; k <= j; ++k) alpha[j][k] = 0.0f;
    beta[j] = 0.0f;
  }
  chisq = 0.0f;
  float sumsq = 0.0f;
  const float w = static_cast<float>(1.0 / (p.sigma * p.sigma));
  std::vector<char> needed(p.ma + 1, 0);
  for (int j = 1; j <= nactive; ++j) needed[list[j]] = 1;
  const int threads = threadsFor(p, nactive);
  const std::size_t row = static_cast<std::size_t>(p.ma) + 1;
  // Points are evaluated a block at a time (on several threads when it pays) and summed
  // in their own order, so the sums do not depend on the number of threads.
  const int block = threads > 1 ? std::max(64, static_cast<int>((1u << 20) / row)) : 1;
  std::vector<float> ymod(block), dyda(block * row);
  shapes::prepareModelCaches(p.ma / 5);
  for (int first = 1; first <= p.n; first += block) {
    const int last = std::min(first + block - 1, p.n);
    if (threads <= 1 || last - first < 2 * threads) {
      evaluatePoints(p, a, needed.data(), first, last, ymod.data(), dyda.data());
    } else {
      // The first point of a pass rebuilds the convolution caches; the others only read them.
      int from = first;
      if (first == 1) evaluatePoints(p, a, needed.data(), 1, 1, ymod.data(), dyda.data()), from = 2;
      const int count = last - from + 1;
      std::vector<std::thread> workers;
      for (int t = 1; t < threads; ++t) {
        const int lo = from + count * t / threads, hi = from + count * (t + 1) / threads - 1;
        workers.emplace_back(evaluatePoints, std::cref(p), a, needed.data(), lo, hi, ymod.data() + (lo - first),
                             dyda.data() + (lo - first) * row);
      }
      evaluatePoints(p, a, needed.data(), from, from + count / threads - 1, ymod.data() + (from - first),
                     dyda.data() + (from - first) * row);
      for (auto& worker : workers) worker.join();
    }
    if (abortRequested()) return;
    for (int i = first; i <= last; ++i) {
      const float* d = dyda.data() + (i - first) * row;
      const float dy = p.y[i] - ymod[i - first];
      const float wi = p.weight ? p.weight[i] : w;
      for (int j = 1; j <= nactive; ++j) {
        const float wt = wi * d[list[j]];
        float* r = alpha[j];
        for (int k = 1; k <= j; ++k) r[k] += wt * d[list[k]];
        beta[j] += dy * wt;
      }
      chisq += dy * dy * wi;
      sumsq += dy * dy;
    }
  }
  rms = p.n > 0 ? std::sqrt(sumsq / p.n) : 0.0f;
  for (int j = 2; j <= nactive; ++j)
    for (int k = 1; k < j; ++k) alpha[k][j] = alpha[j][k];
}

void MrqSolver::start(MrqProblem& p, MrqStatus& s) {
  oneda_ = allocM(1, std::max(p.mfit, 1), 1, 1);
  beta_.assign(p.mfit + 1, 0.0f);
  atry_.assign(p.ma + 1, 0.0f);
  lastStep_.assign(p.ma + 1, 0.0f);
  da_.assign(p.mfit + 1, 0.0f);
  active_.assign(1, 0);
  // Every parameter not among the free ones follows them, in ascending order.
  std::vector<char> listed(p.ma + 1, 0);
  for (int j = 1; j <= p.mfit; ++j) listed[p.lista[j]] = 1;
  int next = p.mfit + 1;
  for (int j = 1; j <= p.ma; ++j)
    if (!listed[j]) p.lista[next++] = j;
  // Rank of each free parameter within its peak; the highest rank is the number of stages.
  rank_.assign(p.ma + 1, 0);
  std::vector<int> perPeak(p.ma / std::max(p.perPeak, 1) + 2, 0);
  stagesNeeded_ = 0;
  for (int j = 1; j <= p.mfit; ++j) {
    const int peak = (p.lista[j] - 1) / p.perPeak + 1;
    rank_[p.lista[j]] = ++perPeak[peak];
    stagesNeeded_ = std::max(stagesNeeded_, perPeak[peak]);
  }
  stage_ = 0;
  stageSize_ = s.firstStage;
  s.nactive = 0;
}

bool MrqSolver::converged(const MrqProblem& p) const {
  for (int j = 1; j <= p.mfit; ++j) {
    const int k = p.lista[j];
    const float d = lastStep_[k];
    const float v = p.a[k];
    if (d == 0.0f || v == 0.0f) continue;
    if (std::fabs(d / v) > 1e-5f || std::fabs(d) > 1e-6f) return false;
  }
  return true;
}

void MrqSolver::openStage(MrqProblem& p, MrqStatus& s) {
  const int newStage = stage_ + stageSize_;
  const int peaks = (p.ma + p.perPeak - 1) / p.perPeak;
  for (int peak = 1; peak <= peaks; ++peak)
    for (int j = 1; j <= p.mfit; ++j) {
      const int k = p.lista[j];
      if ((k - 1) / p.perPeak + 1 == peak && rank_[k] > stage_ && rank_[k] <= newStage) active_.push_back(k);
    }
  stage_ = newStage;
  stageSize_ = 1;
  s.lambda = 0.001f;
  s.nactive = static_cast<int>(active_.size()) - 1;
  mrqcof(p, p.a, active_.data(), s.nactive, *p.alpha, beta_.data(), s.chisq, s.rms);
  ochisq_ = s.chisq;
}

void MrqSolver::mrqmin(MrqProblem& p, MrqStatus& s) {
  if (s.lambda < 0.0f) start(p, s);
  if (s.nactive == 0 || converged(p)) {
    if (stage_ < stagesNeeded_) {
      openStage(p, s);
      if (abortRequested()) return;
    } else {
      s.lambda = 0.0f;
    }
  }
  const int n = s.nactive;
  Matrix1<float>& covar = *p.covar;
  Matrix1<float>& alpha = *p.alpha;
  for (int j = 1; j <= n; ++j) {
    for (int k = 1; k <= n; ++k) covar[j][k] = alpha[j][k];
    covar[j][j] = alpha[j][j] * (1.0f + s.lambda);
    oneda_[j][1] = beta_[j];
  }
  s.lambda = gaussj(s.lambda, covar, n, oneda_, 1, s.error);
  for (int j = 1; j <= n; ++j) {
    da_[j] = oneda_[j][1];
    lastStep_[active_[j]] = da_[j];
  }
  if (s.lambda == 0.0f) {
    covsrt(covar, p.ma, active_.data(), n);
    return;
  }
  trial(p, s);
}

void MrqSolver::trial(MrqProblem& p, MrqStatus& s) {
  const int n = s.nactive;
  for (int j = 1; j <= p.ma; ++j) atry_[j] = p.a[j];
  for (int j = 1; j <= n; ++j) {
    const int k = active_[j];
    atry_[k] = static_cast<float>(foldBack(p.a[k], da_[j], p.amin[k], p.amax[k]));
    da_[j] = atry_[k] - p.a[k];
    lastStep_[k] = da_[j];
  }
  Matrix1<float>& covar = *p.covar;
  float chisq = 0.0f;
  mrqcof(p, atry_.data(), active_.data(), n, covar, da_.data(), chisq, s.rms);
  if (abortRequested()) return;
  if (ochisq_ > chisq) {
    s.lambda = std::max(s.lambda * 0.5f, kSmallestLambda);
    ochisq_ = chisq;
    s.chisq = chisq;
    Matrix1<float>& alpha = *p.alpha;
    for (int j = 1; j <= n; ++j) {
      for (int k = 1; k <= n; ++k) alpha[j][k] = covar[j][k];
      beta_[j] = da_[j];
      p.a[active_[j]] = atry_[active_[j]];
    }
  } else {
    s.lambda *= 10.0f;
    s.chisq = ochisq_;
  }
}

}  // namespace xyla::fit
