#include "io/page_buffer.h"

#include <sys/mman.h>

namespace xyla {

void adviseHugePages(void* p, std::size_t bytes) {
  const auto begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t from = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t to = (begin + bytes) & ~(kHugePage - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

// A picture is written from top to bottom once, then read once; on a virtual machine the
// first touch of each fresh 4 KB page costs a few microseconds, several milliseconds
// for a 1280 x 960 picture. The size is rounded up to whole 2 MB pages, which wastes at
// most one partly used page. Where the system refuses (huge pages off), nothing changes.
PageBuffer allocatePageBuffer(std::size_t bytes) {
  if (bytes < kHugePage) return PageBuffer(static_cast<std::uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes)));
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (p) adviseHugePages(p, rounded);
  return PageBuffer(static_cast<std::uint8_t*>(p));
}

}  // namespace xyla
