// The pointer, wheel, key and context-menu behaviour of the plot view, without windows.
// The fixture's frame is (60, 50, 320, 230) over 0..10 on both axes of range 1, so a
// data value v sits at x = 60 + 32 v and y = 50 + 23 v.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "model/graphic_object.h"
#include "model/text_object.h"
#include "render/interaction_edits.h"
#include "render/view_interaction.h"
#include "view_fixture.h"

namespace xyla::test {
namespace {

PointF at(double x, double y) { return {60 + 32 * x, 50 + 23 * y}; }

struct Range {
  double xmin, xmax, ymin, ymax;
};

// Records what the pointer hands on.
class RecordedHost : public InteractionHost {
 public:
  void setFitParam(double x, double y) override { fitParams.push_back({x, y}); }
  void setMouseLocation(double value) override { mouseLocations.push_back(value); }
  void setLinearBackground(double a, double b) override { backgrounds.push_back({a, b}); }
  void runShortcut(int key) override { shortcuts.push_back(key); }
  void editText(TextObject& t) override { edited.push_back(&t); }
  void showInspector(const std::string& page) override { pages.push_back(page); }
  void pressPeak(double x, double y, double tolX, double tolY) override {
    peaks.push_back({'p', x, y});
    tolerances.push_back({tolX, tolY});
  }
  void dragPeak(double x, double y) override { peaks.push_back({'d', x, y}); }
  void releasePeak(double x, double y) override { peaks.push_back({'r', x, y}); }

  struct PeakEvent {
    char kind;
    double x, y;
  };
  std::vector<PeakEvent> peaks;
  std::vector<PointF> tolerances;

