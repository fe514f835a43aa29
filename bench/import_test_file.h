#pragma once

// The two-column text file that the import benchmarks read: a falling X in the style of
// an energy axis and a count-like Y, tab separated, one point per line. The content is a
// pure function of the line count, so every run reads the same bytes.
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace xyla::bench {

// Writes `lines` lines to `path`; answers the number of bytes written, 0 on failure.
inline std::size_t writeImportTestFile(const std::string& path, long lines) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::vector<char> chunk;
  chunk.reserve(1 << 20);
  std::size_t total = 0;
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  char num[64];
  double x = 300.0;
  for (long i = 0; i < lines; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const auto r = static_cast<unsigned>(state >> 33);
    // X falls from 300 in steps of 1e-5 summed up line by line, so it carries rounding
    // noise; it is written with 6 to 16 significant digits ("299.999", "299.9000000000001").
    const int digits = 6 + static_cast<int>(r % 11);
    char* end = std::to_chars(num, num + sizeof num, x, std::chars_format::general, digits).ptr;
    x -= 1e-5;
    chunk.insert(chunk.end(), num, end);
    chunk.push_back('\t');
    // Y: counts up to 99999, half of them written "1923.0", the rest with a fraction.
    end = std::to_chars(num, num + sizeof num, r % 100000).ptr;
    chunk.insert(chunk.end(), num, end);
    static constexpr const char* kFractions[] = {".0", ".0", ".0", ".5", ".25", ".125", ".75", ".0"};
    for (const char* p = kFractions[(r >> 20) & 7]; *p; ++p) chunk.push_back(*p);
    chunk.push_back('\n');
    if (chunk.size() >= (1 << 20) - 64 || i + 1 == lines) {
      if (std::fwrite(chunk.data(), 1, chunk.size(), f) != chunk.size()) {
        std::fclose(f);
        return 0;
      }
      total += chunk.size();
      chunk.clear();
    }
  }
  if (std::fclose(f) != 0) return 0;
  return total;
}

// A fresh directory under $TMPDIR (or /tmp) for the test file; empty on failure.
inline std::string makeBenchTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/xyla-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

}  // namespace xyla::bench
