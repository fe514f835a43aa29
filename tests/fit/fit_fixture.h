#pragma once

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "expr/builtins.h"
#include "fit/fit_controller.h"
#include "io/ascii_import.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "shapes/line_shapes.h"
#include "support/scripted_ui.h"
#include "support/test_files.h"

namespace xyla::test {

// A document with one buffer and a fit controller bound to it.
struct FitFixture {
  ScriptedUi ui;
  Manager manager{ui};
  XylaDocument doc{&manager};
  fit::Fit fit;

  FitFixture() {
    manager.setCurrentDocument(&doc);
    expr::setCalcManager(&manager);
    fit.setupFit(&manager, &doc);
    fit.panel.preview = false;
  }

  // Fills table row `row` (0-based) and marks it active.
  void row(int r, const std::string& function, const std::string& a, const std::string& b, const std::string& c,
           const std::string& d = "", const std::string& e = "", const std::string& weight = "") {
    FitRow& f = doc.F[r];
    f.setActive(true);
    const std::string* cells[] = {&function, &a, &b, &c, &d, &e, &weight};
    for (int i = 0; i < 7; ++i) f.set(static_cast<FitCell>(i), *cells[i]);
  }

  DataBuffer& data(const std::vector<double>& x, const std::vector<double>& y) {
    auto b = std::make_unique<DataBuffer>();
    for (std::size_t i = 0; i < x.size(); ++i) b->quickAddDoubleValue(x[i], y[i]);
    b->rescale();
    DataBuffer& ref = doc.appendBuffer(std::move(b));
    doc.current = doc.bufferCount() - 1;
    return ref;
  }

  std::string cell(int r, FitCell c) { return doc.F[r].get(c); }
};

// A peak of a synthetic spectrum.
struct TruePeak {
  double x0, h, w, m;
};

// Three overlapping Gauss-Lorentz peaks on 1201 points from 280 to 292 with Gaussian noise
// of standard deviation `noise` (fixed seed).
inline void syntheticSpectrum(const std::vector<TruePeak>& peaks, double noise, std::vector<double>& x,
                              std::vector<double>& y, int points = 1201) {
  std::mt19937 rng(12345);
  std::normal_distribution<double> gauss(0.0, noise);
  x.resize(points);
  y.resize(points);
  for (int i = 0; i < points; ++i) {
    x[i] = 280.0 + 12.0 * i / (points - 1);
    double v = 0.0;
    for (const TruePeak& p : peaks) v += shapes::galo(x[i], p.x0, p.h, p.w, p.m);
    y[i] = v + (noise > 0 ? gauss(rng) : 0.0);
  }
}

// Imports the measured spectrum tests/data/xps/<name> into `f`, sorted by X.
inline DataBuffer& importSorted(FitFixture& f, const std::string& name, const std::string& separator = "") {
  ImportOptions o;
  o.file = dataDir() + "/xps/" + name;
  o.separator = separator;
  if (importFile(f.doc, o) != 1) throw std::runtime_error("cannot import " + o.file);  // fails the test
  DataBuffer& raw = *f.doc.buffer(0);
  raw.sort(0);
  return raw;
}

// Loads a synthetic spectrum into `f` as its current buffer and returns its X values.
inline std::vector<double> loadSpectrum(FitFixture& f, const std::vector<TruePeak>& peaks, double noise,
                                        int points = 1201) {
  std::vector<double> x, y;
  syntheticSpectrum(peaks, noise, x, y, points);
  f.data(x, y);
  return x;
}

}  // namespace xyla::test