  std::vector<PointF> fitParams, backgrounds;
  std::vector<double> mouseLocations;
  std::vector<int> shortcuts;
  std::vector<TextObject*> edited;
  std::vector<std::string> pages;
};

class InteractionTest : public ViewFixture {
 protected:
  InteractionTest() : act(view, &host) {
    doc.scale(2, 0, 1, 0, 1, false, false);
    doc.undoStack.clear();
    draw();  // lays out the frame as a window would before any event
  }
  void dragIn(const std::string& mode, PointF a, PointF b, int axis12 = 0, PointerModifiers mods = {}) {
    m.pointerMode = mode;
    m.axis12 = axis12;
    act.mouseDown(a, mods);
    act.mouseDragged({(a.x + b.x) / 2, (a.y + b.y) / 2});
    act.mouseDragged(b);
    EXPECT_FALSE(view.redraw) << "a drag draws overlays only";
    act.mouseUp(b);
    EXPECT_TRUE(view.redraw);
  }
  Range range(int r) const {
    return r == 1 ? Range{doc.xmin1, doc.xmax1, doc.ymin1, doc.ymax1} : Range{doc.xmin2, doc.xmax2, doc.ymin2, doc.ymax2};
  }
  static void expectRange(const Range& got, const Range& want) {
    EXPECT_NEAR(got.xmin, want.xmin, 1e-9);
    EXPECT_NEAR(got.xmax, want.xmax, 1e-9);
    EXPECT_NEAR(got.ymin, want.ymin, 1e-9);
    EXPECT_NEAR(got.ymax, want.ymax, 1e-9);
  }
  RecordedHost host;
  ViewInteraction act;
};

// ---- ranges: zoom, scale by a click, pan ----

struct RangeCase {
  const char* mode;
  int axis12;
  PointF press, release;
  Range want1, want2;
  std::size_t undoSteps;
};

class RangeRelease : public InteractionTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeRelease, ChangesTheChosenRanges) {
  const RangeCase& c = GetParam();
  dragIn(c.mode, c.press, c.release, c.axis12);
  expectRange(range(1), c.want1);
  expectRange(range(2), c.want2);
  EXPECT_EQ(doc.undoStack.undoCount(), c.undoSteps);
  if (c.undoSteps) {
    doc.undoStack.undo();
    expectRange(range(1), {0, 10, 0, 10});
    expectRange(range(2), {0, 1, 0, 1});
  }
}

const Range kR1{0, 10, 0, 10}, kR2{0, 1, 0, 1};
INSTANTIATE_TEST_SUITE_P(
    Modes, RangeRelease,
    ::testing::Values(
        // zoom: corners in either order; both ranges, or only the chosen one
        RangeCase{"zoom", 0, at(5, 5), at(1, 2), {1, 5, 2, 5}, {0.1, 0.5, 0.2, 0.5}, 1},
        RangeCase{"zoom", 1, at(1, 2), at(5, 5), {1, 5, 2, 5}, kR2, 1},
        RangeCase{"zoom", 2, at(1, 2), at(5, 5), kR1, {0.1, 0.5, 0.2, 0.5}, 1},
        // a rectangle without width or height changes nothing
        RangeCase{"zoom", 0, at(1, 2), at(1, 5), kR1, kR2, 0},
        RangeCase{"zoom", 0, at(1, 2), at(4, 2), kR1, kR2, 0},
        // upscale shows 1.3 times the range around the released point, downscale 0.7
        RangeCase{"upscale", 1, at(0, 0), at(5, 4), {-1.5, 11.5, -2.5, 10.5}, kR2, 1},
        RangeCase{"downscale", 1, at(0, 0), at(5, 4), {1.5, 8.5, 0.5, 7.5}, kR2, 1},
        // panning moves by press minus release and is not undoable
        RangeCase{"range", 1, at(1, 1), at(3, 2), {-2, 8, -1, 9}, kR2, 0},
        RangeCase{"range", 0, at(1, 1), at(3, 2), {-2, 8, -1, 9}, {-0.2, 0.8, -0.1, 0.9}, 0}));

TEST_F(InteractionTest, ZoomingToExtremeWidthsNeverHangsTheNextPass) {
  for (double w : {1e-300, 1e-12, 1e300}) {
    doc.scale(1, 1, 1 + w, 1, 1 + w, false, false);
    draw();
    dragIn("zoom", at(1, 1), at(9, 9), 1);
    draw();
    dragIn("downscale", at(0, 0), at(5, 5), 1);
    draw();
  }
  for (double big : {1e300, std::numeric_limits<double>::max()}) {
    doc.scale(1, -big, big, -big, big, false, false);
    draw();
    dragIn("upscale", at(0, 0), at(5, 5), 1);
    draw();
  }
  EXPECT_GT(canvas.ops.size(), 0u);
}

// ---- moving buffers ----

TEST_F(InteractionTest, MovesShiftTheSelectedBuffersInTheirOwnRangesAsOneUndoStep) {
  DataBuffer& a = addBuffer({{1, 1}, {2, 2}});
  DataBuffer& b = addBuffer({{1, 1}});
  DataBuffer& other = addBuffer({{1, 1}});
  b.belongx = b.belongy = 2;
  m.setSelection({0, 1});
  dragIn("movexy", at(1, 1), at(3, 2));
  EXPECT_DOUBLE_EQ(a.X[0], 3);
  EXPECT_DOUBLE_EQ(a.Y[1], 3);
  EXPECT_NEAR(b.X[0], 1.2, 1e-12);  // two units of range 1 are 0.2 of range 2
  EXPECT_NEAR(b.Y[0], 1.1, 1e-12);
  EXPECT_DOUBLE_EQ(other.X[0], 1);
  ASSERT_EQ(doc.undoStack.undoCount(), 1u);
  doc.undoStack.undo();
  EXPECT_DOUBLE_EQ(a.X[0], 1);
  EXPECT_NEAR(b.Y[0], 1, 1e-12);
  doc.undoStack.redo();
  EXPECT_DOUBLE_EQ(a.X[0], 3);

  dragIn("movey", at(0, 0), at(5, -1));
  EXPECT_DOUBLE_EQ(a.X[0], 3);
  EXPECT_DOUBLE_EQ(a.Y[0], 1);
  dragIn("movex", at(0, 0), at(-1, 5));
  EXPECT_DOUBLE_EQ(a.X[0], 2);
  EXPECT_DOUBLE_EQ(a.Y[0], 1);
}

TEST_F(InteractionTest, MovesWithoutASelectionAskForOne) {
  DataBuffer& a = addBuffer({{1, 1}});
  m.clearSelection();
  ui.answer("Cancel");
  dragIn("movex", at(1, 1), at(3, 1));
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "No Buffer Selected");
  EXPECT_DOUBLE_EQ(a.X[0], 1);
  ui.answer("Select All");
  dragIn("movex", at(1, 1), at(3, 1));
  EXPECT_DOUBLE_EQ(a.X[0], 3);
}

