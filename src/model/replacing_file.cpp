#include "model/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace xyla {

namespace {

// The file a path names: the path made absolute against the current directory, and for
// a symbolic link the file at its end.
std::string resolvedTarget(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  char real[PATH_MAX];
  if (::realpath(p.c_str(), real)) return real;
  return p.string();
}

mode_t creationMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& path) : path_(path), target_(resolvedTarget(path)) {}

ReplacingFile::~ReplacingFile() {
  if (file_) std::fclose(file_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool ReplacingFile::fail(const std::string& what, int err) {
  error_ = what + path_ + ": " + std::strerror(err);
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  return false;
}

bool ReplacingFile::open() {
  if (path_.empty()) return fail("No file name given", ENOENT);
  struct stat st {};
  mode_t mode = creationMode();
  if (::stat(target_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      error_ = "Could not write " + path_ + ": it is not a regular file, and only regular files are replaced";
      return false;
    }
    mode = st.st_mode & 07777;
  }
  const std::filesystem::path target(target_);
  std::string name = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return fail("Could not write ", errno);
  temp_ = name;
  ::fchmod(fd, mode);
  file_ = ::fdopen(fd, "wb");
  if (!file_) {
    const int err = errno;
    ::close(fd);
    return fail("Could not write ", err);
  }
  return true;
}

bool ReplacingFile::write(std::string_view bytes) {
  if (!file_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    return fail("Could not write ", errno ? errno : EIO);
  return true;
}

bool ReplacingFile::commit() {
  if (!file_) return false;
  errno = 0;
  if (std::fflush(file_) != 0) return fail("Could not write ", errno ? errno : EIO);
  // A full disk may only show when the data reach it.
  if (::fsync(::fileno(file_)) != 0 && errno != EINVAL) return fail("Could not write ", errno);
  std::FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) return fail("Could not write ", errno);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return fail("Could not write ", errno);
  temp_.clear();
  return true;
}

bool writeFileReplacing(const std::string& path, std::string_view bytes, std::string& error) {
  ReplacingFile file(path);
  const bool ok = file.open() && file.write(bytes) && file.commit();
  if (!ok) error = file.error();
  return ok;
}

}  // namespace xyla
