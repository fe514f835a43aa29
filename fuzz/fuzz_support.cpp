#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Undefined behaviour stops the run like a crash, so libFuzzer keeps the input; the
// libraries are built with recoverable checks, which would otherwise only print.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace xyla::fuzz {

void fail(const char* file, int line, const std::string& what) {
  std::fprintf(stderr, "\n==== fuzz check failed at %s:%d\n%s\n", file, line, what.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string printable(std::string_view s, std::size_t limit) {
  std::string out = "\"";
  for (std::size_t i = 0; i < s.size() && i < limit; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  out += "\"";
  if (s.size() > limit) out += "... (" + std::to_string(s.size()) + " bytes)";
  return out;
}

bool sameDouble(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string firstDifference(const std::vector<double>& got, const std::vector<double>& want) {
  char text[160];
  if (got.size() != want.size()) {
    std::snprintf(text, sizeof text, "%zu values, expected %zu", got.size(), want.size());
    return text;
  }
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (!sameDouble(got[i], want[i])) {
      std::snprintf(text, sizeof text, "value %zu is %.17g, expected %.17g", i, got[i], want[i]);
      return text;
    }
  }
  return {};
}

ScratchFile::ScratchFile() {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/xyla-fuzz-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const int fd = ::mkstemp(buf.data());
  if (fd < 0) fail(__FILE__, __LINE__, "cannot create a scratch file in " + pattern);
  ::close(fd);
  path_ = buf.data();
}

ScratchFile::~ScratchFile() { ::unlink(path_.c_str()); }

void ScratchFile::write(const std::vector<std::string_view>& pieces) {
  const int fd = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) fail(__FILE__, __LINE__, "cannot open the scratch file " + path_);
  for (std::string_view piece : pieces) {
    while (!piece.empty()) {
      const ssize_t n = ::write(fd, piece.data(), piece.size());
      if (n <= 0) fail(__FILE__, __LINE__, "cannot write the scratch file " + path_);
      piece.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
}

}  // namespace xyla::fuzz