// ---- values handed to the dialogs ----

TEST_F(InteractionTest, ReleasesFillTheBackgroundShirleyFitAndNormaliseFields) {
  dragIn("bgsub", at(0, 1), at(4, 3));  // y = 0.5 x + 1
  ASSERT_EQ(host.backgrounds.size(), 1u);
  EXPECT_DOUBLE_EQ(host.backgrounds[0].x, -0.5);
  EXPECT_DOUBLE_EQ(host.backgrounds[0].y, -1);
  EXPECT_DOUBLE_EQ(m.GV["linbga"], -0.5);
  EXPECT_DOUBLE_EQ(m.GV["linbgb"], -1);
  dragIn("bgsub", at(2, 2), at(2, 2));  // press and release alike: nothing
  EXPECT_EQ(host.backgrounds.size(), 1u);

  addBuffer({{0, 0}});
  dragIn("shirbg", at(8, 1), at(2, 3));
  EXPECT_DOUBLE_EQ(m.shirx1, 8);
  EXPECT_DOUBLE_EQ(m.shiry1, 1);
  EXPECT_DOUBLE_EQ(m.shirx2, 2);
  EXPECT_DOUBLE_EQ(m.shiry2, 3);

  dragIn("measure", at(1, 1), at(6, 7), 0);
  EXPECT_TRUE(act.overlay().haveoloc);
  EXPECT_EQ(act.overlay().oloc, at(6, 7));
  EXPECT_TRUE(host.fitParams.empty()) << "with both ranges chosen the fit table is left alone";
  dragIn("measure", at(1, 1), at(6, 7), 1);
  dragIn("measure", at(1, 1), at(6, 7), 2);
  ASSERT_EQ(host.fitParams.size(), 2u);
  EXPECT_DOUBLE_EQ(host.fitParams[0].x, 6);
  EXPECT_DOUBLE_EQ(host.fitParams[0].y, 7);
  EXPECT_DOUBLE_EQ(host.fitParams[1].x, 0.6);

  dragIn("normx", at(1, 1), at(6, 7), 1);
  dragIn("normy", at(1, 1), at(6, 7), 2);
  EXPECT_EQ(host.mouseLocations.size(), 2u);
  EXPECT_DOUBLE_EQ(host.mouseLocations[0], 6);
  EXPECT_DOUBLE_EQ(host.mouseLocations[1], 0.7);
}

// The peak pointer hands its press, drags and release on in the ranges of the current
// buffer, with the pick radius in those units.
TEST_F(InteractionTest, PeakModeHandsOnDataPositionsOfTheCurrentBuffer) {
  for (int belong : {1, 2}) {
    SCOPED_TRACE(belong);
    host.peaks.clear();
    host.tolerances.clear();
    addBuffer({{0, 0}});
    doc.current = doc.bufferCount() - 1;
    doc.DB.back()->belongx = doc.DB.back()->belongy = belong;
    const double unit = belong == 1 ? 1.0 : 0.1;  // range 2 is a tenth of range 1
    dragIn("peak", at(2, 3), at(6, 5));
    const char kinds[] = {'p', 'd', 'd', 'r'};
    const double xs[] = {2, 4, 6, 6}, ys[] = {3, 4, 5, 5};
    ASSERT_EQ(host.peaks.size(), 4u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(host.peaks[i].kind, kinds[i]);
      EXPECT_NEAR(host.peaks[i].x, xs[i] * unit, 1e-9);
      EXPECT_NEAR(host.peaks[i].y, ys[i] * unit, 1e-9);
    }
    EXPECT_GT(host.tolerances[0].x, 0);
    EXPECT_LT(host.tolerances[0].x, unit);
    EXPECT_GT(host.tolerances[0].y, 0);
  }
}

