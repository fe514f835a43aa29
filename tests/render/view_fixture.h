#pragma once

#include <gtest/gtest.h>

#include <cmath>
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
class ViewFixture : public ::testing::Test {
 protected:
  ViewFixture() : m(ui), doc(&m), view(&m, 400, 300) {
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

  // Runs the drawing pass on a fresh recording.
  void draw() {
    canvas = RecordingCanvas();
    view.drawRect(canvas);
  }

  // Index of the first recorded operation satisfying `pred`, or -1.
  template <typename Pred>
  int firstOp(Pred pred) const {
    for (std::size_t i = 0; i < canvas.ops.size(); ++i)
      if (pred(canvas.ops[i])) return static_cast<int>(i);
    return -1;
  }

  ScriptedUi ui;
  Manager m;
  XylaDocument doc;
  XylaView view;
  RecordingCanvas canvas;
};

inline bool sameColour(const Colour& a, const Colour& b) {
  return std::fabs(a.r - b.r) < 1e-9 && std::fabs(a.g - b.g) < 1e-9 && std::fabs(a.b - b.b) < 1e-9 &&
         std::fabs(a.a - b.a) < 1e-9;
}

}  // namespace xyla::test
