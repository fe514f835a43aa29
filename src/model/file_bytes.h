#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace xyla {

// Reads the whole regular file at `path` when it holds at most `limit` bytes. Otherwise
// answers nothing and sets `error` to "Could not read <path>: <reason>", the reason being
// what the system said ("No such file or directory", "Permission denied", ...), that it
// is not a regular file (a FIFO or device is never waited on) or that it is too large.
// Throws std::bad_alloc when the bytes do not fit in memory.
std::optional<std::string> readFileBytes(const std::string& path, std::size_t limit, std::string& error);

// The first `count` bytes of the file at `path` (fewer when it is shorter); "" when it
// cannot be opened. Opens without waiting, so a FIFO answers what is there (nothing).
std::string readFileHead(const std::string& path, std::size_t count);

}  // namespace xyla