// ---- graphics, sub-plots, legend, frame ----

TEST_F(InteractionTest, GraphicModeCreatesPicksMovesAndDeletes) {
  dragIn("graphic", at(1, 1), at(1, 1));
  EXPECT_TRUE(doc.G.empty()) << "a click without a drag makes no graphic";
  EXPECT_EQ(act.overlay().nG, nullptr);
  dragIn("graphic", at(1, 1), at(4, 2));
  ASSERT_EQ(doc.G.size(), 1u);
  Graphic* g = doc.G[0].get();
  EXPECT_EQ(m.currentGraphic, g);
  EXPECT_DOUBLE_EQ(g->x2, at(4, 2).x);
  EXPECT_TRUE(g->arrow2);

  // A drag that starts on the line moves it.
  dragIn("graphic", at(2.5, 1.5), at(2.5, 2.5));
  ASSERT_EQ(doc.G.size(), 1u);
  EXPECT_DOUBLE_EQ(g->y1, at(1, 2).y);
  EXPECT_EQ(host.pages, std::vector<std::string>{"Graphic"});

  EXPECT_TRUE(act.keyDown(0, ViewKey::Right, {}));
  EXPECT_DOUBLE_EQ(g->x1, at(1, 1).x + 1);
  EXPECT_DOUBLE_EQ(g->x2, at(4, 2).x + 1);
  EXPECT_TRUE(act.keyDown(127, ViewKey::Delete, {}));
  EXPECT_TRUE(doc.G.empty());
  EXPECT_EQ(m.currentGraphic, nullptr);
  doc.undoStack.undo();
  ASSERT_EQ(doc.G.size(), 1u);
  EXPECT_DOUBLE_EQ(doc.G[0]->x1, at(1, 1).x + 1);
}

TEST_F(InteractionTest, SubviewNeedsMoreThanFiveUnitsAndAMainDocument) {
  dragIn("subview", {100, 100}, {104, 200});
  EXPECT_TRUE(doc.subplots.empty());
  dragIn("subview", {100, 100}, {200, 180});
  ASSERT_EQ(doc.subplots.size(), 1u);
  XylaDocument& sub = *doc.subplots[0];
  EXPECT_TRUE(sub.subview);
  EXPECT_EQ(m.PD, &sub);
  EXPECT_DOUBLE_EQ(sub.subvieww, 100);
  EXPECT_DOUBLE_EQ(sub.subviewh, 80);

  dragIn("chsubview", {150, 150}, {160, 130});
  EXPECT_DOUBLE_EQ(sub.subviewx, 110);
  EXPECT_DOUBLE_EQ(sub.subviewy, 80);

  XylaView subView(&m, 100, 80);
  subView.setXylaDocument(&sub);
  ViewInteraction inSub(subView);
  m.pointerMode = "subview";
  inSub.mouseDown({10, 10});
  inSub.mouseUp({90, 70});
  EXPECT_TRUE(sub.subplots.empty());
}

TEST_F(InteractionTest, LegendAndFrameDragsAreUndoable) {
  doc.legendx = 100;
  doc.legendy = 200;
  dragIn("legend", {10, 10}, {30, 0});
  EXPECT_DOUBLE_EQ(doc.legendx, 120);
  EXPECT_DOUBLE_EQ(doc.legendy, 190);
  doc.undoStack.undo();
  EXPECT_DOUBLE_EQ(doc.legendx, 100);

  dragIn("select", {60, 50}, {80, 70});  // the lower left frame handle
  EXPECT_DOUBLE_EQ(doc.marginleft, 80);
  EXPECT_DOUBLE_EQ(doc.marginbottom, 70);
  EXPECT_DOUBLE_EQ(doc.marginright, 20);
  dragIn("select", {380, 280}, {2000, 2000});  // upper right, far outside the view
  EXPECT_DOUBLE_EQ(doc.marginright, 0);
  EXPECT_DOUBLE_EQ(doc.margintop, 0);
  doc.undoStack.undo();
  doc.undoStack.undo();
  EXPECT_DOUBLE_EQ(doc.marginleft, 60);
  EXPECT_DOUBLE_EQ(doc.margintop, 20);
}

