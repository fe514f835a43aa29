// Saving and loading a large document: 100 buffers of 100,000 points each, in the XML
// and the binary property-list forms, beside plain base64 of the same number blocks
// (the part of the XML form that no writer can avoid).
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <memory>

#include "model/document_archive.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

constexpr int kBuffers = 100;
constexpr int kPoints = 100000;

const xyla::XylaDocument& largeDocument() {
  static const auto doc = [] {
    auto d = std::make_unique<xyla::XylaDocument>();
    for (int b = 0; b < kBuffers; ++b) {
      auto buf = std::make_unique<xyla::DataBuffer>();
      buf->X.resize(kPoints);
      buf->Y.resize(kPoints);
      for (int i = 0; i < kPoints; ++i) {
        buf->X[i] = 280.0 + i * 0.001;
        buf->Y[i] = 1000.0 * b + 0.37 * i * i / (i + 1.0);
      }
      buf->rescale();
      d->appendBuffer(std::move(buf));
    }
    return d;
  }();
  return *doc;
}

void save(benchmark::State& state, xyla::archive::PlistFormat format) {
  const auto& doc = largeDocument();
  std::size_t size = 0;
  for (auto _ : state) {
    const std::string bytes = xyla::dataRepresentationOfType(doc, xyla::kDocumentType, format);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["file_MB"] = double(size) / 1e6;
}

void load(benchmark::State& state, xyla::archive::PlistFormat format) {
  const std::string bytes = xyla::dataRepresentationOfType(largeDocument(), xyla::kDocumentType, format);
  xyla::SilentUi ui;
  for (auto _ : state) {
    xyla::XylaDocument doc;
    if (!xyla::loadDataRepresentation(doc, bytes, xyla::kDocumentType, ui)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(doc.DB.data());
  }
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
}

void BM_SaveXml(benchmark::State& s) { save(s, xyla::archive::PlistFormat::Xml); }
void BM_LoadXml(benchmark::State& s) { load(s, xyla::archive::PlistFormat::Xml); }
void BM_SaveBinary(benchmark::State& s) { save(s, xyla::archive::PlistFormat::Binary); }
void BM_LoadBinary(benchmark::State& s) { load(s, xyla::archive::PlistFormat::Binary); }

// Base64 of every number block alone, for comparison with the XML times.
void BM_Base64BlocksOnly(benchmark::State& state) {
  const auto& doc = largeDocument();
  for (auto _ : state) {
    std::size_t total = 0;
    for (const auto& b : doc.DB) {
      for (const auto* v : {&b->X, &b->Y}) {
        const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(v->data()),
                                                       qsizetype(v->size() * sizeof(double)));
        const QByteArray text = raw.toBase64();
        total += std::size_t(QByteArray::fromBase64(text).size());
      }
    }
    benchmark::DoNotOptimize(total);
  }
}

BENCHMARK(BM_SaveXml)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadXml)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveBinary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Base64BlocksOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
