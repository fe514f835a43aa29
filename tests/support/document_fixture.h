#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/buffer_properties.h"
#include "model/document_properties.h"
#include "model/document_services.h"
#include "model/manager.h"
#include "model/object_properties.h"
#include "model/xyla_document.h"
#include "support/populate.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

namespace xyla::test {

// Sets every stored field of `d` to a value that differs from its default: document and
// axis fields, three buffers with points and errors, a populated and a default text and
// graphic (the first with picture bytes) and two fit-table rows. Different seeds give
// different values.
inline void populateDocument(XylaDocument& d, int seed) {
  populate(documentProperties(), d, seed);
  for (const DocumentProperty& p : documentProperties())  // the file keeps these whole
    if (p.truncated) d.*std::get<double XylaDocument::*>(p.member) = 10 + seed;
  for (int k = 0; k < 4; ++k) populate(axisProperties(), d, seed + 10 * (k + 1), k);
  for (int n = 0; n < 3; ++n) {
    DataBuffer& b = d.newBuffer();
    for (int i = 0; i < 5 + n + seed; ++i) b.quickAddDoubleValueError(i * 0.5 + n, i * i - 3.25, 0.1 * i, 0.2 * i);
    b.rescale();
    populate(bufferProperties(), b, seed + 50 + n);
  }
  d.F[0] = FitRow::fromDictionary({{"active", ""},
                                   {"function", "GL"},
                                   {"A", "284.5~"},
                                   {"B", "1000~"},
                                   {"C", "1.2~"},
                                   {"D", "0.3"},
                                   {"E", ""},
                                   {"weight", "1"},
                                   {"percent", "25"}});
  d.F[5].set(FitCell::Function, "A*x");
  auto t = std::make_unique<TextObject>();
  populate(textProperties(), *t, seed + 60);
  t->text = "Peak 1\nC 1s ∆E = " + std::to_string(seed);
  d.addText(std::move(t));
  d.addText(std::make_unique<TextObject>());
  auto g = std::make_unique<Graphic>();
  populate(graphicProperties(), *g, seed + 70);
  g->image = {0x89, 'P', 'N', 'G', 0, 1, 2, 255};
  d.addGraphic(std::move(g));
  d.addGraphic(std::make_unique<Graphic>());
}

// The work of the document timers, recorded: the macro names run and the comments of
// the buffers read again from their source.
class RecordedTimerWork : public MacroRunner, public SourceReader {
 public:
  void runMacrosNamed(XylaDocument&, const std::string& name) override { ran.push_back(name); }
  void refreshFromSource(DataBuffer& b, Ui&) const override { refreshed.push_back(b.comment); }

  std::vector<std::string> ran;
  mutable std::vector<std::string> refreshed;
};

// A document of its own with a manager, a scripted Ui and fresh user defaults.
class DocumentFixture : public ::testing::Test {
 protected:
  DocumentFixture() { m.setCurrentDocument(&doc); }

  // Appends a buffer with the points (x[i], y[i]).
  DataBuffer& addBuffer(const std::vector<double>& x, const std::vector<double>& y) {
    DataBuffer& b = doc.newBuffer();
    for (std::size_t i = 0; i < x.size(); ++i) b.addDoubleValue(x[i], y[i]);
    return b;
  }

  TempSettings settings;
  ScriptedUi ui;
  Manager m{ui};
  XylaDocument doc{&m};
};

}  // namespace xyla::test
