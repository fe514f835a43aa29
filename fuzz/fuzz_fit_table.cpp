// The fit table: arbitrary text in its cells (one row per line, cells separated by tabs:
// function, A, B, C, D, E, weight; a row starting with "-" is switched off). Reading must
// never crash; what is written back must read again to the same text, never hold NaN or
// infinity, and a short fit on a small spectrum must keep the table clean.
#include <cstdint>
#include <string>
#include <vector>

#include "fit/fit_controller.h"
#include "fuzz_support.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep) out.emplace_back();
    else out.back().push_back(c);
  }
  return out;
}

xyla::FitTable tableOf(const std::string& text) {
  xyla::FitTable table(24);
  const auto lines = split(text, '\n');
  for (std::size_t r = 0; r < lines.size() && r < 26; ++r) {
    if (r >= table.size()) table.emplace_back();
    std::string line = lines[r];
    if (line.empty() || line[0] != '-')
      table[r].setActive(true);
    else line.erase(0, 1);
    const auto cells = split(line, '\t');
    for (std::size_t c = 0; c < cells.size() && c < 7; ++c) table[r].set(static_cast<xyla::FitCell>(c), cells[c]);
  }
  return table;
}

void checkClean(const xyla::FitTable& t, const char* when) {
  for (const auto& row : t)
    for (int c = static_cast<int>(xyla::FitCell::A); c < xyla::kFitCellCount; ++c) {
      const std::string& value = row.get(static_cast<xyla::FitCell>(c));
      if (value.find("nan") != std::string::npos || value.find("inf") != std::string::npos)
        xyla::fuzz::fail(__FILE__, __LINE__,
                         std::string(when) + ": cell " + std::to_string(c) + "=" + xyla::fuzz::printable(value));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  static xyla::SilentUi ui;
  static xyla::Manager manager(ui);
  xyla::XylaDocument doc(&manager);
  auto b = std::make_unique<xyla::DataBuffer>();
  for (int i = 0; i < 24; ++i) b->quickAddDoubleValue(i * 0.5, 10.0 / (1.0 + (i - 12) * (i - 12) / 4.0) + (i % 3));
  b->rescale();
  doc.appendBuffer(std::move(b));
  xyla::fit::Fit fit;
  fit.setupFit(&manager, &doc);
  fit.panel.preview = false;
  fit.panel.limitTag = 4;
  fit.iterationTotal = 4;  // a short fit: it stops at 4 iterations without asking
  doc.F = tableOf(std::string(reinterpret_cast<const char*>(data), size));
  const bool ok = fit.readtab();
  if (ok || fit.model().npix > 0) {
    fit.writeTable();
    checkClean(doc.F, "written");
    // What is written reads back to the same text.
    const xyla::FitTable once = doc.F;
    if (fit.readtab()) {
      fit.writeTable();
      if (doc.F != once) xyla::fuzz::fail(__FILE__, __LINE__, "the written table does not read back the same");
    }
  }
  // Convolved shapes with a Gaussian width far above the line width cost seconds per
  // fit; they are exercised by the unit tests, so the fuzzer only reads them.
  bool convolved = false;
  for (const auto& row : doc.F)
    if (row.get(xyla::FitCell::Function).find('*') != std::string::npos) convolved = true;
  if (ok && !convolved) {
    fit.start();
    checkClean(doc.F, "fitted");
    fit.panel.points = "7";
    fit.exportAll();
  }
  return 0;
}
