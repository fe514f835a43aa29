#include "fit/levenberg_marquardt.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <thread>
#include <utility>

#include "fit/point_pass.h"

namespace xyla::fit {

namespace {

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

// A pass of about this many line-shape evaluations is worth spreading over threads.
constexpr double kThreadedWork = 2e5;
int threadsFor(const MrqProblem& p, int nactive) {
  if (!p.model->concurrent() || p.model->costPerPoint(nactive) * p.n() < kThreadedWork) return 1;
  const int n = p.threads > 0 ? p.threads : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(n, 1, 16);
}

}  // namespace

bool mrqcof(const MrqProblem& p, const float* a, const int* list, int nactive, Matrix1<float>& alpha, float* beta,
            float& chisq, float& rms) {
  PointPass pass(p, a, list, nactive, threadsFor(p, nactive));
  if (!pass.run()) return false;
  float sumsq = 0.0f;
  chisq = 0.0f;
  if (p.n() > 0) {
    pass.sums().result(alpha, beta, chisq, sumsq);
  } else {
    for (int j = 1; j <= nactive; ++j) {
      for (int k = 1; k <= j; ++k) alpha[j][k] = 0.0f;
      beta[j] = 0.0f;
    }
  }
  const int n = p.n();
  rms = n > 0 ? std::sqrt(sumsq / n) : 0.0f;
  for (int j = 2; j <= nactive; ++j)
    for (int k = 1; k < j; ++k) alpha[k][j] = alpha[j][k];
  return true;
}

void MrqSolver::start(const MrqProblem& p, MrqStatus& s) {
  const int ma = p.ma();
  mfit_ = static_cast<int>(p.free.size());
  covar_ = allocM(1, std::max(ma, 1), 1, std::max(ma, 1));
  alpha_ = allocM(1, std::max(ma, 1), 1, std::max(ma, 1));
  oneda_ = allocM(1, std::max(mfit_, 1), 1, 1);
  beta_.assign(mfit_ + 1, 0.0f);
  atry_.assign(ma + 1, 0.0f);
  lastStep_.assign(ma + 1, 0.0f);
  da_.assign(mfit_ + 1, 0.0f);
  active_.assign(1, 0);
  // Every parameter not among the free ones follows them, in ascending order.
  lista_.assign(1, 0);
  lista_.insert(lista_.end(), p.free.begin(), p.free.end());
  std::vector<char> listed(ma + 1, 0);
  for (int k : p.free) listed[k] = 1;
  for (int j = 1; j <= ma; ++j)
    if (!listed[j]) lista_.push_back(j);
  // Rank of each free parameter within its peak; the highest rank is the number of stages.
  const int group = std::max(p.groupSize, 1);
  rank_.assign(ma + 1, 0);
  std::vector<int> perPeak(ma / group + 2, 0);
  stagesNeeded_ = 0;
  for (int j = 1; j <= mfit_; ++j) {
    const int peak = (lista_[j] - 1) / group + 1;
    rank_[lista_[j]] = ++perPeak[peak];
    stagesNeeded_ = std::max(stagesNeeded_, perPeak[peak]);
  }
  stage_ = 0;
  stageSize_ = s.firstStage;
  s.nactive = 0;
  s.stopped = false;
}

bool MrqSolver::converged(const MrqProblem& p) const {
  for (int j = 1; j <= mfit_; ++j) {
    const int k = lista_[j];
    const float d = lastStep_[k];
    const float v = p.a[k];
    if (d == 0.0f || v == 0.0f) continue;
    if (std::fabs(d / v) > 1e-5f || std::fabs(d) > 1e-6f) return false;
  }
  return true;
}

void MrqSolver::openStage(MrqProblem& p, MrqStatus& s) {
  const int newStage = stage_ + stageSize_;
  const int group = std::max(p.groupSize, 1);
  const int peaks = (p.ma() + group - 1) / group;
  for (int peak = 1; peak <= peaks; ++peak)
    for (int j = 1; j <= mfit_; ++j) {
      const int k = lista_[j];
      if ((k - 1) / group + 1 == peak && rank_[k] > stage_ && rank_[k] <= newStage) active_.push_back(k);
    }
  stage_ = newStage;
  stageSize_ = 1;
  s.lambda = 0.001f;
  s.nactive = static_cast<int>(active_.size()) - 1;
  s.stopped = !mrqcof(p, p.a.data(), active_.data(), s.nactive, alpha_, beta_.data(), s.chisq, s.rms);
  ochisq_ = s.chisq;
}

void MrqSolver::mrqmin(MrqProblem& p, MrqStatus& s) {
  if (s.lambda < 0.0f) start(p, s);
  if (s.nactive == 0 || converged(p)) {
    if (stage_ < stagesNeeded_) {
      openStage(p, s);
      if (s.stopped) return;
    } else {
      s.lambda = 0.0f;
    }
  }
  const int n = s.nactive;
  for (int j = 1; j <= n; ++j) {
    for (int k = 1; k <= n; ++k) covar_[j][k] = alpha_[j][k];
    covar_[j][j] = alpha_[j][j] * (1.0f + s.lambda);
    oneda_[j][1] = beta_[j];
  }
  // The last step (lambda 0) only gives the covariance, of every active parameter.
  if (s.lambda != 0.0f) holdAtLimits(p, n);
  s.lambda = gaussj(s.lambda, covar_, n, oneda_, 1, s.error);
  for (int j = 1; j <= n; ++j) {
    da_[j] = oneda_[j][1];
    lastStep_[active_[j]] = da_[j];
  }
  if (s.lambda == 0.0f) {
    covsrt(covar_, p.ma(), active_.data(), n);
    return;
  }
  trial(p, s);
}

void MrqSolver::holdAtLimits(const MrqProblem& p, int n) {
  for (int j = 1; j <= n; ++j) {
    const int k = active_[j];
    const bool atTop = p.a[k] >= p.amax[k] && beta_[j] > 0.0f;
    const bool atBottom = p.a[k] <= p.amin[k] && beta_[j] < 0.0f;
    if (!atTop && !atBottom) continue;
    for (int i = 1; i <= n; ++i) covar_[i][j] = covar_[j][i] = 0.0f;
    covar_[j][j] = 1.0f;
    oneda_[j][1] = 0.0f;
  }
}

void MrqSolver::trial(MrqProblem& p, MrqStatus& s) {
  const int n = s.nactive;
  for (int j = 1; j <= p.ma(); ++j) atry_[j] = p.a[j];
  for (int j = 1; j <= n; ++j) {
    const int k = active_[j];
    atry_[k] = static_cast<float>(foldBack(p.a[k], da_[j], p.amin[k], p.amax[k]));
    da_[j] = atry_[k] - p.a[k];
    lastStep_[k] = da_[j];
  }
  // The trial's normal equations go into covar and the step vector.
  float chisq = 0.0f;
  if (!mrqcof(p, atry_.data(), active_.data(), n, covar_, da_.data(), chisq, s.rms)) {
    s.stopped = true;
    return;
  }
  if (ochisq_ > chisq) {
    s.lambda = std::max(s.lambda * 0.5f, kSmallestLambda);
    ochisq_ = chisq;
    s.chisq = chisq;
    for (int j = 1; j <= n; ++j) {
      for (int k = 1; k <= n; ++k) alpha_[j][k] = covar_[j][k];
      beta_[j] = da_[j];
      p.a[active_[j]] = atry_[active_[j]];
    }
  } else {
    s.lambda *= 10.0f;
    s.chisq = ochisq_;
  }
}

}  // namespace xyla::fit
