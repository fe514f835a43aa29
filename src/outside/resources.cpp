#include "outside/resources.h"

#include <dlfcn.h>

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

ModuleEntry openModule(const char* file, const char* entry) {
  ModuleEntry m;
  const std::string path = findResource(file);
  if (path.empty()) {
    m.missing = true;
    return m;
  }
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto* function = handle ? reinterpret_cast<const void* (*)()>(::dlsym(handle, entry)) : nullptr;
  if (!function) {
    const char* why = ::dlerror();
    m.why = why ? why : path;
    return m;
  }
  m.table = function();
  return m;
}

}  // namespace xyla::outside
