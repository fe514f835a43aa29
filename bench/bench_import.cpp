// Speed of the ASCII import: the whole import of a 10-million-line two-column file, the
// line reader alone, and the number scanner on typical lines. The target for the whole
// import is 250 MB/s on one core.
//
// The test file is generated once per run into a fresh temporary directory and removed
// afterwards. XYLA_BENCH_IMPORT_FILE names an existing file to read instead, and
// XYLA_BENCH_IMPORT_LINES changes the number of generated lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/import_test_file.h"
#include "io/ascii_import.h"
#include "model/text_scan.h"
#include "model/xyla_document.h"

namespace {

namespace ts = xyla::textscan;

struct TestFile {
  std::string path;
  std::string dir;  // set when the file is ours to remove
  std::size_t bytes = 0;
  long lines = 0;
};

TestFile g_file;

std::size_t fileBytes(const std::string& path) {
  ts::LineReader r(path);
  return r.fileSize();
}

// Imports the test file with the default options: mode 0, X in column 1, only
// lines that start like a number. Arg 0 finds the numbers in each line; arg 1 splits the
// line at tabs instead, as with the separator option set to a tab.
void BM_ImportFile(benchmark::State& state) {
  const bool tabs = state.range(0) == 1;
  for (auto _ : state) {
    auto doc = std::make_unique<xyla::XylaDocument>();
    xyla::ImportOptions o;
    o.file = g_file.path;
    if (tabs) o.separator = "\t";
    const int made = xyla::importFile(*doc, o);
    state.PauseTiming();
    const xyla::DataBuffer* b = doc->buffer(0);
    if (made != 1 || !b || (g_file.lines > 0 && b->count() != g_file.lines)) {
      state.ResumeTiming();
      state.SkipWithError("import did not give one buffer with one point per line");
      break;
    }
    doc.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(g_file.bytes));
  if (g_file.lines > 0) state.SetItemsProcessed(state.iterations() * g_file.lines);
  state.SetLabel(tabs ? "tab separator" : "numbers in the line");
}
BENCHMARK(BM_ImportFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The line reader alone over the same file: the floor under the import.
void BM_ReadLines(benchmark::State& state) {
  for (auto _ : state) {
    ts::LineReader r(g_file.path);
    std::size_t n = 0;
    while (auto line = r.ugstrView()) n += line->size();
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(g_file.bytes));
}
BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// Lines as the import meets them, trimmed. Arg 0: plain decimal points as written by
// programs; arg 1: decimal commas, thousands separators and other separators.
std::vector<std::string> typicalLines(int kind) {
  if (kind == 0)
    return {"299.9000000000001\t1923.0", "299.89999\t1877.5", "299.8999800000001\t2011.0", "12.5 -0.003 1e5",
            "-2.5E-3\t4.75\t0.01",       "1023 88",           "0.000123456789 98765.4321", "300\t0"};
  return {"1,5;2,5",       "1.234.567 8", "1.234,5\t-3,25", "x=3 y=4,5",
          "12,000.5 7,25", "n/a 17,0",    "1,5 2,5 3,5",    "-1.000.000,25 0,001"};
}

void BM_Cutnum(benchmark::State& state) {
  const std::vector<std::string> lines = typicalLines(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (const auto& l : lines) bytes += l.size();
  std::vector<double> out(ts::kMaxFields);
  for (auto _ : state) {
    for (const auto& l : lines) {
      benchmark::DoNotOptimize(ts::cutnum(l, out.data(), ts::kMaxFields));
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
  state.SetLabel(state.range(0) == 0 ? "decimal points" : "commas and thousands separators");
}
BENCHMARK(BM_Cutnum)->Arg(0)->Arg(1);

bool prepareFile() {
  if (const char* given = std::getenv("XYLA_BENCH_IMPORT_FILE"); given && *given) {
    g_file.path = given;
    g_file.bytes = fileBytes(given);
    return g_file.bytes > 0;
  }
  g_file.lines = 10'000'000;
  if (const char* n = std::getenv("XYLA_BENCH_IMPORT_LINES"); n && *n) g_file.lines = std::atol(n);
  g_file.dir = xyla::bench::makeBenchTempDir();
  if (g_file.dir.empty()) return false;
  g_file.path = g_file.dir + "/two_columns.txt";
  g_file.bytes = xyla::bench::writeImportTestFile(g_file.path, g_file.lines);
  return g_file.bytes > 0;
}

void removeFile() {
  if (g_file.dir.empty()) return;
  std::remove(g_file.path.c_str());
  std::remove(g_file.dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!prepareFile()) {
    std::fprintf(stderr, "cannot prepare the import test file\n");
    removeFile();
    return 1;
  }
  benchmark::AddCustomContext("import_file_bytes", std::to_string(g_file.bytes));
  benchmark::AddCustomContext("import_file_lines", std::to_string(g_file.lines));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  removeFile();
  return 0;
}
