#include <gtest/gtest.h>

#include <functional>

#include "fit/table_door.h"
#include "fit_fixture.h"

namespace xyla::test {
namespace {

using fit::TableChange;

FitRow peakRow(const std::string& function, const std::string& a) {
  FitRow r;
  r.setActive(true);
  r.set(FitCell::Function, function);
  r.set(FitCell::A, a);
  return r;
}

// Every way a person changes the table is one undo step that brings the whole table
// back, and redo brings the change again; each redraws the document. Edits inside an
// open undo group join it.
TEST(TableDoor, EveryEditIsOneUndoStep) {
  const struct {
    const char* name;
    std::function<bool(FitFixture&)> edit;
  } cases[] = {
      {"cell", [](FitFixture& f) { return fit::setCell(f.doc, 3, FitCell::Weight, "2"); }},
      {"switch off", [](FitFixture& f) { return fit::setActive(f.doc, 1, false); }},
      {"switch on", [](FitFixture& f) { return fit::setActive(f.doc, 5, true); }},
      {"row", [](FitFixture& f) { return fit::setRow(f.doc, 0, peakRow("DS", "7~")); }},
      {"one row twice",
       [](FitFixture& f) {
         return fit::setRows(f.doc, {{2, peakRow("GL", "1~")}, {2, peakRow("ET", "2~")}});
       }},
      {"table", [](FitFixture& f) { return fit::setTable(f.doc, emptyFitTable()); }},
      {"longer table", [](FitFixture& f) { return fit::setTable(f.doc, emptyFitTable(30)); }},
      {"pointer",
       [](FitFixture& f) {
         f.fit.panel.selectedRow = 1;
         f.fit.setParam(1, 2);  // the pointer box is off: nothing
         f.fit.panel.pointer = true;
         f.fit.setParam(284.5, 1000);  // fills A and B, and the next row is selected
         return f.fit.panel.selectedRow == 2 && f.cell(1, FitCell::A) == "284.5~" && f.cell(1, FitCell::B) == "1000~";
       }},
      {"pointer on the last row",
       [](FitFixture& f) {
         f.fit.panel.pointer = true;
         f.fit.panel.selectedRow = 23;
         f.fit.setParam(284.5, 1000);  // the last row stays selected
         return f.fit.panel.selectedRow == 23;
       }},
      {"group",
       [](FitFixture& f) {  // a run of edits in one action
         f.doc.undoStack.beginGroup();
         for (int r = 0; r < 4; ++r) fit::setRow(f.doc, r, peakRow("GL", std::to_string(r) + "~"));
         fit::setCell(f.doc, 2, FitCell::B, "9~");
         f.doc.undoStack.endGroup();
         return true;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FitFixture f;
    f.row(0, "GL", "284~", "10~", "1~");
    f.row(1, "GL", "1+1", "5~", "1+0");
    const FitTable before = f.doc.F;
    const long redraws = f.doc.replotCount;
    ASSERT_TRUE(c.edit(f));
    const FitTable after = f.doc.F;
    EXPECT_NE(after, before);
    EXPECT_GT(f.doc.replotCount, redraws);
    ASSERT_EQ(f.doc.undoStack.undoCount(), 1u);
    f.doc.undoStack.undo();
    EXPECT_EQ(f.doc.F, before);
    f.doc.undoStack.redo();
    EXPECT_EQ(f.doc.F, after);
  }
}

TEST(TableDoor, NoChangeNoStepAndFitResultsAreNoSteps) {
  FitFixture f;
  f.row(0, "GL", "284~", "10~", "1~");
  const long redraws = f.doc.replotCount;
  EXPECT_FALSE(fit::setCell(f.doc, 0, FitCell::A, "284~"));  // the same text
  EXPECT_FALSE(fit::setActive(f.doc, 0, true));
  EXPECT_FALSE(fit::setCell(f.doc, 24, FitCell::A, "1"));  // no such row
  EXPECT_FALSE(fit::setRow(f.doc, -1, FitRow()));
  EXPECT_EQ(f.doc.replotCount, redraws);
  EXPECT_FALSE(f.doc.undoStack.canUndo());

  // What a fit writes redraws but is no undo step: its history is `back`.
  EXPECT_TRUE(fit::setCell(f.doc, 0, FitCell::A, "1~"));
  f.doc.undoStack.clear();
  FitTable fitted = f.doc.F;
  fitted[0].set(FitCell::A, "284.2~");
  EXPECT_TRUE(fit::setTable(f.doc, fitted, TableChange::FitResult));
  EXPECT_EQ(f.doc.F, fitted);
  EXPECT_FALSE(f.doc.undoStack.canUndo());
}

}  // namespace
}  // namespace xyla::test
