#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/view_mapping.h"
#include "model/xyla_document.h"
#include "render/recording_canvas.h"
#include "render/xyla_view.h"
#include "support/scripted_ui.h"

namespace xyla::test {

// A document in a 400 x 300 view with margins 60/20/20/50 (frame 60, 50, 320, 230),
// ranges 0..10 on both axes of range 1, drawn on a recording canvas.
struct ViewScene {
  ViewScene() : m(ui), doc(&m), view(&m, 400, 300) {
    doc.marginleft = 60;
    doc.marginright = 20;
    doc.margintop = 20;
    doc.marginbottom = 50;
    doc.scale(1, 0, 10, 0, 10, false, false);
    m.setCurrentDocument(&doc);
    view.setXylaDocument(&doc);
  }

  DataBuffer& addBuffer(std::initializer_list<std::pair<double, double>> pts) {
    DataBuffer& b = doc.newBuffer();
    for (auto [x, y] : pts) b.addDoubleValue(x, y);
    return b;
  }

  // Leaves out margins, background, axes and frame, so a pass draws only the objects
  // and series a test is about.
  void bare() {
    doc.drawmargin = doc.drawbackground = doc.drawframe = false;
    doc.axis.fill(false);
  }

  // Runs the drawing pass on a fresh recording, with `pointer` over it when shown.
  void draw() {
    canvas = RecordingCanvas();
    view.prepare(canvas);
    view.drawRect(canvas, showPointer ? &pointer : nullptr);
  }

  // The recording followed by what the preparation left in the document: number
  // extents and tick-label keys of each drawn axis, the ranges, and the alerts shown.
  std::string dump() const {
    std::string out = canvas.dump();
    char line[160];
    for (int k = 0; k < 4; ++k) {
      if (!doc.axis[k]) continue;
      std::snprintf(line, sizeof line, "axis %d numbers %gx%g labels", k, doc.axm[k][0], doc.axm[k][1]);
      out += line;
      for (const std::string& key : doc.alabelindex[k]) out += " " + key;
      out += "\n";
    }
    std::snprintf(line, sizeof line, "ranges %g %g %g %g / %g %g %g %g\n", doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1,
                  doc.xmin2, doc.xmax2, doc.ymin2, doc.ymax2);
    out += line;
    for (const auto& a : ui.alerts) out += "alert " + a.title + ": " + a.message + "\n";
    return out;
  }

  // Index of the first recorded operation satisfying `pred`, or -1.
  template <typename Pred>
  int firstOp(Pred pred) const {
    for (std::size_t i = 0; i < canvas.ops.size(); ++i)
      if (pred(canvas.ops[i])) return static_cast<int>(i);
    return -1;
  }

  ScriptedUi ui;
  PointerOverlay pointer;
  bool showPointer = false;
  Manager m;
  XylaDocument doc;
  XylaView view;
  RecordingCanvas canvas;
};

class ViewFixture : public ::testing::Test, public ViewScene {};

inline bool sameColour(const Colour& a, const Colour& b) {
  return std::fabs(a.r - b.r) < 1e-9 && std::fabs(a.g - b.g) < 1e-9 && std::fabs(a.b - b.b) < 1e-9 &&
         std::fabs(a.a - b.a) < 1e-9;
}

}  // namespace xyla::test
