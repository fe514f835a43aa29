#include "io/line_chunks.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "model/text_scan.h"

namespace xyla {

LineChunkReader::LineChunkReader(const std::string& path, std::size_t chunkBytes)
    : chunk_(std::max<std::size_t>(chunkBytes, 1)) {
  fd_ = textscan::openForLineReading(path, size_);
}

LineChunkReader::~LineChunkReader() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t LineChunkReader::readMore(ByteBlock& to, std::size_t want) {
  const std::size_t had = to.size();
  to.resize(had + want);
  std::size_t got = 0;
  while (got < want && !eof_) {
    const ssize_t n = ::read(fd_, to.data() + had + got, want - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      eof_ = true;  // end of file, or an error that ends the reading as the line reader's does
    }
  }
  to.resize(had + got);
  return got;
}

bool LineChunkReader::next(ByteBlock& block) {
  block.swap(carry_);
  carry_.clear();
  if (fd_ < 0) return false;
  auto terminator = [](char c) { return c == '\n' || c == '\r'; };
  // The block grows until it holds a terminator, or the file ends; `searched` bytes at
  // its start are known to hold none.
  std::size_t searched = 0;
  for (;;) {
    if (block.size() < chunk_) readMore(block, chunk_ - block.size());
    std::size_t cut = block.size();
    while (cut > searched && !terminator(block[cut - 1])) --cut;
    if (cut > searched) {
      carry_.assign(block.begin() + static_cast<std::ptrdiff_t>(cut), block.end());
      block.resize(cut);
      consumed_ += cut;
      return true;
    }
    if (eof_) {
      consumed_ += block.size();
      return !block.empty();
    }
    // A line longer than a block: read on.
    searched = block.size();
    readMore(block, chunk_);
  }
}

}  // namespace xyla
