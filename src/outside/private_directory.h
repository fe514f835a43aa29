#pragma once

#include <string>

namespace xyla::outside {

// A fresh directory only this user can enter, made in the system's temporary directory
// with a name that starts with "Xyla." and ends in random characters (mkdtemp: an
// existing path is never reused or followed). It and everything in it are removed when
// the object goes away.
class PrivateDirectory {
 public:
  PrivateDirectory();
  ~PrivateDirectory();
  PrivateDirectory(const PrivateDirectory&) = delete;
  PrivateDirectory& operator=(const PrivateDirectory&) = delete;

  // False when the directory could not be made (then path() is "").
  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  // Path of `name` inside the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` to the file `name` inside the directory; false on failure.
  bool write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

// The system's temporary directory: $TMPDIR when it names a directory, else /tmp.
std::string temporaryRoot();

}  // namespace xyla::outside
