#include "outside/private_directory.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace xyla::outside {

namespace fs = std::filesystem;

std::string temporaryRoot() {
  const char* env = std::getenv("TMPDIR");
  std::error_code ec;
  if (env && *env && fs::is_directory(env, ec)) return env;
  return "/tmp";
}

PrivateDirectory::PrivateDirectory() {
  std::string pattern = temporaryRoot() + "/Xyla.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data())) path_ = name.data();
}

PrivateDirectory::~PrivateDirectory() {
  if (path_.empty()) return;
  // remove_all never follows symbolic links: a link a child left behind is removed,
  // not what it points to.
  std::error_code ec;
  fs::remove_all(path_, ec);
}

bool PrivateDirectory::write(const std::string& name, const std::string& bytes) const {
  if (path_.empty()) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file(name).c_str(), "wbx"), &std::fclose);
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
  return std::fflush(f.get()) == 0 && ok;
}

}  // namespace xyla::outside
