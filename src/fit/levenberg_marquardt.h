#pragma once

#include <vector>

#include "fit/numeric_arrays.h"

// The least-squares engine of the curve fit: Levenberg-Marquardt in single precision with
// one common sigma for all points, numerical derivatives through the peak model, box
// limits with a fold-back rule, a convergence test that ends the fit by itself and stages
// that free the parameters of every peak in turn.
namespace xyla::fit {

// Error codes of the elimination.
enum EliminationError : int {
  kNoEliminationError = 0,
  kPivotChosenTwice = 1,
  kZeroPivot = 2,
};

// The abort flag: while set, model evaluations stop at once and steps change nothing.
void setAbort(bool flag);
bool abortRequested();

// The trial value of a parameter at `a` after the step `delta`, folded back inside
// lo .. hi: a step that would cross a limit lands between the limit and the old value.
double foldBack(double a, double delta, double lo, double hi);

// Gauss-Jordan elimination with full pivoting: solves a x = b for the m right-hand
// columns of b (rows 1..n) in place and replaces a by its inverse. Answers lambda, or 0
// on failure with `error` set (1: a pivot column chosen twice, 2: a zero pivot).
float gaussj(float lambda, Matrix1<float>& a, int n, Matrix1<float>& b, int m, int& error);

// Spreads the mfit x mfit covariance, ordered as lista[1..mfit], into ma x ma parameter
// order; rows and columns of the other parameters become 0.
void covsrt(Matrix1<float>& covar, int ma, const int* lista, int mfit);

// What stays fixed during one fit. Arrays are indexed from 1.
struct MrqProblem {
  const float* x = nullptr;
  const float* y = nullptr;
  double sigma = 1.0;  // one value for every point
  int n = 0;
  float* a = nullptr;  // parameters, updated in place
  int ma = 0;
  const float* amin = nullptr;
  const float* amax = nullptr;
  const float* da = nullptr;  // difference steps
  int perPeak = 5;
  const int* ifunc = nullptr;  // shape code per peak
  int* lista = nullptr;        // free parameters first (mfit of them), completed on start
  const int* irel = nullptr;
  const int* krel = nullptr;
  int mfit = 0;
  Matrix1<float>* covar = nullptr;  // work matrices of at least mfit x mfit (ma x ma for
  Matrix1<float>* alpha = nullptr;  // the final covariance)
  const float* weight = nullptr;    // 1/sigma_i^2 per point (from index 1); null: sigma
};

// What changes from step to step.
struct MrqStatus {
  float chisq = 0.0f;
  int nactive = 0;
  float lambda = -1.0f;  // < 0 starts a fit; 0 when it has ended
  int firstStage = 5;
  int error = kNoEliminationError;
  float rms = 0.0f;
};

// Number of threads that evaluate the model for long passes (0: one per processor, 1:
// always on the calling thread). The results do not depend on it.
void setModelThreads(int n);

// Builds the normal equations for the active parameters list[1..nactive]: alpha (both
// triangles), beta, chi-square and the rms deviation. Returns early when aborted.
void mrqcof(const MrqProblem& p, const float* a, const int* list, int nactive, Matrix1<float>& alpha,
            float* beta, float& chisq, float& rms);

// One fit: start with status.lambda < 0 and call step() while status.lambda != 0.
class MrqSolver {
 public:
  void mrqmin(MrqProblem& p, MrqStatus& s);

  // The active parameters in the order of the covariance matrix.
  const std::vector<int>& active() const { return active_; }

 private:
  void start(MrqProblem& p, MrqStatus& s);
  bool converged(const MrqProblem& p) const;
  void openStage(MrqProblem& p, MrqStatus& s);
  void trial(MrqProblem& p, MrqStatus& s);

  Matrix1<float> oneda_;            // right-hand side, one column
  std::vector<float> beta_;         // gradient of the active set
  std::vector<float> atry_;         // trial parameters
  std::vector<float> lastStep_;     // last step per parameter index
  std::vector<float> da_;           // step per active parameter
  std::vector<int> active_;         // active parameter indexes, from 1 (slot 0 unused)
  std::vector<int> rank_;           // rank of each free parameter within its peak
  int stage_ = 0;
  int stagesNeeded_ = 0;
  int stageSize_ = 5;
  float ochisq_ = 0.0f;
};

}  // namespace xyla::fit
