#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Reads a file in blocks that end at line boundaries, so that the blocks can be split
// into lines independently (on several threads) and give, in order, exactly the lines
// the line reader gives. A line ends at a line feed or at a carriage return, each of
// which is one terminator, so a block may end right after either byte. A block holds
// at least `chunkBytes` bytes when the file has them, and more when its last line is
// longer; the last block of a file without a final terminator ends with that line.
class LineChunkReader {
 public:
  // A path that cannot be opened, or a directory, reads as an empty file.
  LineChunkReader(const std::string& path, std::size_t chunkBytes);
  ~LineChunkReader();
  LineChunkReader(const LineChunkReader&) = delete;
  LineChunkReader& operator=(const LineChunkReader&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  // Size of the file in bytes when it is a regular file, else 0.
  std::size_t fileSize() const { return size_; }
  // Bytes handed out in blocks so far.
  std::size_t consumed() const { return consumed_; }

  // Fills `block` with the next block (its old contents are replaced, its capacity
  // reused); false at the end of the file.
  bool next(ByteBlock& block);

 private:
  // Appends up to `want` bytes of the file to `to`; answers the number appended.
  std::size_t readMore(ByteBlock& to, std::size_t want);

  int fd_ = -1;
  std::size_t size_ = 0;
  std::size_t chunk_;
  std::size_t consumed_ = 0;
  ByteBlock carry_;  // bytes read after the last terminator of the previous block
  bool eof_ = false;
};

// Calls `line(view)` for every line of a block, in order, exactly as the line reader
// splits them: ending at a line feed or a carriage return, the terminator dropped, a
// last line without terminator included when it is not empty.
template <typename LineFn>
void forEachLine(const char* data, std::size_t size, LineFn&& line) {
  const char* p = data;
  const char* const end = data + size;
  while (p < end) {
    const std::size_t avail = static_cast<std::size_t>(end - p);
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', avail));
    const std::size_t until = lf ? static_cast<std::size_t>(lf - p) : avail;
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', until));
    const char* stop = cr ? cr : (lf ? lf : end);
    line(std::string_view(p, static_cast<std::size_t>(stop - p)));
    p = stop + 1;
  }
}

}  // namespace xyla
