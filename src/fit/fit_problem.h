#pragma once

#include <string>

#include "fit/fit_table.h"
#include "fit/levenberg_marquardt.h"

// The solver's problem for a read fit table, and a fit run to its end without questions:
// what the controller, the replicas of the Monte-Carlo errors, batches and joint fits
// share.
namespace xyla::fit {

// Sets the parameters of `p` from the table: values, limits, the free ones in table
// order and five parameters per peak.
void setTableParameters(MrqProblem& p, const FitModel& m);

// How a fit run without questions ended.
struct SolveOutcome {
  int iterations = 0;
  std::string error;  // "" when the fit converged
};

// Steps `solver` from a fresh start until the fit ends by itself or `maxIterations`
// steps have run; says why the result is not one.
SolveOutcome solveToEnd(MrqProblem& p, MrqStatus& s, MrqSolver& solver, int maxIterations);

}  // namespace xyla::fit
