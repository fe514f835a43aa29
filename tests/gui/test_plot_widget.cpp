// Pointer, wheel, key and context-menu events sent to the plot view of a real window.
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

#include "gui_fixture.h"
#include "model/fit_row.h"
#include "model/graphic_object.h"
#include "model/settings.h"
#include "model/text_object.h"

namespace xyla::test {
namespace {

using PlotWidgetTest = GuiFixture;

// One row per pointer mode: the drag, and what the document shows afterwards.
struct ModeCase {
  const char* mode;
  double ax, ay, bx, by;
  std::function<void(GuiFixture&)> check;
};

void near(double got, double want, double tol = 0.06) { EXPECT_NEAR(got, want, tol); }

const ModeCase kModes[] = {
    {"zoom", 2, 2, 6, 8, [](GuiFixture& f) { near(f.doc().xmin1, 2), near(f.doc().xmax1, 6), near(f.doc().ymax1, 8); }},
    {"upscale", 0, 0, 5, 5, [](GuiFixture& f) { near(f.doc().xmin1, -1.5), near(f.doc().xmax1, 11.5); }},
    {"downscale", 0, 0, 5, 5, [](GuiFixture& f) { near(f.doc().xmin1, 1.5), near(f.doc().ymax1, 8.5); }},
    {"range", 2, 2, 4, 3, [](GuiFixture& f) { near(f.doc().xmin1, -2), near(f.doc().ymin1, -1); }},
    {"measure", 1, 1, 3, 4, [](GuiFixture& f) { EXPECT_TRUE(f.plot().interaction().overlay().haveoloc); }},
    {"graphic", 1, 1, 4, 4, [](GuiFixture& f) { EXPECT_EQ(f.doc().G.size(), 1u); }},
    {"legend", 1, 1, 2, 1, [](GuiFixture& f) { EXPECT_GT(f.doc().legendx, 100); }},
    {"movex", 1, 1, 3, 1, [](GuiFixture& f) { near(f.doc().buffer(0)->X[0], 2); }},
    {"movey", 1, 1, 1, 2, [](GuiFixture& f) { near(f.doc().buffer(0)->Y[0], 1); }},
    {"movexy", 1, 1, 2, 3, [](GuiFixture& f) { near(f.doc().buffer(0)->X[0], 1), near(f.doc().buffer(0)->Y[0], 2); }},
    {"bgsub", 0, 1, 4, 3, [](GuiFixture&) { near(*Settings::standard()->getFloat("LinBgA"), -0.5, 0.03); }},
    {"shirbg", 8, 1, 2, 2, [](GuiFixture& f) { near(f.m().shirx1, 8), near(f.m().shiry2, 2); }},
    {"normx", 1, 1, 7, 1, [](GuiFixture&) { near(std::stod(*Settings::standard()->getString("NormRef1")), 7); }},
    // the next click fills the second reference
    {"normy", 1, 1, 1, 6,
     [](GuiFixture&) {
       near(std::stod(*Settings::standard()->getString("NormRef2")), 6);
       EXPECT_EQ(Settings::standard()->getInt("NormAxis"), 1);
     }},
    {"subview", 1, 1, 5, 5, [](GuiFixture& f) { EXPECT_EQ(f.doc().subplots.size(), 1u); }},
};

TEST_F(PlotWidgetTest, EveryPointerModeActsOnRelease) {
  for (const ModeCase& c : kModes) {
    SCOPED_TRACE(c.mode);
    m().setCurrentDocument(&doc());
    m().selectAll();
    m().axis12 = 1;
    choose(c.mode);
    EXPECT_EQ(m().pointerMode, c.mode);
    drag(at(c.ax, c.ay), at(c.bx, c.by));
    c.check(*this);
    while (doc().undoStack.canUndo()) doc().undoStack.undo();
    doc().scale(1, 0, 10, 0, 10, false, false);
    doc().subplots.clear();
    doc().G.clear();
    m().currentGraphic = nullptr;
  }
}

TEST_F(PlotWidgetTest, DragsRepaintOverlaysOnlyUntilTheRelease) {
  choose("zoom");
  QApplication::processEvents();
  plot().repaint();
  const long before = plot().fullPasses();
  QTest::mousePress(&plot(), Qt::LeftButton, {}, at(2, 2));
  for (int i = 0; i < 5; ++i) {
    QMouseEvent move(QEvent::MouseMove, at(3 + i, 5), plot().mapToGlobal(at(3 + i, 5)), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(&plot(), &move);
    plot().repaint();
  }
  EXPECT_EQ(plot().fullPasses(), before);
  QTest::mouseRelease(&plot(), Qt::LeftButton, {}, at(7, 5));
  plot().repaint();
  EXPECT_EQ(plot().fullPasses(), before + 1);
  // The status line follows the pointer in data units.
  QTest::mouseMove(&plot(), at(6, 5));
  const double x = doc().xmin1 + 0.6 * (doc().xmax1 - doc().xmin1);
  const QString status = window->statusLabel()->text();
  EXPECT_NEAR(status.section("x = ", 1).section(' ', 0, 0).toDouble(), x, 0.01 * (doc().xmax1 - doc().xmin1)) << window->statusLabel()->text().toStdString();
}

TEST_F(PlotWidgetTest, WheelZoomsInRangeMode) {
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
    const QPointF p = at(5, 5);
    QWheelEvent e(p, plot().mapToGlobal(p), {}, {0, delta}, Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plot(), &e);
  };
  m().axis12 = 1;
  choose("zoom");
  wheel(120, {});
  EXPECT_DOUBLE_EQ(doc().xmax1, 10);
  choose("range");
  wheel(120, {});
  EXPECT_NEAR(doc().xmax1, 10.2, 1e-9);
  wheel(-1200, Qt::AltModifier);
  EXPECT_NEAR(doc().xmax1, 10.2 - 10.4 / 5, 1e-9);
  EXPECT_NEAR(doc().ymax1, 10.2, 1e-9);
}

// Alt+wheel arrives as a horizontal wheel on X11 (with or without Alt still reported): it
// zooms X only, with Control as well both axes, like the vertical wheel with those keys.
TEST_F(PlotWidgetTest, HorizontalWheelZoomsLikeAltWheel) {
  struct Case {
    QPoint delta;
    Qt::KeyboardModifiers mods;
    bool x, y;
  };
  const Case cases[] = {{{120, 0}, Qt::AltModifier, true, false},
                        {{-240, 0}, {}, true, false},
                        {{120, 0}, Qt::AltModifier | Qt::ControlModifier, true, true},
                        {{0, 120}, Qt::AltModifier, true, false},
                        {{0, 120}, {}, true, true}};
  m().axis12 = 1;
  choose("range");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.delta.x() * 1000 + c.delta.y());
    doc().scale(1, 0, 10, 0, 10, false, false);
    const QPointF p = at(5, 5);
    QWheelEvent e(p, plot().mapToGlobal(p), {}, c.delta, Qt::NoButton, c.mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&plot(), &e);
    EXPECT_EQ(doc().xmax1 != 10, c.x);
    EXPECT_EQ(doc().ymax1 != 10, c.y);
  }
}

