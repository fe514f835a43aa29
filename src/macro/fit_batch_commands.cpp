// One fit table applied to many buffers, the results in one table: the macro command and
// the function the batch command line uses.
#include <string>
#include <vector>

#include "fit/batch_fit.h"
#include "fit/fit_controller.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/fit_batch.h"
#include "macro/fit_binding.h"
#include "macro/macro.h"
#include "macro/xps_family.h"
#include "model/manager.h"
#include "model/replacing_file.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

bool fittedAfterShirley(const fit::Fit& f, const XylaDocument& doc) {
  const fit::BackgroundOrigin& o = f.backgroundOrigin;
  return f.haveResult && o.document == &doc && o.net >= 0 && f.result().buffer == o.net;
}

FitBatchOutcome fitBatchToFile(fit::Fit& f, XylaDocument& doc, const std::vector<int>& buffers,
                               const std::vector<std::string>& names, bool shirley, const std::string& file) {
  FitBatchOutcome out;
  f.update();
  if (!f.readtab()) {
    out.error = "the fit table could not be read";
    out.tableRefused = true;
    return out;
  }
  fit::BatchSetup setup;
  setup.counting = f.panel.poisson;
  setup.threads = f.modelThreads;
  if (f.iterationTotal > 0) setup.maxIterations = f.iterationTotal;
  if (shirley) {
    const fit::BackgroundOrigin& o = f.backgroundOrigin;
    if (o.document != &doc) {
      out.error = "No converged Shirley background was made in this document: run shirleyconv first";
      return out;
    }
    setup.rule = convergedShirleyRule(o.endPoints, o.highAtLargerX);
    setup.x1 = o.x1;
    setup.x2 = o.x2;
  }
  std::vector<fit::BatchSpectrum> spectra;
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    const DataBuffer* b = doc.buffer(buffers[i]);
    if (!b) continue;
    std::string name = i < names.size() ? names[i] : "";
    if (name.empty()) name = b->getComment().empty() ? "buffer " + std::to_string(buffers[i]) : b->getComment();
    spectra.push_back({name, b->X, b->Y});
  }
  const std::vector<fit::BatchRow> rows = fit::fitBatch(f.model(), spectra, setup);
  for (const fit::BatchRow& r : rows) ++(r.ok ? out.ok : out.failed);
  out.written = writeFileReplacing(file, fit::batchCsv(f.model(), rows), out.error);
  return out;
}

namespace {

// fitbatch file buffers [shirley]: publishes fitbatchok and fitbatchfailed.
void fitbatch(Macro& m) {
  std::vector<int> buffers;
  forEachBufferIndex(m, [&buffers](int index) { buffers.push_back(index); });
  const FitBatchOutcome o = fitBatchToFile(fitFor(m), *m.PD, buffers, {}, m.O[2] && m.I[2] != 0, m.S[0]);
  m.M->GV["fitbatchok"] = o.ok;
  m.M->GV["fitbatchfailed"] = o.failed;
  if (o.written) return;
  if (!o.tableRefused) m.M->ui().alert("Fit Batch", o.error, {"OK"});
  ++m.ERR;
}

}  // namespace

void registerBatchCommands(CommandTable& t) {
  t.add(CommandGroup::Fit, "fitbatch", "sbi", 2, fitbatch,
        {"file buffers [shirley]",
         "Fits the table to every listed buffer from its values, on all processors, and writes one row per buffer "
         "(positions, FWHM, heights, true areas, percentages with errors) to the file; shirley 1 first removes the "
         "converged Shirley background of the last shirleyconv from each. Publishes fitbatchok and fitbatchfailed."});
}

}  // namespace xyla
