#include "fit/fit_problem.h"

#include <cmath>
#include <limits>

namespace xyla::fit {

void setTableParameters(MrqProblem& p, const FitModel& m) {
  p.a.assign(m.ptab.base(), m.ptab.base() + m.nptab + 1);
  p.amin.assign(m.ptmin.base(), m.ptmin.base() + m.nptab + 1);
  p.amax.assign(m.ptmax.base(), m.ptmax.base() + m.nptab + 1);
  p.free.clear();
  for (int j = 1; j <= m.nmfit; ++j) p.free.push_back(m.mfit[j]);
  p.groupSize = 5;
}

SolveOutcome solveToEnd(MrqProblem& p, MrqStatus& s, MrqSolver& solver, int maxIterations) {
  SolveOutcome out;
  s.lambda = -9.99f;
  s.chisq = std::numeric_limits<float>::infinity();
  while (s.lambda != 0.0f && out.iterations < maxIterations) {
    solver.mrqmin(p, s);
    ++out.iterations;
  }
  if (s.lambda != 0.0f)
    out.error = "iteration limit reached";
  else if (s.error != kNoEliminationError)
    out.error = "no solution: the matrix of the fit is singular";
  else if (!std::isfinite(s.chisq))
    out.error = "the model gives values that are not numbers";
  return out;
}

}  // namespace xyla::fit