// ---- texts ----

class TextInteraction : public InteractionTest {
 protected:
  TextObject& addTextAt(double x, double y, const std::string& s = "label") {
    auto t = std::make_unique<TextObject>(&doc);
    t->text = s;
    t->tloc = {x, y};
    t->setFrameSize(40, 20);
    return doc.addText(std::move(t));
  }
};

TEST_F(TextInteraction, SelectDragsTextsButNotAutomaticOnes) {
  TextObject& t = addTextAt(100, 200);
  TextObject& fixed = addTextAt(200, 200);
  fixed.autopos = true;
  dragIn("select", {110, 190}, {130, 170});
  EXPECT_EQ(m.currentText, &t);
  EXPECT_EQ(t.tloc, (ViewPoint{120, 180}));
  dragIn("select", {210, 190}, {260, 100});
  EXPECT_EQ(m.currentText, &fixed);
  EXPECT_EQ(fixed.tloc, (ViewPoint{200, 200}));
  EXPECT_EQ(host.pages, (std::vector<std::string>{"Text", "Text"})) << "a picked text shows its page";
  doc.undoStack.undo();
  EXPECT_EQ(t.tloc, (ViewPoint{100, 200}));
}

TEST_F(TextInteraction, DataPositionedTextsFollowAKeyNudge) {
  TextObject& t = addTextAt(at(5, 5).x, at(5, 5).y);
  t.setFloat(1);
  m.pointerMode = "select";
  m.currentText = &t;
  EXPECT_TRUE(act.keyDown(0, ViewKey::Right, {}));
  EXPECT_TRUE(act.keyDown(0, ViewKey::Up, {}));
  EXPECT_NEAR(t.x, 5 + 1 / 32.0, 1e-9);
  EXPECT_NEAR(t.y, 5 + 1 / 23.0, 1e-9);
}

TEST_F(TextInteraction, CommandArrowsCycleAndDeleteIsUndoable) {
  TextObject& a = addTextAt(100, 200, "a");
  TextObject& b = addTextAt(150, 200, "b");
  TextObject& c = addTextAt(200, 200, "c");
  m.pointerMode = "select";
  m.currentText = &a;
  const PointerModifiers cmd{false, false, true};
  act.keyDown(0, ViewKey::Left, cmd);
  EXPECT_EQ(m.currentText, &c);
  act.keyDown(0, ViewKey::Right, cmd);
  EXPECT_EQ(m.currentText, &a);
  act.keyDown(0, ViewKey::Right, cmd);
  EXPECT_EQ(m.currentText, &b);
  act.keyDown(127, ViewKey::Delete, {});
  ASSERT_EQ(doc.T.size(), 2u);
  EXPECT_EQ(m.currentText, nullptr);
  doc.undoStack.undo();
  ASSERT_EQ(doc.T.size(), 3u);
  EXPECT_EQ(doc.T[1]->text, "b");
  doc.undoStack.redo();
  EXPECT_EQ(doc.T.size(), 2u);
}

TEST_F(TextInteraction, TextModeCreatesAndEditsInPlace) {
  std::vector<TextObject*>& edited = host.edited;
  dragIn("text", {100, 100}, {100, 100});
  ASSERT_EQ(doc.T.size(), 1u);
  ASSERT_EQ(edited.size(), 1u);
  EXPECT_EQ(edited[0]->tloc, (ViewPoint{100, 100}));
  // Editing a new text that stays empty leaves nothing behind, not even an undo step.
  EXPECT_EQ(m.currentText, edited[0]);
  interaction::finishTextEdit(doc, edited[0], "", true);
  EXPECT_TRUE(doc.T.empty());
  EXPECT_EQ(m.currentText, nullptr) << "the controller must not keep the vanished text";
  EXPECT_FALSE(doc.undoStack.canUndo());

  dragIn("text", {100, 100}, {100, 100});
  interaction::finishTextEdit(doc, doc.T[0].get(), "C 1s", true);
  ASSERT_EQ(doc.undoStack.undoCount(), 1u);
  TextObject& t = *doc.T[0];
  t.setFrameSize(40, 20);
  // A click on it in mode "text", and a double click in any mode, edit it.
  act.mouseDown({110, 90});
  act.mouseUp({110, 90});
  m.pointerMode = "zoom";
  act.mouseDown({110, 90}, {}, 2);
  act.mouseUp({110, 90});
  ASSERT_EQ(edited.size(), 4u);
  EXPECT_EQ(edited[2], &t);
  EXPECT_EQ(edited[3], &t);
  interaction::finishTextEdit(doc, &t, "O 1s", false);
  doc.undoStack.undo();
  EXPECT_EQ(t.text, "C 1s");
  interaction::finishTextEdit(doc, &t, "", false);  // an emptied text goes, undoably
  EXPECT_TRUE(doc.T.empty());
  doc.undoStack.undo();
  EXPECT_EQ(doc.T.size(), 1u);
}

