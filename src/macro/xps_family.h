#pragma once

#include <memory>

#include "fit/monte_carlo.h"

namespace xyla {

class CommandTable;
class Macro;
namespace fit {
struct FitResult;
}
namespace xps {
struct AreaCovariance;
struct QuantSession;
}  // namespace xps

// The parts of the XPS command family that live in files of their own.
void registerQuantCommands(CommandTable& t);
void registerSurveyCommands(CommandTable& t);
void registerFigureCommands(CommandTable& t);
void registerDoubletCommands(CommandTable& t);
void registerMonteCarloCommands(CommandTable& t);
void registerBatchCommands(CommandTable& t);
void registerJointCommands(CommandTable& t);

// The converged Shirley background between two end positions as a rule that makes it
// again on other counts (Monte-Carlo replicas, batch fits).
fit::BackgroundRule convergedShirleyRule(int endPoints, bool highAtLargerX);

// The quantification list of the application (a list of its own without one).
xps::QuantSession& quantSessionFor(Macro& m);
// The true areas of the fit `r`'s peaks as one covariance group, made once per fit: the
// quantification lines taken from that fit share it.
std::shared_ptr<const xps::AreaCovariance> fitAreaGroup(const fit::FitResult& r);

}  // namespace xyla
