// The macro editor and the Help menu with real key events on the offscreen platform.
#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

#include "app/version.h"
#include "gui/help_windows.h"
#include "gui/macro_editor.h"
#include "gui/macro_panel.h"
#include "gui_fixture.h"
#include "macro/command_reference.h"
#include "macro/macro_syntax.h"

namespace xyla::test {

namespace {

// Types `text` as a keyboard would: keys go to the open completion list when there is
// one, else to the editor.
void type(gui::MacroEditor& editor, const QString& text) {
  for (const QChar c : text) {
    QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : &editor;
    if (c == '\n')
      QTest::keyClick(target, Qt::Key_Return);
    else
      QTest::keyClicks(target, QString(c));
  }
}

void key(gui::MacroEditor& editor, int k, Qt::KeyboardModifiers mods = {}) {
  QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : &editor;
  QTest::keyClick(target, static_cast<Qt::Key>(k), mods);
}

QString lineText(const gui::MacroEditor& e, int line) { return e.document()->findBlockByNumber(line - 1).text(); }

class MacroEditorTest : public ::testing::Test {
 protected:
  MacroEditorTest() {
    editor.resize(700, 400);
    editor.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.setFocus();
  }
  ~MacroEditorTest() override { gui::closeHelpWindows(); }
  gui::MacroEditor editor;
};

TEST_F(MacroEditorTest, MarksUnknownCommandsAndWrongCountsWhileTyping) {
  // The line being typed is marked once the cursor leaves it.
  type(editor, "rescale\nplott 1");
  EXPECT_TRUE(editor.extraSelections().isEmpty());
  type(editor, "\nbcolor 1 2");
  EXPECT_EQ(editor.toPlainText(), "rescale\nplott 1\nbcolor 1 2");
  EXPECT_EQ(editor.markedLines(), (std::vector<int>{2, 3}));
  EXPECT_EQ(editor.extraSelections().size(), 1);
  // Meanwhile the hint line gives the arguments, the one being typed in bold.
  EXPECT_TRUE(editor.hint()->text().contains("<b>bcolor</b> red <b><u>green</u></b> blue"))
      << editor.hint()->text().toStdString();
  // On a marked line it tells what is wrong.
  key(editor, Qt::Key_Up);
  EXPECT_TRUE(editor.hint()->text().contains("Unkown command plott 1"));
  EXPECT_TRUE(editor.hint()->text().contains("did you mean <b>plot</b>"));
  key(editor, Qt::Key_Down);
  EXPECT_EQ(editor.extraSelections().size(), 2);
  EXPECT_TRUE(editor.hint()->text().contains("Wrong number of arguments in bcolor 1 2"));
  EXPECT_TRUE(editor.hint()->text().contains("bcolor red green blue buffers [alpha]"));

  // Mending line 3 takes its mark away; undoing the mending brings the mark back.
  editor.setPlainText(editor.toPlainText());  // the typing above is no longer to undo
  key(editor, Qt::Key_End, Qt::ControlModifier);
  type(editor, " 3 all");
  EXPECT_EQ(editor.markedLines(), (std::vector<int>{2}));
  for (int i = 0; i < 10 && editor.document()->isUndoAvailable(); ++i) key(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(lineText(editor, 3), "bcolor 1 2");
  EXPECT_EQ(editor.markedLines(), (std::vector<int>{2, 3}));
  for (int i = 0; i < 10 && editor.document()->isRedoAvailable(); ++i)  // and redo mends it again
    key(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(lineText(editor, 3), "bcolor 1 2 3 all");
  EXPECT_EQ(editor.markedLines(), (std::vector<int>{2}));

  // A Perl macro's text is not checked.
  editor.setMacroLanguage(false);
  EXPECT_TRUE(editor.markedLines().empty());
}

TEST_F(MacroEditorTest, CompletesCommandNamesAndShowsTheArgumentsAsYouType) {
  type(editor, "bstylel");
  QAbstractItemView* popup = editor.completer()->popup();
  ASSERT_TRUE(popup->isVisible());
  EXPECT_TRUE(popup->currentIndex().data(Qt::UserRole).toString().startsWith("bstylel"));
  key(editor, Qt::Key_Return);  // taken by the list: the name is completed, no new line
  EXPECT_FALSE(popup->isVisible());
  const QString line = lineText(editor, 1);
  EXPECT_EQ(editor.blockCount(), 1);
  ASSERT_TRUE(line.startsWith("bstylel") && line.endsWith(' ')) << line.toStdString();
  // The first argument is the one to type now; after it, the second.
  EXPECT_TRUE(editor.hint()->text().contains("<b><u>on</u></b>")) << editor.hint()->text().toStdString();
  type(editor, "1 ");
  EXPECT_TRUE(editor.hint()->text().contains("<b><u>buffers</u></b>")) << editor.hint()->text().toStdString();

  // Ctrl+Space lists every name on an empty line; Escape closes the list.
  key(editor, Qt::Key_Return);
  key(editor, Qt::Key_Space, Qt::ControlModifier);
  EXPECT_TRUE(popup->isVisible());
  EXPECT_EQ(editor.completer()->completionCount(), static_cast<int>(commandNames().size()));
  key(editor, Qt::Key_Escape);
  EXPECT_FALSE(popup->isVisible());
  // A name typed out in full needs no list; one that longer names begin with ends its
  // line with Return all the same.
  type(editor, "rescale");
  EXPECT_FALSE(popup->isVisible());
  type(editor, "\nfit");
  EXPECT_TRUE(popup->isVisible());  // fitrow, fitclear, ...
  type(editor, "\nplot");
  EXPECT_EQ(editor.toPlainText().section('\n', -3), "rescale\nfit\nplot");
}

TEST_F(MacroEditorTest, CommentsOutFindsAndGoesToLines) {
  editor.setPlainText("rescale\nplott\n\nbcolor 1 1 1 all\nplot");
  ASSERT_EQ(editor.markedLines(), (std::vector<int>{2}));
  key(editor, Qt::Key_A, Qt::ControlModifier);
  key(editor, Qt::Key_Slash, Qt::ControlModifier);
  EXPECT_EQ(editor.toPlainText(), "# rescale\n# plott\n\n# bcolor 1 1 1 all\n# plot");
  EXPECT_TRUE(editor.markedLines().empty());
  key(editor, Qt::Key_Slash, Qt::ControlModifier);  // again: the comment marks go
  EXPECT_EQ(editor.toPlainText(), "rescale\nplott\n\nbcolor 1 1 1 all\nplot");
  key(editor, Qt::Key_Z, Qt::ControlModifier);  // each toggle is one undo step
  EXPECT_EQ(editor.toPlainText(), "# rescale\n# plott\n\n# bcolor 1 1 1 all\n# plot");
  key(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(editor.toPlainText(), "rescale\nplott\n\nbcolor 1 1 1 all\nplot");

  // Find: the bar opens, typing finds, Return goes on and wraps round, Escape closes.
  key(editor, Qt::Key_Home, Qt::ControlModifier);
  key(editor, Qt::Key_F, Qt::ControlModifier);
  QLineEdit* field = editor.barField();
  ASSERT_TRUE(field->isVisible());
  QTest::keyClicks(field, "plot");
  EXPECT_EQ(editor.textCursor().blockNumber(), 1);  // "plott" on line 2
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(editor.textCursor().blockNumber(), 4);
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(editor.textCursor().blockNumber(), 1);
  QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(editor.textCursor().blockNumber(), 4);
  EXPECT_EQ(editor.textCursor().selectedText(), "plot");
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_FALSE(field->isVisible());
  key(editor, Qt::Key_F3);
  EXPECT_EQ(editor.textCursor().blockNumber(), 1);

  // Go to line: only digits are taken, and a line past the end is the last one.
  key(editor, Qt::Key_L, Qt::ControlModifier);
  ASSERT_TRUE(field->isVisible());
  QTest::keyClicks(field, "x4");
  EXPECT_EQ(field->text(), "4");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(editor.textCursor().blockNumber(), 3);
  EXPECT_FALSE(field->isVisible());
  key(editor, Qt::Key_L, Qt::ControlModifier);
  QTest::keyClicks(field, "9");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(editor.textCursor().blockNumber(), 4);
  EXPECT_EQ(editor.toPlainText(), "rescale\nplott\n\nbcolor 1 1 1 all\nplot");  // Return typed nothing
}

TEST_F(MacroEditorTest, F1OpensTheReferenceAtTheCommandUnderTheCursor) {
  editor.setPlainText("rescale\nshirleybg 296 1870 274 1885 0");
  key(editor, Qt::Key_End, Qt::ControlModifier);
  key(editor, Qt::Key_F1);
  ASSERT_TRUE(QApplication::topLevelWidgets().contains(&gui::showCommandReference()));
  gui::CommandReferenceWindow& w = gui::showCommandReference();
  EXPECT_TRUE(w.isVisible());
  ASSERT_TRUE(w.list()->currentItem());
  EXPECT_EQ(w.list()->currentItem()->text(0), "shirleybg");
  EXPECT_TRUE(w.details()->toPlainText().contains("shirleybg x1 y1 x2 y2 buffers"));
}

class HelpMenu : public GuiFixture {
 protected:
  ~HelpMenu() override { gui::closeHelpWindows(); }
  QAction* helpAction(const QString& title) {
    for (QAction* menu : window->menuBar()->actions()) {
      if (menu->text() != "&Help") continue;
      for (QAction* a : menu->menu()->actions())
        if (a->text().remove('&') == title) return a;
    }
    return nullptr;
  }
};

TEST_F(HelpMenu, CommandReferenceSearchesTheWholeTable) {
  QAction* open = helpAction("Command Reference");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->shortcut(), QKeySequence(QKeySequence::HelpContents));
  open->trigger();
  gui::CommandReferenceWindow& w = gui::showCommandReference();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_EQ(w.visibleCommands().size(), static_cast<int>(commandReference().size()));
  w.search()->setFocus();
  QTest::keyClicks(w.search(), "shirley");
  const QStringList found = w.visibleCommands();
  ASSERT_TRUE(found.contains("shirleybg"));
  for (const CommandReference& r : commandReference())
    EXPECT_EQ(found.contains(QString::fromStdString(r.name)), referenceMatches(r, "shirley")) << r.name;
  // The first match is shown with its usage, arguments and example.
  const QString details = w.details()->toPlainText();
  EXPECT_TRUE(details.contains(found.front()));
  EXPECT_TRUE(details.contains("Example"));
  QTest::keyClicks(w.search(), " nothing-like-this");
  EXPECT_TRUE(w.visibleCommands().isEmpty());
  EXPECT_TRUE(w.details()->toPlainText().contains("No command matches"));
}

TEST_F(HelpMenu, XpsGuideAndAboutBox) {
  QAction* guide = helpAction("XPS Guide");
  ASSERT_TRUE(guide);
  guide->trigger();
  QTextBrowser& g = gui::showXpsGuide();
  EXPECT_TRUE(g.isVisible());
  EXPECT_TRUE(g.toPlainText().startsWith("XPS analysis for papers")) << g.toPlainText().left(80).toStdString();
  EXPECT_TRUE(g.toPlainText().contains("tougaardbg"));

  QAction* about = helpAction("About Xyla");
  ASSERT_TRUE(about);
  about->trigger();
  QWidget& a = gui::showAbout();
  EXPECT_TRUE(a.isVisible());
  const QString text = a.findChild<QTextBrowser*>("AboutText")->toPlainText();
  EXPECT_TRUE(text.startsWith(QString("Xyla ") + versionText()));
  for (const auto& [name, version] : buildLibraries())
    EXPECT_TRUE(text.contains(QString::fromStdString(name + " " + version))) << name;
}

// A run from the panel that stops marks its line with the reason; the next edit
// takes the mark away.
TEST_F(HelpMenu, MacroPanelMarksTheLineWhereTheRunStopped) {
  app.macros().store().MA.clear();
  addMacro("stops", "rescale\nsetvar x 1\nmargins 1 2 3 1/0\nplot");
  app.macros().store().updateMacro(0);
  gui.showPanel("MacroInspectorVisible", true);
  gui::MacroPanel& mp = gui.macroPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&mp));
  QTest::mouseClick(mp.findChild<QPushButton*>("MacroRun"), Qt::LeftButton);
  gui::MacroEditor& editor = *mp.editor();
  EXPECT_EQ(editor.stopLine(), 3);
  EXPECT_EQ(editor.textCursor().blockNumber(), 2);
  EXPECT_TRUE(editor.hint()->text().contains("Not a finite number: 1/0")) << editor.hint()->text().toStdString();
  editor.setFocus();
  key(editor, Qt::Key_End);
  key(editor, Qt::Key_Backspace);
  key(editor, Qt::Key_Backspace);
  EXPECT_EQ(editor.stopLine(), 0);
  EXPECT_EQ(app.macros().store().MA[0]->src, "rescale\nsetvar x 1\nmargins 1 2 3 1\nplot");
}

}  // namespace

}  // namespace xyla::test
