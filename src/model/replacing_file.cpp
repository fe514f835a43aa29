#include "model/replacing_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace xyla {

namespace {

namespace fs = std::filesystem;

// Temporary files are named ".<target name>.xyla-XXXXXX"; the writer holds a lock on
// its file while it lives, so one without a lock was left by a save that never ended.
constexpr const char* kTempInfix = ".xyla-";
constexpr int kLinksFollowed = 40;

// The file a path names: the path made absolute against the current directory, and for
// a symbolic link the file at its end, also when that file does not exist yet (it is
// then created there, so the link keeps pointing at the written file).
std::string resolvedTarget(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) p = path;
  for (int i = 0; i < kLinksFollowed; ++i) {
    char real[PATH_MAX];
    if (::realpath(p.c_str(), real)) return real;
    std::error_code linkError;
    if (!fs::is_symlink(fs::symlink_status(p, linkError))) break;
    const fs::path next = fs::read_symlink(p, linkError);
    if (linkError) break;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return p.lexically_normal().string();
}

mode_t creationMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Whether the person running the program may write the existing file `path` itself:
// its permissions allow it, and a file of their own is not marked read-only (which the
// rights of the administrator would otherwise override).
bool mayWrite(const std::string& path, const struct stat& st) {
  if (st.st_uid == ::geteuid() && !(st.st_mode & S_IWUSR)) return false;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool isTempName(const std::string& name) {
  const std::size_t at = name.rfind(kTempInfix);
  if (name.size() < 2 || name[0] != '.' || at == std::string::npos || at == 0) return false;
  const std::size_t tail = at + std::strlen(kTempInfix);
  return name.size() - tail == 6;
}

// Removes the temporary files of saves in `folder` that ended without finishing (the
// program was killed): ours by name and owner, and locked by no living writer.
void removeStaleTempFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (!isTempName(name)) continue;
    const int fd = ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(::dirfd(dir), name.c_str(), 0);
    ::close(fd);
  }
  ::closedir(dir);
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
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode)) {
      error_ = "Could not write " + path_ + ": it is not a regular file, and only regular files are replaced";
      return false;
    }
    if (!mayWrite(target_, st)) return fail("Could not write ", EACCES);
    mode = st.st_mode & 07777;
  }
  const fs::path target(target_);
  removeStaleTempFiles(target.parent_path().string());
  std::string name = (target.parent_path() / ("." + target.filename().string() + kTempInfix + "XXXXXX")).string();
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return fail("Could not write ", errno);
  temp_ = name;
  ::flock(fd, LOCK_EX | LOCK_NB);
  // The replacement keeps the old file's owner and group where the system lets us (the
  // group alone for an ordinary user), and its permissions.
  if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd, st.st_uid, st.st_gid) != 0)
    (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
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
