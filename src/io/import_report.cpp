#include "io/import_report.h"

#include <sys/mman.h>

#include <cstdint>
#include <filesystem>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

void reportNothingImported(Ui* ui, const std::string& what) {
  if (ui) ui->alert(kNothingImportedTitle, "No points were read from " + what + ".", {"Ok"});
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
  column.reserve(want);
  // Filling a column touches every page of it once. Taken one by one, those first
  // touches cost more than the numbers themselves on some machines (virtual ones
  // especially); backed with 2 MB pages and populated in one request they cost about
  // what clearing the memory costs. The column is reserved for the values about to be
  // read, so little of it stays unused. A kernel that refuses either request (huge pages
  // off, an older kernel) changes nothing: the pages then come as they are touched.
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  constexpr std::uintptr_t kPage = std::uintptr_t{4} << 10;
  const std::size_t bytes = column.capacity() * sizeof(double);
  if (bytes < 4 * kHuge) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(column.data());
  const std::uintptr_t from = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t to = (begin + bytes) & ~(kHuge - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  const std::uintptr_t first = begin & ~(kPage - 1);
  const std::uintptr_t last = (begin + bytes + kPage - 1) & ~(kPage - 1);
  ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#endif
}

}  // namespace xyla
