#include "analysis/cross_sections.h"

#include <dlfcn.h>
#include <xraylib.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/xps_lines.h"

#ifndef XYLA_XRL_LIBRARY
#define XYLA_XRL_LIBRARY "libxrl.so.11"
#endif

namespace xyla::xps {

namespace {

constexpr double kAlKa = 1486.6;       // eV
constexpr double kCarbonEdge = 290.0;  // eV: above the C 1s binding energy in any compound

// xraylib, loaded the first time a cross section is asked for: its 16 MB of tables would
// otherwise be mapped and relocated at every start of the program (a quarter of a
// millisecond), for the few runs that quantify.
struct Xraylib {
  decltype(&ElectronConfig) electronConfig = nullptr;
  decltype(&CSb_Photo_Partial) partial = nullptr;
  decltype(&xrl_error_free) errorFree = nullptr;
  std::string error;  // why it could not be loaded
};

const Xraylib& xraylib() {
  static const Xraylib lib = [] {
    Xraylib l;
    void* handle = ::dlopen(XYLA_XRL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle) {
      l.electronConfig = reinterpret_cast<decltype(&ElectronConfig)>(::dlsym(handle, "ElectronConfig"));
      l.partial = reinterpret_cast<decltype(&CSb_Photo_Partial)>(::dlsym(handle, "CSb_Photo_Partial"));
      l.errorFree = reinterpret_cast<decltype(&xrl_error_free)>(::dlsym(handle, "xrl_error_free"));
    }
    if (!l.electronConfig || !l.partial || !l.errorFree) {
      const char* why = ::dlerror();
      l.error = std::string("The cross sections library cannot be loaded: ") + (why ? why : XYLA_XRL_LIBRARY);
      l.electronConfig = nullptr;
    }
    return l;
  }();
  return lib;
}

// xraylib's sub-shell numbers of a level written "4f7/2", "2p", "1s": K 0, L1-L3 1-3,
// M1-M5 4-8, N1-N7 9-15, O1-O7 16-22, P1-P5 23-27. Empty for a level that is none.
std::vector<int> subshells(const std::string& level) {
  std::size_t i = 0;
  int n = 0;
  while (i < level.size() && std::isdigit(static_cast<unsigned char>(level[i]))) n = 10 * n + (level[i++] - '0');
  if (n < 1 || n > 6 || i >= level.size()) return {};
  const std::string letters = "spdf";
  const std::size_t l = letters.find(level[i++]);
  if (l == std::string::npos || static_cast<int>(l) >= std::min(n, 4)) return {};
  static const int kFirst[] = {0, 0, 1, 4, 9, 16, 23};
  static const int kCount[] = {0, 1, 3, 5, 7, 7, 5};
  const int first = kFirst[n];
  // Within a shell: s, p1/2, p3/2, d3/2, d5/2, f5/2, f7/2.
  const int lower = l == 0 ? 0 : static_cast<int>(2 * l - 1), upper = l == 0 ? 0 : lower + 1;
  std::vector<int> out;
  const std::string j = level.substr(i);
  if (j.empty()) {
    for (int k = lower; k <= upper; ++k) out.push_back(first + k);
  } else if (l > 0 && j == std::to_string(2 * l - 1) + "/2") {
    out.push_back(first + lower);
  } else if (l > 0 && j == std::to_string(2 * l + 1) + "/2") {
    out.push_back(first + upper);
  } else {
    return {};
  }
  for (int s : out)
    if (s - first >= kCount[n]) return {};
  return out;
}

}  // namespace

bool photoCrossSection(const std::string& line, double hv, double& barns, std::string& error) {
  const std::string key = lineKey(line);
  std::size_t split = 0;
  while (split < key.size() && std::isalpha(static_cast<unsigned char>(key[split]))) ++split;
  const int z = key.empty() ? 0 : elementNumber(key.substr(0, split));
  const std::vector<int> shells = z > 0 ? subshells(key.substr(split)) : std::vector<int>{};
  if (shells.empty()) {
    error = line + " is no level of a known element";
    return false;
  }
  if (!(hv > 0.0) || !std::isfinite(hv)) {
    error = "The photon energy must be positive";
    return false;
  }
  const Xraylib& xrl = xraylib();
  if (!xrl.electronConfig) {
    error = xrl.error;
    return false;
  }
  double sum = 0.0;
  for (int shell : shells) {
    xrl_error* e = nullptr;
    const double electrons = xrl.electronConfig(z, shell, &e);
    if (e) {
      xrl.errorFree(e);
      continue;  // an empty sub-shell
    }
    const double perElectron = xrl.partial(z, shell, hv / 1000.0, &e);
    if (e) {
      xrl.errorFree(e);
      char buf[200];
      std::snprintf(buf, sizeof buf, "Photons of %.1f eV cannot ionise %s", hv, line.c_str());
      error = buf;
      return false;
    }
    sum += electrons * perElectron;
  }
  if (!(sum > 0.0) || !std::isfinite(sum)) {
    error = line + " holds no electron";
    return false;
  }
  barns = sum;
  return true;
}

bool relativeCrossSection(const std::string& line, double hv, double& factor, std::string& error) {
  double own = 0.0, carbon = 0.0;
  if (!photoCrossSection(line, hv, own, error)) return false;
  if (!photoCrossSection("C 1s", hv > kCarbonEdge ? hv : kAlKa, carbon, error)) return false;
  factor = own / carbon;
  return true;
}

}  // namespace xyla::xps
