#include <gtest/gtest.h>

#include "analysis/analysis_actions.h"
#include "analysis/transforms.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"
#include "support/time_zone.h"

namespace xyla::test {
namespace {

class Transforms : public xyla::test::DocumentFixture {
 protected:
  DataBuffer& line(double slope, int n = 5) {
    DataBuffer& b = doc.newBuffer();
    for (int i = 0; i < n; ++i) b.addDoubleValue(i, slope * i);
    return b;
  }
};

TEST_F(Transforms, NormalizeScalesTheSelectionAndUndoesInOneStep) {
  DataBuffer& a = line(10);
  DataBuffer& b = line(20);
  DataBuffer& untouched = line(30);
  m.setSelection({0, 1});
  normalize(doc, 1, 0, 10, 0, 1);
  EXPECT_DOUBLE_EQ(a.Y[4], 4);
  EXPECT_DOUBLE_EQ(b.Y[4], 8);
  EXPECT_DOUBLE_EQ(untouched.Y[4], 120);
  EXPECT_DOUBLE_EQ(a.ymax, 4);  // the extent follows
  doc.undoStack.undo();
  EXPECT_DOUBLE_EQ(a.Y[4], 40);
  EXPECT_DOUBLE_EQ(b.Y[4], 80);
  doc.undoStack.redo();
  EXPECT_DOUBLE_EQ(a.Y[4], 4);
  normalize(doc, 2, 0, 10, 0, 1);  // no such axis: nothing changes
  EXPECT_DOUBLE_EQ(a.Y[4], 4);
}

TEST_F(Transforms, MoveShiftsAndUndoSurvivesADeletedBuffer) {
  DataBuffer& a = line(1);
  line(1);
  m.setSelection({0, 1});
  move(doc, 0, 5, 3);
  EXPECT_DOUBLE_EQ(a.X[0], -2);
  doc.buffer(1)->setRm();
  doc.deleteBuffer();
  doc.undoStack.undo();  // the deleted buffer is skipped, the other restored
  EXPECT_DOUBLE_EQ(a.X[0], 0);
}

TEST_F(Transforms, CutIgnoresTheOrderOfItsLimits) {
  DataBuffer& a = line(1, 12);
  DataBuffer& b = line(1, 12);
  m.setSelection({0});
  cut(doc, 0, 10, 2, 0, ui);
  EXPECT_EQ(a.X, (std::vector<double>{3, 4, 5, 6, 7, 8, 9}));
  m.setSelection({1});
  cut(doc, 0, 2, 10, 1, ui);
  EXPECT_EQ(b.X, (std::vector<double>{0, 1, 11}));
}

TEST_F(Transforms, ReductionAppendsOneBufferAndRecordsIt) {
  line(1, 10);
  reduction(doc, -1, 2, ui);
  reduction(doc, 1, 2, ui);
  EXPECT_EQ(doc.bufferCount(), 1);
  reduction(doc, 0, 2, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  EXPECT_EQ(m.GV["lastbuffer"], 1);
  EXPECT_EQ(doc.buffer(1)->count(), 5);
  EXPECT_DOUBLE_EQ(doc.buffer(1)->X[0], 0.5);
  smooth(doc, 0, 50, ui);  // too few points: the alert, and the copy is appended anyway
  EXPECT_EQ(doc.bufferCount(), 3);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "To Few Points");
}

TEST_F(Transforms, ActionsStoreFieldsGuardTheSelectionAndReadDates) {
  DataBuffer& a = line(1);
  NormalizeFields f{1, "0", "2", "0", "1"};
  ui.answer("Cancel");
  normalizeAction(m, f);
  EXPECT_EQ(ui.beeps, 1);  // cancelled
  EXPECT_DOUBLE_EQ(a.Y[4], 4);
  EXPECT_EQ((*settings).getString("NormRef2"), "2");  // stored before anything else
  ui.answer("Select All");
  normalizeAction(m, f);
  EXPECT_DOUBLE_EQ(a.Y[4], 2);
  ui.answer("Cancel");
  m.clearSelection();
  reductionAction(m, "2");
  EXPECT_EQ(ui.beeps, 1);  // data reduction stops silently
  // A value field holding a date in the display format counts as seconds since 2001.
  (*settings).setString("TDF", "%Y-%m-%d");
  const TimeZone utc("UTC0");
  m.setSelection({0});
  moveAction(m, {0, "2001-01-02", "", "5x", ""});
  EXPECT_DOUBLE_EQ(a.X[0], 5 - 86400.0);  // moved from one day after 2001 to 5
  moveAction(m, {0, "7", "", "7.5", ""});   // "7" is a number, not the year 7
  EXPECT_DOUBLE_EQ(a.X[0], 5.5 - 86400.0);
}

TEST_F(Transforms, LinearBackgroundAndSwap) {
  DataBuffer& a = line(0.5);
  m.setSelection({0});
  linBgAction(m, "-0.5", "0");
  for (double y : a.Y) EXPECT_DOUBLE_EQ(y, 0);
  a.Y = {1, 2, 3, 4, 5};
  swapXYAction(m);
  EXPECT_EQ(a.X, (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_DOUBLE_EQ(doc.xmax1 > 5, true);  // auto-ranged to the new X
}

}  // namespace
}  // namespace xyla::test
