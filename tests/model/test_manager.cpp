#include <gtest/gtest.h>

#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

using xyla::Manager;
using xyla::XylaDocument;

TEST(Manager, SelectionGuard) {
  xyla::test::TempSettings settings;
  xyla::test::ScriptedUi ui;
  Manager m(ui);
  EXPECT_FALSE(m.selectionGuard());  // no document: beep
  EXPECT_EQ(ui.beeps, 1);
  XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  doc.newBuffer();
  doc.newBuffer();
  ui.answer("Cancel");
  EXPECT_FALSE(m.selectionGuard());
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "No Buffer Selected");
  EXPECT_EQ(ui.alerts[0].message, "please select at least on buffer in the Data Inspector");
  EXPECT_EQ(ui.alerts[0].buttons, (std::vector<std::string>{"Select All", "Cancel"}));
  EXPECT_TRUE(m.selection().empty());
  ui.answer("Select All");
  EXPECT_TRUE(m.selectionGuard());
  EXPECT_EQ(m.selection(), (std::set<int>{0, 1}));
  EXPECT_TRUE(m.selectionGuard());  // something selected: no question
  EXPECT_EQ(ui.alerts.size(), 2u);
  m.setSelection({5});  // stale indexes do not count
  ui.answer("Cancel");
  EXPECT_FALSE(m.selectionGuard());
}

TEST(Manager, CurrentDocumentAndClosing) {
  xyla::test::ScriptedUi ui;
  Manager m(ui);
  {
    XylaDocument a(&m);
    XylaDocument b(&m);
    m.setCurrentDocument(&a);
    m.select(0);
    m.setCurrentDocument(&b);
    EXPECT_EQ(m.PD, &b);
    EXPECT_EQ(m.CPD, &a);
    EXPECT_EQ(m.calcDocument, &b);
    EXPECT_TRUE(m.selection().empty());  // the selection belongs to the old document
    EXPECT_GE(ui.panelRefreshes, 2);
  }
  EXPECT_EQ(m.PD, nullptr);  // closing documents clears every reference
  EXPECT_EQ(m.CPD, nullptr);
  EXPECT_EQ(m.calcDocument, nullptr);
}
