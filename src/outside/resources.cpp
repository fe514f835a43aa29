#include "outside/resources.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace xyla::outside {

namespace fs = std::filesystem;

std::string executableDirectory() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string findResource(const std::string& name) {
  const std::string bin = executableDirectory();
  if (bin.empty() || name.empty() || name.find('/') != std::string::npos) return "";
  const fs::path base = fs::path(bin).parent_path();
  for (const char* dir : {"share/xyla", "lib/xyla"}) {
    const fs::path candidate = base / dir / name;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  return "";
}

std::string perlModuleDirectory() {
  const std::string bin = executableDirectory();
  if (bin.empty()) return "";
  const fs::path dir = fs::path(bin).parent_path() / "lib/xyla/perl";
  std::error_code ec;
  return fs::is_regular_file(dir / "Xyla/Bridge.pm", ec) ? dir.string() : "";
}

std::string perlLibraryPath() {
  const char* old = std::getenv("PERL5LIB");
  std::string path = perlModuleDirectory();
  if (old && *old) path += (path.empty() ? "" : ":") + std::string(old);
  return path;
}

}  // namespace xyla::outside
