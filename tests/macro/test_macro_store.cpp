#include <QTemporaryDir>

#include "macro/style_writer.h"
#include "model/settings.h"
#include "support/test_files.h"
#include "macro_fixture.h"

namespace xyla::test {
namespace {

using MacroStoreTest = MacroFixture;

std::vector<std::string> names(const MacroStore& s) {
  std::vector<std::string> out;
  for (const auto& m : s.MA) out.push_back(m->name);
  return out;
}

TEST_F(MacroStoreTest, FirstStartAddDeleteMoveRenameAndPersistence) {
  MacroStore& s = mc.store();
  s.load();
  EXPECT_EQ(names(s), (std::vector<std::string>{"New Macro"}));
  s.ma_delete();  // the last one stays
  EXPECT_EQ(ui.beeps, 1);
  s.ma_add();
  const int menus = ui.macroMenuChanges;
  s.rename(1, "Second");
  EXPECT_EQ(ui.macroMenuChanges, menus + 1) << "the Macro menus show the new name";
  s.ma_add();
  s.rename(2, "Third");
  EXPECT_EQ(s.selected, 2);
  s.ma_save("print 3", 'x', 0);
  s.ma_moveDown();  // already last
  s.ma_moveUp();
  EXPECT_EQ(names(s), (std::vector<std::string>{"New Macro", "Third", "Second"}));
  EXPECT_EQ(s.selected, 1);
  s.updateMacro(0);
  s.ma_moveUp();  // already first
  ui.answer("Cancel");
  EXPECT_FALSE(s.ma_delete());
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Delete Macro");
  EXPECT_EQ(ui.alerts[0].message, "clicking 'Delete' removes this macro immediately");
  ui.answer("Delete");
  EXPECT_TRUE(s.ma_delete());
  EXPECT_EQ(names(s), (std::vector<std::string>{"Third", "Second"}));
  s.updateMacro(1);

  MacroStore again(ui);
  again.load();
  EXPECT_EQ(names(again), names(s));
  EXPECT_EQ(again.MA[0]->src, "print 3");
  EXPECT_EQ(again.MA[0]->shortcut, 'x');
  EXPECT_EQ(again.selected, 1);
}

TEST_F(MacroStoreTest, ExportAndImportOfMacroFiles) {
  MacroStore& s = mc.store();
  s.load();
  s.ma_save("print 'a b'\nsetvar x 1", 'q', 2);
  s.ma_add();
  s.rename(1, "Zwei \xc3\xa4");
  QTemporaryDir dir;
  const std::string path = dir.filePath("mine").toStdString();
  ui.answerSave(path);
  s.ma_export();
  ui.answerOpen({path + ".maxyla"});
  EXPECT_TRUE(s.ma_import(1));  // appended
  ASSERT_EQ(names(s), (std::vector<std::string>{"New Macro", "Zwei \xc3\xa4", "New Macro", "Zwei \xc3\xa4"}));
  EXPECT_EQ(s.MA[2]->src, "print 'a b'\nsetvar x 1");
  EXPECT_EQ(s.MA[2]->shortcut, 'q');
  EXPECT_EQ(s.MA[2]->type, 2);
  EXPECT_EQ(s.selected, 2);
  ui.answerOpen({path + ".maxyla"});
  EXPECT_TRUE(s.ma_import(0));  // replaced
  EXPECT_EQ(s.MA.size(), 2u);
  // The stored list is the same archive: a fresh store reads it back.
  MacroStore again(ui);
  again.load();
  EXPECT_EQ(names(again), names(s));
  // Unreadable files change nothing; an empty list cannot be exported.
  xyla::test::writeFile(dir.filePath("bad.maxyla").toStdString(), "not an archive");
  ui.answerOpen({dir.filePath("bad.maxyla").toStdString()});
  EXPECT_FALSE(s.ma_import(0));
  EXPECT_EQ(s.MA.size(), 2u);
  EXPECT_EQ(Settings::standard()->getInt("SrcImportMode"), 0);
  s.MA.clear();
  const int beeps = ui.beeps;
  s.ma_export();
  EXPECT_EQ(ui.beeps, beeps + 1);
}

TEST_F(MacroStoreTest, ShortcutsRunEveryMatchingMacroInOrderAndCaseCounts) {
  MacroStore& s = mc.store();
  s.MA.clear();
  s.MA.push_back(std::make_unique<Macro>("one", "print 1", 'a', 0));
  s.MA.push_back(std::make_unique<Macro>("two", "print 2", 'A', 0));
  s.MA.push_back(std::make_unique<Macro>("three", "print 3", 'a', 0));
  mc.ma_executeByShortcut('a');
  EXPECT_EQ(mc.console(), "13");
  mc.ma_clr();
  mc.ma_executeByShortcut('A');
  EXPECT_EQ(mc.console(), "2");
}

TEST_F(MacroStoreTest, InsertStyleWritesIntoTheSelectedMacro) {
  MacroStore& s = mc.store();
  s.load();
  s.ma_save("# mine\n", 0, 0);
  mc.ma_insertStyle(100);
  EXPECT_EQ(s.MA[0]->src, "# mine\n" + styleScript(doc));
  MacroStore again(ui);
  again.load();
  EXPECT_EQ(again.MA[0]->src, s.MA[0]->src);
}

}  // namespace
}  // namespace xyla::test
