#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include "app/application.h"
#include "gui/document_window.h"
#include "gui/gui_application.h"
#include "gui/plot_widget.h"
#include "gui/tool_palette.h"
#include "macro/macro_controller.h"
#include "macro/macro_store.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

namespace xyla::test {

namespace gui = xyla::gui;

// One document window (as large as the offscreen screen lets a new window be) showing a
// buffer on ranges 0..10, with scripted
// answers to every question. `at` turns data values of range 1 into widget positions.
class GuiFixture : public ::testing::Test {
 public:
  GuiFixture() : gui(ui), app(gui.app()) {
    XylaDocument& d = app.newDocument();
    DataBuffer& b = d.newBuffer();
    for (int i = 0; i <= 10; ++i) b.addDoubleValue(i, i % 3);
    gui.adoptDocuments();
    window = gui.windows().front();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    doc().scale(1, 0, 10, 0, 10, false, false);
    doc().edited = false;
    doc().undoStack.clear();
    QApplication::processEvents();
  }
  ~GuiFixture() override {
    for (gui::DocumentWindow* w : gui.windows()) w->closeQuietly();
    QApplication::processEvents();
  }

  XylaDocument& doc() { return window->document(); }
  gui::PlotWidget& plot() { return window->plot(); }
  Manager& m() { return app.manager(); }

  QPoint at(double x, double y) {
    const XylaDocument& d = plot().document();
    const double w = plot().width() - d.marginleft - d.marginright, h = plot().height() - d.margintop - d.marginbottom;
    const double px = d.marginleft + x * w / 10, py = d.marginbottom + y * h / 10;
    return {qRound(px), qRound(plot().height() - py)};
  }
  // Presses the tool button of `mode`, as a person would.
  void choose(const std::string& mode) { window->palette().action(mode)->trigger(); }
  void drag(QPoint a, QPoint b, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(&plot(), Qt::LeftButton, mods, a);
    QMouseEvent move(QEvent::MouseMove, (a + b) / 2, plot().mapToGlobal((a + b) / 2), Qt::NoButton,
                     Qt::LeftButton, mods);
    QApplication::sendEvent(&plot(), &move);
    QMouseEvent end(QEvent::MouseMove, b, plot().mapToGlobal(b), Qt::NoButton, Qt::LeftButton, mods);
    QApplication::sendEvent(&plot(), &end);
    QTest::mouseRelease(&plot(), Qt::LeftButton, mods, b);
  }
  // Replaces the text of a line edit as a person would and presses Return.
  static void type(QLineEdit* line, const QString& text) {
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Return);
  }
  void addMacro(const std::string& name, const std::string& src, int shortcut = 0) {
    app.macros().store().MA.push_back(std::make_unique<Macro>(name, src, shortcut, 0));
  }

  TempSettings settings;
  ScriptedUi ui;
  gui::GuiApplication gui;
  Application& app;
  gui::DocumentWindow* window = nullptr;
};

}  // namespace xyla::test
