#include <gtest/gtest.h>

#include "model/undo_stack.h"

using xyla::UndoStack;

namespace {

// A value whose setter registers its own reversal, the way document operations do.
struct Tracked {
  UndoStack& undo;
  int value = 0;
  void set(int v) {
    const int old = value;
    undo.registerUndo([this, old] { set(old); });
    value = v;
  }
};

}  // namespace

TEST(UndoStack, GroupsUndoAsOneStepInReverseOrder) {
  UndoStack u;
  std::vector<int> order;
  u.beginGroup();
  u.registerUndo([&] { order.push_back(1); });
  u.beginGroup();
  u.registerUndo([&] { order.push_back(2); });
  u.endGroup();
  u.endGroup();
  EXPECT_EQ(u.undoCount(), 1u);
  u.undo();
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  u.beginGroup();
  u.endGroup();  // an empty group is no step
  EXPECT_FALSE(u.canUndo());
}

TEST(UndoStack, UndoAndRedoAlternateThroughSelfRegisteringActions) {
  UndoStack u;
  Tracked t{u};
  t.set(1);
  t.set(2);
  u.undo();
  EXPECT_EQ(t.value, 1);
  EXPECT_TRUE(u.canRedo());
  u.redo();
  EXPECT_EQ(t.value, 2);
  u.undo();
  u.undo();
  EXPECT_EQ(t.value, 0);
  EXPECT_FALSE(u.canUndo());
  u.redo();
  EXPECT_EQ(t.value, 1);
  t.set(5);  // a new change forgets what could be redone
  EXPECT_FALSE(u.canRedo());
  u.undo();
  EXPECT_EQ(t.value, 1);
}

// A run of nudges is one step; anything else in between, or an undo, starts a new one.
TEST(UndoStack, ARunOfChangesOfOneObjectIsOneStep) {
  UndoStack u;
  Tracked a{u}, b{u};
  const auto nudge = [&u](Tracked& t) { u.inRun(&t, [&t] { t.set(t.value + 1); }); };
  nudge(a);
  nudge(a);
  nudge(a);
  EXPECT_EQ(u.undoCount(), 1u);
  nudge(b);  // another object: a new run
  nudge(b);
  EXPECT_EQ(u.undoCount(), 2u);
  a.set(10);  // a plain change ends the run of a
  nudge(a);
  nudge(a);
  EXPECT_EQ(u.undoCount(), 4u);
  u.undo();
  EXPECT_EQ(a.value, 10);
  u.undo();
  u.undo();
  EXPECT_EQ(b.value, 0);
  EXPECT_EQ(a.value, 3);
  u.redo();
  EXPECT_EQ(b.value, 2);  // the run redoes as one step too
  nudge(b);               // after an undo or redo a nudge starts a new step
  EXPECT_EQ(u.undoCount(), 3u);
  u.undo();
  EXPECT_EQ(b.value, 2);
  u.undo();
  EXPECT_EQ(b.value, 0);
  u.undo();
  EXPECT_EQ(a.value, 0);
}
