#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace xyla {

struct FreeWithStdFree {
  void operator()(void* p) const { std::free(p); }
};

// Uninitialised storage for a picture's pixels or encoded rows, released with std::free.
using PageBuffer = std::unique_ptr<std::uint8_t[], FreeWithStdFree>;

// The size of the large pages the kernel can back memory with.
inline constexpr std::size_t kHugePage = std::size_t(2) << 20;

// Asks the kernel to back the whole 2 MB pages inside [p, p + bytes) with 2 MB pages, so
// that writing them takes one page fault each instead of one per 4 KB. A refusal (huge
// pages off) changes nothing.
void adviseHugePages(void* p, std::size_t bytes);

// Storage of `bytes` bytes, or null when memory runs out. From 2 MB on it is aligned to
// 2 MB and asked to be backed by 2 MB pages, so writing it once costs a few page faults
// instead of one per 4 KB.
PageBuffer allocatePageBuffer(std::size_t bytes);

}  // namespace xyla
