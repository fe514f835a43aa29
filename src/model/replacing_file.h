#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace xyla {

// Writes a file so that a failure never costs the old one: the bytes go to a temporary
// file in the target's folder, which replaces the target (one rename) only when every
// byte is written and flushed. Only regular files are replaced; a FIFO, device or folder
// at the path is refused and left alone. A symbolic link keeps pointing where it did:
// the file it points to is replaced (or created, for a link to a file not yet there). A
// file the person may not write is refused ("Permission denied"), also their own file
// marked read-only; a replaced file keeps its permissions, and its owner and group where
// the system allows. Temporary files left behind by a save that was killed are removed
// by the next save in that folder. A relative path is taken relative to the current
// directory of the process. Failures are described in `error()` with the path and what
// the system said ("No space left on device", "Permission denied", ...).
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::string& path);
  ~ReplacingFile();  // removes the temporary file unless committed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file; false when the target cannot be replaced.
  bool open();
  // Appends bytes; false on a write error (later writes then do nothing).
  bool write(std::string_view bytes);
  // Flushes and closes the temporary file and renames it over the target.
  bool commit();
  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& what, int err);
  std::string path_;    // as given, for messages
  std::string target_;  // the file that is replaced
  std::string temp_;
  std::FILE* file_ = nullptr;
  std::string error_;
};

// Writes `bytes` to `path` through a ReplacingFile; false with `error` set on failure.
bool writeFileReplacing(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace xyla
