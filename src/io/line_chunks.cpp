#include "io/line_chunks.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "model/text_scan.h"

namespace xyla {

namespace {

// The bytes of a file from `offset` on, read as far as they are asked for.
class FileWindow {
 public:
  FileWindow(int fd, std::size_t offset, ByteBlock& bytes) : fd_(fd), offset_(offset), bytes_(bytes) { bytes_.clear(); }

  // True when the window holds at least `count` bytes, reading on as needed; false when
  // the file ends (or cannot be read) before them.
  bool reach(std::size_t count, std::size_t chunk) {
    while (bytes_.size() < count && !end_) {
      const std::size_t had = bytes_.size();
      const std::size_t want = std::max(count - had, chunk);
      bytes_.resize(had + want);
      std::size_t got = 0;
      while (got < want) {
        const ssize_t n = ::pread(fd_, bytes_.data() + had + got, want - got, static_cast<off_t>(offset_ + had + got));
        if (n > 0) {
          got += static_cast<std::size_t>(n);
        } else if (!(n < 0 && errno == EINTR)) {
          end_ = true;  // end of file, or an error that ends the reading as the line reader's does
          break;
        }
      }
      bytes_.resize(had + got);
    }
    return bytes_.size() >= count;
  }

  // Index of the first terminator at or after `from`, or the window's size when the file
  // ends without one.
  std::size_t terminatorFrom(std::size_t from, std::size_t chunk) {
    for (std::size_t i = from;; i = bytes_.size()) {
      if (!reach(i + 1, chunk)) return bytes_.size();
      const char* end = bytes_.data() + bytes_.size();
      const char* hit = findLineEnd(bytes_.data() + i, end);
      if (hit != end) return static_cast<std::size_t>(hit - bytes_.data());
    }
  }

 private:
  int fd_;
  std::size_t offset_;
  ByteBlock& bytes_;
  bool end_ = false;
};

}  // namespace

LineBlockReader::LineBlockReader(const std::string& path, std::size_t blockBytes)
    : block_(std::max<std::size_t>(blockBytes, 1)) {
  fd_ = textscan::openForLineReading(path, size_);
}

LineBlockReader::~LineBlockReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineBlockReader::read(std::size_t k, ByteBlock& bytes, std::size_t& first) const {
  bytes.clear();
  first = 0;
  if (fd_ < 0) return false;
  const std::size_t begin = k * block_, stop = begin + block_;
  // From the byte before the block on, which tells whether a line starts at its first.
  const std::size_t from = k == 0 ? 0 : begin - 1;
  const std::size_t chunk = block_ + 4096;
  FileWindow window(fd_, from, bytes);
  if (!window.reach(begin - from + 1, chunk)) return false;
  // The first line starting in the block, and the end of the last one.
  first = k == 0 ? 0 : window.terminatorFrom(0, chunk) + 1;
  if (from + first >= stop || first > bytes.size()) {
    first = bytes.size();
    bytes.resize(first);
    return true;
  }
  const std::size_t last = window.terminatorFrom(stop - 1 - from, chunk);
  bytes.resize(std::min(last + 1, bytes.size()));
  return true;
}

}  // namespace xyla