// ---- points ----

TEST_F(InteractionTest, MovePointPicksDragsNudgesAndDeletesPoints) {
  DataBuffer& b = addBuffer({{1, 1}, {2, 2}, {3, 3}});
  m.pointerMode = "movepoint";
  const PointF nearby{at(2, 2).x + 3, at(2, 2).y - 2};
  act.mouseDown(nearby);
  act.mouseUp(nearby);
  EXPECT_EQ(m.tableSelection, (std::set<int>{1}));
  act.mouseDown(at(3, 3), {true, false, false});
  act.mouseUp(at(3, 3));
  EXPECT_EQ(m.tableSelection, (std::set<int>{1, 2}));

  dragIn("movepoint", at(3, 3), at(3, 4));  // both selected points follow
  EXPECT_NEAR(b.Y[1], 3, 1e-12);
  EXPECT_NEAR(b.Y[2], 4, 1e-12);
  EXPECT_DOUBLE_EQ(b.Y[0], 1);
  EXPECT_NEAR(b.ymax, 4, 1e-12);

  EXPECT_TRUE(act.keyDown(0, ViewKey::Left, {}));
  EXPECT_NEAR(b.X[1], 2 - 1 / 32.0, 1e-12);
  EXPECT_TRUE(act.keyDown(127, ViewKey::Delete, {}));
  ASSERT_EQ(b.count(), 1);
  EXPECT_TRUE(m.tableSelection.empty());
  doc.undoStack.undo();
  EXPECT_EQ(b.count(), 3);
  doc.undoStack.undo();
  doc.undoStack.undo();
  EXPECT_DOUBLE_EQ(b.X[1], 2);
  EXPECT_DOUBLE_EQ(b.Y[2], 3);

  // A click away from every point empties the selection; keys then do nothing.
  act.mouseDown(at(8, 1));
  act.mouseUp(at(8, 1));
  EXPECT_TRUE(m.tableSelection.empty());
  EXPECT_FALSE(act.keyDown(0, ViewKey::Up, {}));
}

// ---- wheel, shortcuts, context menu ----

TEST_F(InteractionTest, WheelZoomsInRangeModeOnly) {
  struct Case {
    double d;
    PointerModifiers mods;
    Range want;
  } cases[] = {
      {1, {}, {-0.2, 10.2, -0.2, 10.2}},            // f = 50: out by a fiftieth each side
      {-10, {}, {2, 8, 2, 8}},                      // f = 5 at least: in by a fifth
      {1, {false, true, false}, {-0.2, 10.2, 0, 10}},  // Alt: X only
      {1, {false, false, true}, {0, 10, -0.2, 10.2}},  // Control: Y only
      {1, {false, true, true}, {-0.2, 10.2, -0.2, 10.2}},
  };
  m.axis12 = 1;
  for (const Case& c : cases) {
    doc.scale(1, 0, 10, 0, 10, false, false);
    m.pointerMode = "zoom";
    act.scrollWheel(c.d, c.mods);
    expectRange(range(1), kR1);
    m.pointerMode = "range";
    act.scrollWheel(c.d, c.mods);
    expectRange(range(1), c.want);
  }
  act.scrollWheel(std::numeric_limits<double>::quiet_NaN(), {});
  for (int i = 0; i < 2000; ++i) act.scrollWheel(i % 2 ? 120 : -120, {});
  draw();
}

