#include "app/version.h"

#include <dlfcn.h>

#include "outside/resources.h"

// The build passes these in from CMake's project version and pkg-config.
#ifndef XYLA_VERSION
#define XYLA_VERSION "0"
#endif
#ifndef XYLA_PLIST_VERSION
#define XYLA_PLIST_VERSION "unknown"
#endif
#ifndef XYLA_CAIRO_VERSION
#define XYLA_CAIRO_VERSION "unknown"
#endif
#ifndef XYLA_QT_VERSION
#define XYLA_QT_VERSION "unknown"
#endif
#ifndef XYLA_DEFLATE_VERSION
#define XYLA_DEFLATE_VERSION "unknown"
#endif

namespace xyla {

namespace {

// The version of the Qt core library the windows run with. The program itself links no
// Qt (batch runs start faster without it), so the library is asked directly.
std::string runningQtVersion() {
  void* qt = ::dlopen("libQt6Core.so.6", RTLD_LAZY | RTLD_LOCAL);
  const auto version = qt ? reinterpret_cast<const char* (*)()>(::dlsym(qt, "qVersion")) : nullptr;
  return version ? version() : "";
}

}  // namespace

const char* versionText() { return XYLA_VERSION; }

std::string versionLine() { return std::string("xyla ") + versionText(); }

std::vector<std::pair<std::string, std::string>> buildLibraries() {
#if defined(__clang__)
  const std::string compiler = std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
  const std::string compiler = "GCC " + std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__) + "." +
                               std::to_string(__GNUC_PATCHLEVEL__);
#else
  const std::string compiler = "unknown";
#endif
  std::string qt = XYLA_QT_VERSION;
  const std::string running = runningQtVersion();
  if (qt != running) qt += " (running " + (running.empty() ? std::string("none") : running) + ")";
  return {{"Compiler", compiler + ", C++" + std::to_string(__cplusplus / 100 % 100)},
          {"Qt", qt},
          {"libplist", XYLA_PLIST_VERSION},
          {"cairo", XYLA_CAIRO_VERSION},
          {"libdeflate", XYLA_DEFLATE_VERSION}};
}

std::string aboutText() {
  std::string out = std::string("Xyla ") + versionText() +
                    "\nPublication-quality 2-D plots and the analysis behind them, leaning towards "
                    "photo-electron spectroscopy (XPS).\n\nBuilt with\n";
  for (const auto& [name, version] : buildLibraries()) out += "  " + name + " " + version + "\n";
  out += "\nOutside programs\n  Perl ";
  out += outside::kPerl;
  const std::string spline = outside::findResource("spline2");
  out += "\n  spline2 " + (spline.empty() ? std::string("(not found)") : spline) + "\n";
  return out;
}

}  // namespace xyla
