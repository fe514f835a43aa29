// Speed of the data inspector: opening it on a buffer of a million points (target under
// 100 ms), opening it on a document of 2000 buffers (target under 100 ms), and typing
// one value into the million-point table (the edit, its undo step and the table's
// refresh; the plot's own redraw is BM_FullRedraw of bench_gui).
#include <benchmark/benchmark.h>

#include <QPixmap>
#include <QTableView>
#include <memory>

#include "app/buffer_list.h"
#include "gui/data_panel.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/silent_ui.h"
#include "model/xyla_document.h"

namespace {

struct Scene {
  xyla::SilentUi ui;
  xyla::Manager m{ui};
  xyla::XylaDocument doc{&m};

  Scene(int buffers, long points) {
    for (int k = 0; k < buffers; ++k) {
      xyla::DataBuffer& b = doc.newBuffer();
      b.X.resize(points);
      b.Y.resize(points);
      for (long i = 0; i < points; ++i) {
        b.X[i] = 280 + 0.01 * i;
        b.Y[i] = 1000 + (i * 7919 % 1000);
      }
      b.source = "/data/spectrum" + std::to_string(k) + ".txt";
      b.rescale();
    }
    doc.current = 0;
    m.setCurrentDocument(&doc);
  }
};

// A new inspector on the document, shown and painted once.
void open(Scene& s) {
  xyla::gui::DataPanel panel(s.m);
  panel.resize(620, 640);
  panel.show();
  benchmark::DoNotOptimize(panel.grab());
}

void BM_OpenDataTableMillionPoints(benchmark::State& state) {
  Scene s(1, 1000000);
  for (auto _ : state) open(s);
}
BENCHMARK(BM_OpenDataTableMillionPoints)->Unit(benchmark::kMillisecond);

void BM_OpenBufferList2000Buffers(benchmark::State& state) {
  Scene s(2000, 50);
  for (auto _ : state) open(s);
}
BENCHMARK(BM_OpenBufferList2000Buffers)->Unit(benchmark::kMillisecond);

void BM_TypeOneValueMillionPoints(benchmark::State& state) {
  Scene s(1, 1000000);
  xyla::gui::DataPanel panel(s.m);
  panel.show();
  int row = 0;
  for (auto _ : state) {
    xyla::bufferlist::setData(s.m, row, xyla::bufferlist::YValue, "1234.5");
    panel.refresh();
    row = (row + 9973) % 1000000;
  }
}
BENCHMARK(BM_TypeOneValueMillionPoints)->Unit(benchmark::kMillisecond);

}  // namespace