TEST_F(InteractionTest, ControlLettersRunShortcutsAsTyped) {
  const std::vector<int>& run = host.shortcuts;
  const PointerModifiers ctrl{false, false, true};
  EXPECT_TRUE(act.keyDown('a', ViewKey::Other, ctrl));
  EXPECT_TRUE(act.keyDown('A', ViewKey::Other, {true, false, true}));
  EXPECT_FALSE(act.keyDown('a', ViewKey::Other, {}));
  EXPECT_FALSE(act.keyDown('1', ViewKey::Other, ctrl));
  EXPECT_EQ(run, (std::vector<int>{'a', 'A'}));
}

TEST_F(InteractionTest, ContextMenuRescalesAndZoomsTheChosenRanges) {
  EXPECT_EQ(ViewInteraction::contextMenuTitles(), (std::vector<std::string>{"Rescale", "Upscale", "Downscale"}));
  EXPECT_TRUE(ViewInteraction::opensContextMenu(true, {}));
  EXPECT_TRUE(ViewInteraction::opensContextMenu(false, {false, false, true}));
  EXPECT_FALSE(ViewInteraction::opensContextMenu(false, {true, true, false}));

  XylaDocument other(&m);
  m.setCurrentDocument(&other);
  m.axis12 = 1;
  act.contextMenu(1);  // "Upscale" enlarges the data: the ranges narrow
  EXPECT_EQ(m.PD, &doc);
  expectRange(range(1), {1, 9, 1, 9});
  act.contextMenu(2);
  expectRange(range(1), {0.2, 9.8, 0.2, 9.8});
  addBuffer({{2, 3}, {4, 7}});
  act.contextMenu(0);
  EXPECT_DOUBLE_EQ(doc.xmin1, 2 - 2 / 16.0);  // 20 of the 320 units of margin
  expectRange(range(2), kR2);
}

TEST_F(InteractionTest, NothingHappensWithoutADocumentOrAfterItsObjectsAreGone) {
  XylaView lonely(&m, 400, 300);
  ViewInteraction none(lonely);
  m.pointerMode = "zoom";
  none.mouseDown({1, 1});
  none.mouseDragged({100, 100});
  none.mouseUp({100, 100});
  none.scrollWheel(1, {});
  none.contextMenu(0);
  EXPECT_FALSE(none.keyDown(0, ViewKey::Delete, {}));
  EXPECT_TRUE(none.keyDown('x', ViewKey::Other, {false, false, true})) << "shortcuts need no document";

  // A point editor whose buffer was deleted forgets it.
  DataBuffer& b = addBuffer({{1, 1}});
  m.pointerMode = "movepoint";
  act.mouseDown(at(1, 1));
  act.mouseUp(at(1, 1));
  EXPECT_EQ(m.tableSelection, (std::set<int>{0}));
  b.setRm();
  doc.deleteBuffer();
  EXPECT_FALSE(act.keyDown(127, ViewKey::Delete, {}));
  EXPECT_FALSE(act.keyDown(0, ViewKey::Up, {}));
}

TEST_F(InteractionTest, OverlayPathFollowsTheDrag) {
  m.pointerMode = "zoom";
  act.mouseDown({100, 100});
  act.mouseDragged({140, 80});
  act.prepareOverlay();
  const Path& pb = act.overlay().pb;
  ASSERT_EQ(pb.elements().size(), 1u);
  const auto& e = pb.elements()[0];
  EXPECT_DOUBLE_EQ(e.x, 100);
  EXPECT_DOUBLE_EQ(e.y, 80);
  // The pass strokes it over the window image in the overlay colour, once.
  view.redraw = false;
  canvas = RecordingCanvas();
  view.drawRect(canvas, &act.overlay());
  const auto strokes = canvas.opsOfKind("stroke");
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_TRUE(sameColour(strokes[0].colour, {0.75, 0, 0, 1}));
  act.mouseUp({140, 80});
  act.prepareOverlay();
  EXPECT_TRUE(pb.isEmpty());
}

}  // namespace
}  // namespace xyla::test
