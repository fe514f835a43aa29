// Peak memory of an ASCII import, measured in a process of its own so that nothing else
// inflates the figure.
//
//   import_peak_memory [--lines N] [--max-ratio R] [FILE]
//
// Without FILE it writes the deterministic two-column test file of N lines (10 million
// by default) to a temporary directory, imports it with the default options (mode 0, X in
// column 1) and removes it again. It prints the peak resident set size of the process
// and its ratio to the 16 bytes per point that X and Y need, and the time the import took
// in this fresh process; with --max-ratio it exits with status 1 when the ratio is above R.
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/import_test_file.h"
#include "io/ascii_import.h"
#include "model/xyla_document.h"

namespace {

// Peak resident set size of this process so far, in bytes.
double peakRssBytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) * 1024.0;  // ru_maxrss is in KiB on Linux
}

std::size_t fileBytes(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

int usage() {
  std::fprintf(stderr, "usage: import_peak_memory [--lines N] [--max-ratio R] [FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = 10'000'000;
  double maxRatio = 0.0;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--lines") && i + 1 < argc)
      lines = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--max-ratio") && i + 1 < argc)
      maxRatio = std::atof(argv[++i]);
    else if (argv[i][0] == '-')
      return usage();
    else
      file = argv[i];
  }

  std::string dir;
  if (file.empty()) {
    dir = xyla::bench::makeBenchTempDir();
    file = dir + "/two_columns.txt";
    if (dir.empty() || xyla::bench::writeImportTestFile(file, lines) == 0) {
      std::fprintf(stderr, "cannot write the test file\n");
      return 2;
    }
  }

  const double before = peakRssBytes();
  long points = 0;
  double seconds = 0.0;
  std::size_t bytes = 0;
  {
    xyla::XylaDocument doc;
    xyla::ImportOptions o;
    o.file = file;
    bytes = fileBytes(file);
    const auto start = std::chrono::steady_clock::now();
    xyla::importFile(doc, o);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& b : doc.getDataBuffer()) points += b->count();
  }
  const double peak = peakRssBytes();
  if (!dir.empty()) {
    std::remove(file.c_str());
    std::remove(dir.c_str());
  }
  if (points == 0) {
    std::fprintf(stderr, "the import gave no points\n");
    return 2;
  }

  const double need = 16.0 * static_cast<double>(points);
  const double ratio = peak / need;
  std::printf("file:                   %.1f MB\n", static_cast<double>(bytes) / 1e6);
  std::printf("import time:            %.0f ms (%.0f MB/s)\n", seconds * 1e3,
              static_cast<double>(bytes) / 1e6 / seconds);
  std::printf("points:                 %ld\n", points);
  std::printf("X and Y data:           %.1f MB\n", need / 1e6);
  std::printf("peak RSS before import: %.1f MB\n", before / 1e6);
  std::printf("peak RSS:               %.1f MB\n", peak / 1e6);
  std::printf("ratio to 16 B/point:    %.3f\n", ratio);
  std::printf("ratio of import growth: %.3f\n", (peak - before) / need);
  if (maxRatio > 0.0 && ratio > maxRatio) {
    std::printf("above the limit of %.3f\n", maxRatio);
    return 1;
  }
  return 0;
}
