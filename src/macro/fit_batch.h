#pragma once

#include <string>
#include <vector>

namespace xyla {

class XylaDocument;
namespace fit {
class Fit;
}

// What a batch of fits did.
struct FitBatchOutcome {
  bool written = false;
  std::string error;          // why nothing was written
  bool tableRefused = false;  // the fit table did not read (its alert said why)
  int ok = 0, failed = 0;
};

// Fits the table of `f` (as `f` reads it from its document) to every buffer of `doc`
// listed, names[i] naming buffers[i] in the table ("" takes the buffer's comment), and
// writes one row per buffer to `file`. With `shirley`, the buffers are measured spectra
// that first get the converged Shirley background of the last shirleyconv. Counting
// weights and the iteration total follow the fit's settings; the spectra spread over
// the fit's thread count.
FitBatchOutcome fitBatchToFile(fit::Fit& f, XylaDocument& doc, const std::vector<int>& buffers,
                               const std::vector<std::string>& names, bool shirley, const std::string& file);

// True when the last fit of `f` ran on the net spectrum of the last shirleyconv in `doc`.
bool fittedAfterShirley(const fit::Fit& f, const XylaDocument& doc);

}  // namespace xyla
