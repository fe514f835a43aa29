#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "io/ascii_actions.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

using xyla::ImportOptions;

namespace {

class AsciiActions : public ::testing::Test {
 protected:
  xyla::test::TempSettings settings;
  xyla::test::ScriptedUi ui;
  xyla::Manager m{ui};
};

}  // namespace

TEST_F(AsciiActions, PanelPresetFallsBackAndRemembersOptions) {
  const ImportOptions fresh = xyla::importPanelPreset();
  EXPECT_EQ(fresh.mode, 0);
  EXPECT_EQ(fresh.xcolumn, 1);
  EXPECT_TRUE(fresh.numberlines);
  ImportOptions o;
  o.mode = 1;
  o.separator = ";";
  o.xcolumn = 3;
  o.noxcolumn = true;
  o.ignore = "ign";
  o.commentmark = "%";
  o.numberlines = false;
  xyla::storeImportOptions(o);
  const ImportOptions back = xyla::importPanelPreset();
  EXPECT_EQ(back.mode, 1);
  EXPECT_EQ(back.separator, ";");
  EXPECT_EQ(back.xcolumn, 3);
  EXPECT_TRUE(back.noxcolumn);
  EXPECT_EQ(back.ignore, "ign");
  EXPECT_EQ(back.commentmark, "%");
  EXPECT_FALSE(back.numberlines);
}

TEST_F(AsciiActions, ImportActionImportsEachChosenFileWithItsPathAsSource) {
  xyla::importAsciiAction(m, ImportOptions{});
  EXPECT_EQ(ui.beeps, 1);  // no document
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  const std::string a = settings.path("a.txt"), b = settings.path("b.txt");
  xyla::test::writeFile(a, "1 2\n");
  xyla::test::writeFile(b, "3 4 5\n");
  ui.answerOpen({a, b});
  ImportOptions o;
  o.source = "ignored";
  o.xcolumn = 1;
  xyla::importAsciiAction(m, o);
  EXPECT_EQ(ui.panelTitles, std::vector<std::string>{"Import ASCII"});
  ASSERT_EQ(doc.bufferCount(), 3);
  EXPECT_EQ(doc.buffer(0)->source, a);
  EXPECT_EQ(doc.buffer(2)->source, b);
  EXPECT_EQ(settings->getString("PATH"), settings.path(""));
  EXPECT_EQ(settings->getString("ImportSep"), "");
  // Cancelling still stores the options.
  o.separator = "|";
  xyla::importAsciiAction(m, o);
  EXPECT_EQ(settings->getString("ImportSep"), "|");
  EXPECT_EQ(doc.bufferCount(), 3);
}

TEST_F(AsciiActions, ExportActionAsksForASelectionThenAName) {
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  doc.newBuffer().addDoubleValue(1, 2);
  ui.answer("Cancel");
  xyla::exportAsciiAction(m);
  EXPECT_EQ(ui.alerts.back().title, "No Buffer Selected");
  EXPECT_TRUE(ui.panelTitles.empty());
  ui.answer("Select All");
  const std::string name = settings.path("out");
  ui.answerSave(name);
  xyla::exportAsciiAction(m);
  EXPECT_EQ(ui.panelTitles, std::vector<std::string>{"Export ASCII"});
  EXPECT_EQ(xyla::test::readFile(name + ".0"), "1\t2\n");
}

TEST_F(AsciiActions, PastedTextImportsAsColumnsFromThePasteboard) {
  EXPECT_EQ(xyla::importPastedText(m, "1 2"), 0);
  EXPECT_EQ(ui.beeps, 1);
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  EXPECT_EQ(xyla::importPastedText(m, "x\ty\n1\t2\t3\n4\t5\t6"), 2);
  EXPECT_EQ(doc.buffer(1)->source, "Pasteboard");
  EXPECT_EQ(doc.buffer(1)->Y, (std::vector<double>{3, 6}));
  EXPECT_EQ(doc.buffer(0)->X, (std::vector<double>{1, 4}));
  // Text without numbers is named as the pasteboard, not as the temporary file.
  EXPECT_EQ(xyla::importPastedText(m, "no numbers"), 0);
  EXPECT_EQ(ui.alerts.back().message, "No points were read from Pasteboard.");
}

TEST_F(AsciiActions, PastedTextGoesThroughAPrivateTemporaryFileThatIsRemoved) {
  xyla::XylaDocument doc(&m);
  m.setCurrentDocument(&doc);
  const std::string tmp = settings.path("tmp");
  std::filesystem::create_directory(tmp);
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  EXPECT_EQ(xyla::importPastedText(m, "1\t2\n3\t4\n"), 1);
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
  // A temporary folder that is not there: nothing is imported, nothing breaks.
  setenv("TMPDIR", (tmp + "/missing").c_str(), 1);
  EXPECT_EQ(xyla::importPastedText(m, "5\t6\n"), 0);
  if (old)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  EXPECT_EQ(doc.bufferCount(), 1);
}