TEST_F(PlotWidgetTest, KeysNudgeTextsAndRunShortcutMacros) {
  m().GV["hits"] = 0;
  m().GV["big"] = 0;
  addMacro("count", "setvar hits hits+1", 'k');
  addMacro("COUNT", "setvar big big+1", 'K');
  plot().setFocus();
  QTest::keyClick(&plot(), Qt::Key_K, Qt::ControlModifier);
  QTest::keyClick(&plot(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(&plot(), Qt::Key_K, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(m().GV["hits"], 2);
  EXPECT_DOUBLE_EQ(m().GV["big"], 1);
  // A macro on Control+W runs instead of the menu's Close; without one, Close closes.
  addMacro("wins", "setvar hits 10", 'w');
  QTest::keyClick(&plot(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(m().GV["hits"], 10);
  EXPECT_EQ(gui.windows().size(), 1u);

  auto t = std::make_unique<TextObject>(&doc());
  t->text = "peak";
  t->tloc = {200, 300};
  TextObject& text = doc().addText(std::move(t));
  choose("select");
  m().currentText = &text;
  QTest::keyClick(&plot(), Qt::Key_Up);
  QTest::keyClick(&plot(), Qt::Key_Left);
  QTest::keyClick(&plot(), Qt::Key_Left);
  EXPECT_EQ(text.tloc, (ViewPoint{198, 301}));
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);  // the run of nudges is one step
  EXPECT_EQ(text.tloc, (ViewPoint{200, 300}));
  EXPECT_FALSE(doc().undoStack.canUndo());
  QTest::keyClick(&plot(), Qt::Key_Delete);
  EXPECT_TRUE(doc().T.empty());
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);  // Edit > Undo
  EXPECT_EQ(doc().T.size(), 1u);
}

// The in-place editor uses the text's font at the size the plot draws it and grows with
// what is typed, so every line shows whole.
TEST_F(PlotWidgetTest, TextEditorFitsItsTextAndFont) {
  auto t = std::make_unique<TextObject>(&doc());
  t->text = "Au";
  t->font = {"", 24};
  t->tloc = {150, 200};
  t->frame = {150, 200, 30, 24};
  TextObject& text = doc().addText(std::move(t));
  plot().editText(text);
  QPlainTextEdit* editor = plot().textEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->font().pixelSize(), 24);
  QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
  for (const QString& typed : {QString(" 4f7/2 binding energy"), QString("second, longer line")}) {
    if (typed.startsWith('s')) QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, typed);
    const QFontMetricsF fm(editor->font());
    const QStringList lines = editor->toPlainText().split('\n');
    for (const QString& line : lines) EXPECT_GT(editor->viewport()->width(), fm.horizontalAdvance(line));
    EXPECT_GE(editor->viewport()->height(), fm.lineSpacing() * lines.size());
    EXPECT_EQ(editor->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(editor->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(plot().rect().contains(editor->geometry()));
  }
  plot().commitTextEdit();
  EXPECT_EQ(text.text, "Au 4f7/2 binding energy\nsecond, longer line");
}

TEST_F(PlotWidgetTest, TextToolEditsInPlace) {
  choose("text");
  QTest::mouseClick(&plot(), Qt::LeftButton, {}, at(3, 7));
  QPlainTextEdit* editor = plot().textEditor();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "Au 4f");
  QTest::keyClick(editor, Qt::Key_Escape);
  ASSERT_EQ(doc().T.size(), 1u);
  EXPECT_EQ(doc().T[0]->text, "Au 4f");
  // A double click edits it again; emptying it removes it.
  plot().repaint();
  choose("zoom");
  const TextObject& t = *doc().T[0];
  const QPoint inside(qRound(t.frame.x + 3), qRound(plot().height() - t.frame.y - 3));
  QTest::mouseDClick(&plot(), Qt::LeftButton, {}, inside);
  ASSERT_NE(plot().textEditor(), nullptr);
  plot().textEditor()->clear();
  plot().commitTextEdit();
  EXPECT_TRUE(doc().T.empty());
}

// A Shirley drag across a spectrum applies the background with the end points it set
// (asking to sort a spectrum whose X runs downwards, as the button does); the net
// spectrum is fitted next, so the fit panel comes up and, for a table without peaks, the
// Peak tool is chosen. A mere click applies nothing.
TEST_F(PlotWidgetTest, ShirleyDragAppliesTheBackgroundAndLeadsToThePeaks) {
  const struct {
    const char* name;
    bool descending;  // the spectrum's X runs downwards
    double to;        // X where the drag ends (it starts at 9)
    bool tablePeak;   // the fit table has a peak already
    bool applied;
    const char* mode;  // the pointer mode afterwards
  } cases[] = {
      {"descending spectrum", true, 1, false, true, "peak"},
      {"ascending spectrum", false, 1, false, true, "peak"},
      {"a click", false, 9, false, false, "shirbg"},
      {"table with a peak", false, 1, true, true, "shirbg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gui.showPanel("FitInspectorVisible", false);
    doc().DB.resize(1);
    DataBuffer& b = *doc().buffer(0);
    b.X.clear(), b.Y.clear();
    for (int i = 0; i <= 100; ++i) {
      const double x = c.descending ? 10 - i * 0.1 : i * 0.1;
      b.addDoubleValue(x, 1 + 0.1 * x + 5 * std::exp(-(x - 5) * (x - 5)));
    }
    doc().current = 0;
    doc().F.assign(kFitRowCount, FitRow{});
    if (c.tablePeak) doc().F[0].set(FitCell::Function, "GL");
    doc().scale(1, 0, 10, 0, 10, false, false);
    m().setCurrentDocument(&doc());
    m().setSelection({0});
    ui.alerts.clear();
    choose("shirbg");
    drag(at(9, 1.9), at(c.to, 1.1));
    QApplication::processEvents();
    EXPECT_EQ(doc().bufferCount(), c.applied ? 3 : 1);
    std::vector<std::string> titles;
    for (const auto& a : ui.alerts) titles.push_back(a.title);
    EXPECT_EQ(titles, c.descending ? std::vector<std::string>{"Unsorted Buffer"} : std::vector<std::string>{});
    EXPECT_EQ(gui.panelVisible("FitInspectorVisible"), c.applied);
    EXPECT_EQ(m().pointerMode, c.mode);
    EXPECT_EQ(doc().current, c.applied ? 1 : 0);  // the net spectrum
  }
}

TEST_F(PlotWidgetTest, ContextMenuOffersRescaleUpscaleDownscale) {
  m().axis12 = 1;
  QStringList titles;
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions()) titles << a->text();
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QTest::mouseClick(&plot(), Qt::RightButton, {}, at(5, 5));
  EXPECT_EQ(titles, (QStringList{"Rescale", "Upscale", "Downscale"}));
  EXPECT_NEAR(doc().xmin1, 1, 1e-9);  // "Upscale" zooms in

  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QTest::mouseClick(&plot(), Qt::LeftButton, Qt::ControlModifier, at(5, 5));
  EXPECT_LT(doc().xmin1, 0);  // rescaled to the buffer 0..10 with a margin
  EXPECT_GT(doc().xmax1, 10);
}

}  // namespace
}  // namespace xyla::test
