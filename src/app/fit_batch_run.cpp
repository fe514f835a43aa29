// The batch command line of fits: one model macro, many files, one table of results.
#include <ostream>

#include "app/application.h"
#include "fit/fit_controller.h"
#include "macro/fit_batch.h"
#include "model/xyla_document.h"

namespace xyla {

int Application::runFitBatch(const CommandLine& cl, std::ostream& out, std::ostream& err) {
  if (cl.output.empty() || cl.documents.empty()) {
    err << "xyla: --fit-batch needs -o results.csv and the files to fit\n";
    return 1;
  }
  XylaDocument& doc = *manager_.PD;
  std::vector<int> buffers;
  std::vector<std::string> names;
  int status = 0;
  // Each file's first buffer is its spectrum; a file that does not import is left out.
  auto import = [&](const std::string& file) {
    const int before = doc.bufferCount();
    if (importStartFile(file) && doc.bufferCount() > before) {
      buffers.push_back(before);
      names.push_back(file);
      return true;
    }
    err << "xyla: cannot import " << file << "\n";
    status = 1;
    return false;
  };
  // The model macro sees the first file as "xyla -i file -m model.mac" would.
  if (!import(cl.documents.front())) return 1;
  doc.current = buffers.front();
  if (runBatchMacro(cl.fitBatch, out, err) != 0 || manager_.PD != &doc) return 1;
  for (std::size_t i = 1; i < cl.documents.size(); ++i) import(cl.documents[i]);
  fit::Fit& f = macros_.fitController();
  const FitBatchOutcome o = fitBatchToFile(f, doc, buffers, names, fittedAfterShirley(f, doc), cl.output);
  if (!o.written) {
    err << "xyla: " << o.error << "\n";
    return 1;
  }
  out << "fit batch: " << o.ok << " of " << buffers.size() << " spectra fitted into " << cl.output << "\n"
      << std::flush;
  return status;
}

}  // namespace xyla
