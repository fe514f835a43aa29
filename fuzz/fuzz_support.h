#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the fuzz targets: a failing check that stops the run with a message
// (libFuzzer then keeps the input), bit-exact comparison of doubles, and one scratch file
// per process for the readers that take a path.
namespace xyla::fuzz {

[[noreturn]] void fail(const char* file, int line, const std::string& what);

// Shows a byte string with non-printable bytes escaped, cut to `limit` bytes.
std::string printable(std::string_view s, std::size_t limit = 200);

// True when both are NaN or both have the same bits (so 0.0 and -0.0 differ).
bool sameDouble(double a, double b);

// Describes the first difference between two value lists, or answers empty.
std::string firstDifference(const std::vector<double>& got, const std::vector<double>& want);

// A file in the temporary directory that lives as long as the process.
class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }
  // Replaces the contents by `pieces`, written one after the other.
  void write(const std::vector<std::string_view>& pieces);

 private:
  std::string path_;
};

}  // namespace xyla::fuzz

#define FUZZ_CHECK(cond, what)                                 \
  do {                                                         \
    if (!(cond)) ::xyla::fuzz::fail(__FILE__, __LINE__, (what)); \
  } while (0)
