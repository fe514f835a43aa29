#pragma once

#include <functional>
#include <span>
#include <vector>

#include "fit/model_function.h"
#include "fit/numeric_arrays.h"

// The least-squares engine of the curve fit: Levenberg-Marquardt in single precision with
// one common sigma for all points (or a weight per point), a model that gives values and
// derivatives, box limits with a fold-back rule, a convergence test that ends the fit by
// itself and stages that free the parameters of every peak in turn.
namespace xyla::fit {

// Error codes of the elimination.
enum EliminationError : int {
  kNoEliminationError = 0,
  kPivotChosenTwice = 1,
  kZeroPivot = 2,
};

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

// What stays fixed during one fit, and the parameters it changes. Points and parameters
// are indexed from 1 (slot 0 unused).
struct MrqProblem {
  std::span<const float> x, y;     // the points (n = size - 1)
  std::span<const float> weight;   // 1/sigma_i^2 per point, or empty: 1/sigma^2 for all
  double sigma = 1.0;              // one value for every point
  ModelFunction* model = nullptr;  // values and derivatives
  std::vector<float> a;            // parameters, updated in place (ma = size - 1)
  std::vector<float> amin, amax;   // limits of each parameter
  std::vector<int> free;           // the free parameters, in the order the stages take them
  int groupSize = 5;               // parameters per peak: a stage frees one more of each
  int threads = 1;                 // threads that evaluate the model (0: one per processor)
  // Asked between blocks of points; false stops the fit at once (the step in progress
  // changes nothing). Empty: never stops.
  std::function<bool()> keepGoing;

  int n() const { return x.empty() ? 0 : static_cast<int>(x.size()) - 1; }
  int ma() const { return a.empty() ? 0 : static_cast<int>(a.size()) - 1; }
};

// What changes from step to step.
struct MrqStatus {
  float chisq = 0.0f;
  int nactive = 0;
  float lambda = -1.0f;  // < 0 starts a fit; 0 when it has ended
  int firstStage = 5;
  int error = kNoEliminationError;
  float rms = 0.0f;
  bool stopped = false;  // keepGoing said no: the fit ends without a result
};

// Builds the normal equations for the active parameters list[1..nactive]: alpha (both
// triangles), beta, chi-square and the rms deviation. Answers false when keepGoing
// stopped it half way.
bool mrqcof(const MrqProblem& p, const float* a, const int* list, int nactive, Matrix1<float>& alpha, float* beta,
            float& chisq, float& rms);

// One fit: start with status.lambda < 0 and call mrqmin() while status.lambda != 0
// and the status is not stopped.
class MrqSolver {
 public:
  void mrqmin(MrqProblem& p, MrqStatus& s);

  // The active parameters in the order of the covariance matrix.
  const std::vector<int>& active() const { return active_; }
  // The free parameters first, then every other parameter in ascending order (from 1).
  const std::vector<int>& lista() const { return lista_; }
  // After the fit has ended without an elimination error: the covariance of the
  // parameters in parameter order (rows and columns of fixed ones 0).
  const Matrix1<float>& covariance() const { return covar_; }

 private:
  void start(const MrqProblem& p, MrqStatus& s);
  bool converged(const MrqProblem& p) const;
  void openStage(MrqProblem& p, MrqStatus& s);
  void trial(MrqProblem& p, MrqStatus& s);
  // Holds every active parameter that sits on a limit its gradient pushes beyond: its
  // row and column of the step's equations become those of a zero step.
  void holdAtLimits(const MrqProblem& p, int n);

  Matrix1<float> covar_, alpha_;    // work matrices, ma x ma
  Matrix1<float> oneda_;            // right-hand side, one column
  std::vector<float> beta_;         // gradient of the active set
  std::vector<float> atry_;         // trial parameters
  std::vector<float> lastStep_;     // last step per parameter index
  std::vector<float> da_;           // step per active parameter
  std::vector<int> lista_;          // free parameters first, then the others (from 1)
  std::vector<int> active_;         // active parameter indexes, from 1 (slot 0 unused)
  std::vector<int> rank_;           // rank of each free parameter within its peak
  int mfit_ = 0;
  int stage_ = 0;
  int stagesNeeded_ = 0;
  int stageSize_ = 5;
  float ochisq_ = 0.0f;
};

}  // namespace xyla::fit
