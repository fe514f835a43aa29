// The binary, VAMAS and MySQL imports on large inputs: a file of 10^8 doubles in one
// column, a VAMAS file of 100 blocks of 10^4 points, and a query of 10^6 rows of two
// columns from a MariaDB server of the benchmark's own.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/import_test_file.h"
#include "io/binary_import.h"
#include "io/mysql_import.h"
#include "io/vamas_import.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"
#include "tests/support/mariadb_server.h"

namespace {

std::string g_dir;
std::string g_binary, g_vamas;
std::unique_ptr<xyla::test::MariaDbServer> g_server;

constexpr long kDoubles = 100'000'000;
constexpr int kBlocks = 100, kPoints = 10'000;
constexpr int kRows = 1'000'000;

std::string writeBinary() {
  const std::string path = g_dir + "/column.bin";
  std::ofstream f(path, std::ios::binary);
  std::vector<double> chunk(1 << 20);
  for (long done = 0; done < kDoubles; done += static_cast<long>(chunk.size())) {
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = 0.5 * static_cast<double>(done + static_cast<long>(i));
    f.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size() * sizeof(double)));
  }
  return path;
}

std::string writeVamas() {
  const std::string path = g_dir + "/blocks.vms";
  std::ofstream f(path);
  f << "VAMAS Surface Chemical Analysis Standard Data Transfer Format 1988 May 4\nLab\nModel\nOp\nExp\n0\n"
       "NORM\nREGULAR\n1\n0\n0\n0\n0\n0\n" << kBlocks << "\n";
  for (int b = 0; b < kBlocks; ++b) {
    f << "Block " << b << "\nS\n2020\n1\n1\n0\n0\n0\n0\n0\nXPS\nAl\n1486.6\n225\n1E+37\n1E+37\n1E+37\n1E+37\nFAT\n20\n"
         "1E+37\n4.5\n0\n1E+37\n1E+37\n1E+37\n1E+37\nC\n1s\n-1\nKinetic Energy\neV\n1100\n0.01\n1\nIntensity\nd\n"
         "pulse counting\n0.1\n1\n0\n1E+37\n1E+37\n1E+37\n0\n" << kPoints << "\n0\n99999\n";
    for (int i = 0; i < kPoints; ++i) f << 1000 + (i * 7919) % 98000 << ".5\n";
  }
  f << "end of experiment\n";
  return path;
}

void BM_BinaryImport(benchmark::State& state) {
  xyla::SilentUi ui;
  for (auto _ : state) {
    xyla::XylaDocument doc;
    xyla::BinaryImportOptions o;
    o.file = g_binary;
    o.columns = 1;
    xyla::binaryImport(doc, o, ui);
    benchmark::DoNotOptimize(doc.buffer(0)->Y.data());
  }
  state.SetBytesProcessed(state.iterations() * kDoubles * 8);
}
BENCHMARK(BM_BinaryImport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_VamasImport(benchmark::State& state) {
  xyla::SilentUi ui;
  for (auto _ : state) {
    xyla::XylaDocument doc;
    xyla::vamasImport(doc, g_vamas, state.range(0) != 0, ui);
    benchmark::DoNotOptimize(doc.buffer(kBlocks - 1)->Y.data());
  }
  state.SetItemsProcessed(state.iterations() * kBlocks * kPoints);
  state.SetLabel(state.range(0) ? "counts per second" : "counts");
}
BENCHMARK(BM_VamasImport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MySQLImport(benchmark::State& state) {
  if (!g_server || !g_server->running()) {
    state.SkipWithError("no MariaDB server");
    return;
  }
  xyla::SilentUi ui;
  const xyla::MySQLSource q{g_server->host(), g_server->database(), g_server->user(), g_server->password(),
                            g_server->port(), "SELECT x, y FROM big"};
  for (auto _ : state) {
    xyla::XylaDocument doc;
    if (xyla::importMySQL(doc, q, false, false, ui) != 1 || doc.buffer(0)->count() != kRows) {
      state.SkipWithError("the query failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_MySQLImport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  g_dir = xyla::bench::makeBenchTempDir();
  if (g_dir.empty()) return 1;
  g_binary = writeBinary();
  g_vamas = writeVamas();
  if (!xyla::test::MariaDbServer::missing()) {
    g_server = std::make_unique<xyla::test::MariaDbServer>();
    if (g_server->running()) {
      const std::string error = g_server->run(
          "USE xylatest;\nCREATE TABLE big (x DOUBLE, y DOUBLE);\n"
          "INSERT INTO big SELECT seq, seq * 0.5 FROM seq_1_to_" + std::to_string(kRows));
      if (!error.empty()) std::fprintf(stderr, "cannot fill the table: %s\n", error.c_str());
    } else {
      std::fprintf(stderr, "no MariaDB server: %s\n", g_server->error().c_str());
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_server.reset();
  std::remove(g_binary.c_str());
  std::remove(g_vamas.c_str());
  std::remove(g_dir.c_str());
  return 0;
}
