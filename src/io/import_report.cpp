#include "io/import_report.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

void reportNothingImported(Ui* ui, const std::string& what) {
  if (ui) ui->alert(kNothingImportedTitle, "No points were read from " + what + ".", {"Ok"});
}

bool readWithinMemory(XylaDocument& doc, Ui* ui, const std::string& file, const std::function<void()>& read) {
  const std::size_t buffers = doc.DB.size(), texts = doc.T.size(), graphics = doc.G.size(),
                    subplots = doc.subplots.size();
  static constexpr std::array<double XylaDocument::*, 8> kRanges = {
      &XylaDocument::xmin1, &XylaDocument::xmax1, &XylaDocument::ymin1, &XylaDocument::ymax1,
      &XylaDocument::xmin2, &XylaDocument::xmax2, &XylaDocument::ymin2, &XylaDocument::ymax2};
  std::array<double, 8> ranges{};
  for (std::size_t i = 0; i < kRanges.size(); ++i) ranges[i] = doc.*kRanges[i];
  try {
    read();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {  // a size beyond what a vector can hold
  }
  // Taking out never allocates, so this cannot run out of memory itself.
  const auto cut = [](auto& list, std::size_t size) {
    list.erase(list.begin() + std::ptrdiff_t(std::min(size, list.size())), list.end());
  };
  cut(doc.DB, buffers);
  cut(doc.T, texts);
  cut(doc.G, graphics);
  cut(doc.subplots, subplots);
  for (std::size_t i = 0; i < kRanges.size(); ++i) doc.*kRanges[i] = ranges[i];
  if (ui) {
    ui->alert(kNotEnoughMemoryTitle,
              "There is not enough memory to read " + file + ". The document is as it was before.", {"Ok"});
  }
  return false;
}

bool holdsNoPoint(const std::vector<DataBuffer*>& buffers) {
  for (const DataBuffer* b : buffers)
    if (b->count() > 0) return false;
  return true;
}

Ui* documentUi(const XylaDocument& doc) { return doc.M ? &doc.M->ui() : nullptr; }

std::vector<std::string> askForImportFiles(Ui& ui, const std::string& title) {
  Settings* s = Settings::standard();
  const std::string dir = s ? s->getString("PATH").value_or("") : "";
  std::vector<std::string> files = ui.openPanel(title, dir, true);
  if (!files.empty() && s) {
    s->setString("PATH", std::filesystem::path(files.front()).parent_path().string());
    s->sync();
  }
  return files;
}

void reserveColumn(std::vector<double>& column, std::size_t want) {
  // Columns stay on ordinary 4 KB pages, filled through populateForWriting. Huge pages
  // save a few milliseconds where fresh memory is cheap, but a virtual machine whose
  // host takes back free 2 MB blocks (free page reporting) has to back each of them again
  // on first touch: 160 MB of columns then cost 0.3-0.5 s of system time after the
  // machine has been idle for two seconds, against 0.1 s with small pages.
  column.reserve(want);
}

void populateForWriting(double* p, std::size_t count) {
  // Pages taken one by one on first touch cost more than the numbers written into them
  // on some machines (virtual ones especially); populated in one request they cost about
  // what clearing the memory costs. Small runs are left to the faults, as are kernels
  // that refuse the request.
#ifdef MADV_POPULATE_WRITE
  constexpr std::uintptr_t kPage = std::uintptr_t{4} << 10;
  if (count * sizeof(double) < 16 * kPage) return;
  const auto start = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t first = start & ~(kPage - 1);
  const std::uintptr_t last = (start + count * sizeof(double) + kPage - 1) & ~(kPage - 1);
  ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)count;
#endif
}

}  // namespace xyla
