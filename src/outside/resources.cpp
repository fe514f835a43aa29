#include "outside/resources.h"

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

}  // namespace xyla::outside
