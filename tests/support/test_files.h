#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace xyla::test {

// Writes `bytes` to `path` exactly as given.
inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

// The whole content of `path`, or "" when it cannot be read.
inline std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Directory of the real spectra shipped with the sources.
inline std::string dataDir() { return XYLA_TEST_DATA_DIR; }

}  // namespace xyla::test
