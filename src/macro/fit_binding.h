#pragma once

#include <string>
#include <vector>

namespace xyla {

class Macro;
namespace fit {
class Fit;
struct FitModel;
struct PeakNumbers;
}  // namespace fit

// The application's fit controller, bound to the macro's document (a controller of
// its own when the macro runs without an application).
fit::Fit& fitFor(Macro& m);

// Publishes the last fit of `f` as the macro's variables (fitok, fitA1, ...).
void publishFit(Macro& m, const fit::Fit& f);

// Publishes the measures of one peak for table row `row` (1-based, as text): fitfwhm,
// fitheight, fittruearea, fittruepct and their fiterr... errors (0 when unknown).
void publishPeakNumbers(Macro& m, const fit::PeakNumbers& n, const std::string& row);

// Publishes the parameters of peak k (from 1) of `model`, ties resolved, as fitA<row> ..
// fitE<row>, and their standard errors (entries 5(k-1)+1 .. 5k of `standardError`, 0 where
// it has none) as fiterrA<row> .. fiterrE<row>.
void publishPeakParameters(Macro& m, const fit::FitModel& model, int k, const std::vector<double>& standardError,
                           const std::string& row);

// Names of the peaks for reports: the comments of the buffers the last export of all
// curves made, while they are still there ("" for the others).
std::vector<std::string> peakNames(Macro& m, const fit::Fit& f);

}  // namespace xyla
