#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace xyla {

// Allocator whose value-less construction leaves the element uninitialised: the bytes a
// block grows by are read into at once, so zeroing them first would be wasted work.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// The bytes of one block.
using ByteBlock = std::vector<char, UninitialisedAllocator<char>>;

// Reads the lines of a file in numbered blocks, each on its own and in any order, so that
// several threads can read and split blocks at once and still give, taken in block
// order, exactly the lines the line reader gives. A line ends at a line feed or at a
// carriage return, each of which is one terminator; block k holds the lines that start
// in bytes [k * blockBytes, (k + 1) * blockBytes) of the file, whole (a line may reach
// past the block's end, and a block may hold no line at all).
class LineBlockReader {
 public:
  // A path that cannot be opened, or a directory, reads as an empty file.
  LineBlockReader(const std::string& path, std::size_t blockBytes);
  ~LineBlockReader();
  LineBlockReader(const LineBlockReader&) = delete;
  LineBlockReader& operator=(const LineBlockReader&) = delete;

  // Size of the file in bytes when it is a regular file, else 0.
  std::size_t fileSize() const { return size_; }

  // Reads block k into `bytes` (old contents replaced, capacity reused): its lines are
  // bytes [first, bytes.size()). False when the file ends before the block starts.
  // Safe to call from several threads at once.
  bool read(std::size_t k, ByteBlock& bytes, std::size_t& first) const;

 private:
  int fd_ = -1;
  std::size_t size_ = 0;
  std::size_t block_;
};

// The first line feed or carriage return in [p, end), or end when there is none. Lines
// of data are short, so sixteen bytes are tested at a time inline rather than through
// two library searches per line.
inline const char* findLineEnd(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (hits != 0) return p + std::countr_zero(static_cast<unsigned>(hits));
  }
#endif
  while (p < end && *p != '\n' && *p != '\r') ++p;
  return p;
}

// Calls `line(view)` for every line of a block, in order, exactly as the line reader
// splits them: ending at a line feed or a carriage return, the terminator dropped, a
// last line without terminator included when it is not empty.
template <typename LineFn>
void forEachLine(const char* data, std::size_t size, LineFn&& line) {
  const char* p = data;
  const char* const end = data + size;
  while (p < end) {
    const char* stop = findLineEnd(p, end);
    line(std::string_view(p, static_cast<std::size_t>(stop - p)));
    if (stop == end) break;
    p = stop + 1;
  }
}

}  // namespace xyla
