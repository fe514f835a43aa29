#include <gtest/gtest.h>

#include "app/buffer_list.h"
#include "gui/table_models.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

namespace xyla::test {
namespace {

namespace bl = xyla::bufferlist;

// A document with three buffers of 3, 2 and 1 points ("a", "b", "c"), buffer 1 current.
class BufferList : public ::testing::Test {
 protected:
  BufferList() {
    m.setCurrentDocument(&doc);
    for (int i = 0; i < 3; ++i) {
      DataBuffer& b = doc.newBuffer();
      for (int p = 0; p < 3 - i; ++p) b.addDoubleValue(p, 10 * i + p);
      b.comment = std::string(1, static_cast<char>('a' + i));
    }
    doc.current = 1;
    doc.undoStack.clear();
  }
  // The buffers' comments in list order, with "*" after the shown ones.
  std::string listing() const {
    std::string out;
    for (const auto& b : doc.DB) out += b->comment + (b->show ? "*" : "") + " ";
    return out;
  }
  // One row of the buffer list as the model shows it, cells separated by "|".
  std::string row(int r) {
    BufferListModel model(m);
    std::string out;
    for (int c = 0; c < bl::ColumnCount; ++c)
      out += (c ? "|" : "") + model.data(model.index(r, c)).toString().toStdString();
    return out;
  }

  TempSettings settings;
  ScriptedUi ui;
  Manager m{ui};
  XylaDocument doc{&m};
};

TEST_F(BufferList, RowsShowTheBufferFields) {
  doc.DB[0]->source = "/data/xps/C1s.txt";
  doc.DB[0]->plotlegend = false;
  doc.DB[2]->addError();
  doc.DB[2]->hassource = true;
  doc.DB[2]->my_autoupdate = true;
  doc.DB[2]->belongy = 2;
  EXPECT_EQ(row(0), "|1|1||||0|3|C1s.txt|a");
  EXPECT_EQ(row(1), "\u27BD|1|1||\u2714||1|2||b");
  EXPECT_EQ(row(2), "|1|2|\u2714|\u2714|\u2714|2|1||c");
  BufferListModel model(m);
  EXPECT_EQ(model.headerData(7, Qt::Horizontal).toString(), "Points");
  EXPECT_TRUE(model.flags(model.index(0, bl::Comment)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model.flags(model.index(0, bl::Points)) & Qt::ItemIsEditable);
  m.setCurrentDocument(nullptr);
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(BufferList, DoubleClicksToggleOneFieldEachAndUndo) {
  struct Case {
    bl::Column column;
    std::string before, after;  // row 0 as shown
  } cases[] = {
      {bl::BelongX, "|1|1||\u2714||0|3||a", "|2|1||\u2714||0|3||a"},
      {bl::BelongY, "|1|1||\u2714||0|3||a", "|1|2||\u2714||0|3||a"},
      {bl::Legend, "|1|1||\u2714||0|3||a", "|1|1||||0|3||a"},
      {bl::AutoUpdate, "|1|1||\u2714||0|3||a", "|1|1||\u2714||0|3||a"},  // no MySQL source: nothing
      {bl::Current, "|1|1||\u2714||0|3||a", "\u27BD|1|1||\u2714||0|3||a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(row(0), c.before) << c.column;
    bl::doubleClick(m, 0, c.column);
    EXPECT_EQ(row(0), c.after) << c.column;
    if (c.column == bl::Current) break;
    if (doc.undoStack.canUndo()) doc.undoStack.undo();
    EXPECT_EQ(row(0), c.before) << c.column;
  }
  bl::doubleClick(m, 1, bl::Points);  // any other column: visibility
  EXPECT_EQ(listing(), "a* b c* ");
  doc.undoStack.undo();
  doc.undoStack.redo();
  EXPECT_EQ(listing(), "a* b c* ");
  bl::setCurrentBuffer(m, 99);
  EXPECT_EQ(doc.current, 0);
}

TEST_F(BufferList, CommandsActOnTheSelectionAsOneUndoStep) {
  struct Case {
    const char* command;
    std::set<int> selection;
    std::string after;
    int current;
  } cases[] = {
      {"bHide", {0, 2}, "a b* c ", 1},
      {"bShowSel", {1}, "a b* c ", 1},
      {"bHideSel", {1}, "a* b c* ", 1},
      {"bDelete", {0, 1}, "c* ", 0},
      {"bDuplicte", {0, 2}, "a* b* c* a* c* ", 1},
      {"bMoveUp", {}, "b* a* c* ", 0},
      {"bMoveDown", {}, "a* c* b* ", 2},
  };
  for (const Case& c : cases) {
    const std::string before = listing();
    m.setSelection(c.selection);
    ASSERT_TRUE(bl::command(m, c.command));
    EXPECT_EQ(listing(), c.after) << c.command;
    EXPECT_EQ(doc.current, c.current) << c.command;
    ASSERT_EQ(doc.undoStack.undoCount(), 1u) << c.command;
    doc.undoStack.undo();
    EXPECT_EQ(listing(), before) << c.command;
    EXPECT_EQ(doc.current, 1) << c.command;
    doc.undoStack.redo();
    EXPECT_EQ(listing(), c.after) << c.command;
    doc.undoStack.undo();
    doc.undoStack.clear();
  }
  EXPECT_FALSE(bl::command(m, "bNothing"));
  doc.current = 0;
  bl::command(m, "bMoveUp");  // the first buffer has nowhere to go
  EXPECT_EQ(listing(), "a* b* c* ");
  m.setSelection({0});
  bl::command(m, "bSelectInvert");
  EXPECT_EQ(m.selection(), (std::set<int>{1, 2}));
  bl::command(m, "bSelectAll");
  EXPECT_EQ(m.selection().size(), 3u);
  bl::command(m, "bSelectNone");
  EXPECT_TRUE(m.selection().empty());
  m.setCurrentDocument(nullptr);
  EXPECT_TRUE(bl::command(m, "bShow"));
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(BufferList, RemovingErrorsAndEditingTextsUndo) {
  doc.DB[0]->addError();
  doc.DB[0]->setYDoubleErrorAt(1, 0.5);
  m.setSelection({0, 1});
  bl::command(m, "bRemoveError");
  EXPECT_FALSE(doc.DB[0]->haserror());
  doc.undoStack.undo();
  EXPECT_EQ(doc.DB[0]->yDoubleErrorAt(1), 0.5);
  bl::setText(m, 2, bl::Comment, "renamed");
  bl::setText(m, 2, bl::Source, "/x/y.txt");
  EXPECT_EQ(row(2), "|1|1||\u2714||2|1|y.txt|renamed");
  doc.undoStack.undo();
  doc.undoStack.undo();
  EXPECT_EQ(row(2), "|1|1||\u2714||2|1||c");
}

// The data table of buffer 1 (points (0, 10) and (1, 11)).
std::string table(Manager& m) {
  std::string out;
  for (int r = 0; r < bl::dataRowCount(m); ++r) {
    for (int c = 0; c < bl::DataColumnCount; ++c)
      out += (c ? "|" : "") + bl::dataText(m, r, static_cast<bl::DataColumn>(c));
    out += "\n";
  }
  return out;
}

TEST_F(BufferList, DataTableEditsWithUndo) {
  EXPECT_EQ(table(m), "0|0|10||\n1|1|11||\nadd||||\n");
  struct Case {
    int row;
    bl::DataColumn column;
    std::string text;
    bool ok;
    std::string after;
  } cases[] = {
      {0, bl::XValue, "2.5", true, "0|2.5|10||\n1|1|11||\nadd||||\n"},
      {1, bl::YValue, "-1,25", true, "0|0|10||\n1|1|-1.25||\nadd||||\n"},  // a comma as decimal separator
      {2, bl::XValue, "5", true, "0|0|10||\n1|1|11||\n2|5|0||\nadd||||\n"},
      {2, bl::YValue, "7e3", true, "0|0|10||\n1|1|11||\n2|0|7000||\nadd||||\n"},
      {1, bl::YError, "0.5", true, "0|0|10|0|0\n1|1|11|0|0.5\nadd||||\n"},
      {0, bl::XValue, "12abc", false, ""},
      {0, bl::YValue, "", false, ""},
      {2, bl::XError, "1", false, ""},  // the entry row takes values only
      {0, bl::PointNo, "4", false, ""},
      {9, bl::XValue, "4", false, ""},
  };
  const std::string initial = table(m);
  for (const Case& c : cases) {
    EXPECT_EQ(bl::setData(m, c.row, c.column, c.text), c.ok) << c.text;
    EXPECT_EQ(table(m), c.ok ? c.after : initial) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(doc.undoStack.canUndo()) << c.text;
      continue;
    }
    ASSERT_EQ(doc.undoStack.undoCount(), 1u) << c.text;
    doc.undoStack.undo();
    EXPECT_EQ(table(m), initial) << c.text;
    doc.undoStack.redo();
    EXPECT_EQ(table(m), c.after) << c.text;
    doc.undoStack.undo();
    doc.undoStack.clear();
  }
}

TEST_F(BufferList, DatesAndDeletingPoints) {
  settings->setString("TDF", "%Y-%m-%d %H:%M:%S");
  bl::Formats dates;
  bl::toggleFormat(dates, bl::XValue);
  EXPECT_TRUE(bl::setData(m, 0, bl::XValue, "2001-01-02 00:00:10", dates));
  EXPECT_EQ(bl::dataText(m, 0, bl::XValue, dates), "2001-01-02 00:00:10");
  EXPECT_FALSE(bl::setData(m, 0, bl::YValue, "2001-01-02", dates));  // Y stays a number column
  EXPECT_EQ(bl::readValue("5", true), std::nullopt);                 // a date column wants a date

  DataBuffer& b = *doc.DB[1];
  const double x0 = b.X[0];
  b.addDoubleValue(2, 12);
  m.tableSelection = {0, 2, 7};
  bl::deleteSelectedPoints(m);
  EXPECT_TRUE(m.tableSelection.empty());
  EXPECT_EQ(table(m), "0|1|11||\nadd||||\n");
  doc.undoStack.undo();
  EXPECT_EQ(b.count(), 3);
  EXPECT_EQ(b.X[0], x0);
}

TEST_F(BufferList, ModelsEditThroughTheTableInterface) {
  DataTableModel data(m);
  data.reload();
  EXPECT_EQ(data.rowCount(), 3);
  EXPECT_EQ(data.headerData(1, Qt::Horizontal).toString(), "X Value");
  EXPECT_FALSE(data.flags(data.index(2, bl::XError)) & Qt::ItemIsEditable);
  EXPECT_TRUE(data.setData(data.index(2, bl::XValue), "5"));
  EXPECT_EQ(data.rowCount(), 4);
  EXPECT_FALSE(data.setData(data.index(0, bl::XValue), "junk"));
  BufferListModel list(m);
  EXPECT_TRUE(list.setData(list.index(0, bl::Comment), "new name"));
  EXPECT_EQ(doc.DB[0]->comment, "new name");
}

}  // namespace
}  // namespace xyla::test
