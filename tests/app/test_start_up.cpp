#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/preferences.h"
#include "app/start_up.h"
#include "app/update_check.h"
#include "model/settings.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

// Characters, dates and system messages follow the person's locale; numbers never do.
TEST(StartUp, TheUserLocaleGovernsTextButNotNumbers) {
  const char* old = std::getenv("LC_ALL");
  const std::string saved = old ? old : "";
  const std::string before = std::setlocale(LC_ALL, nullptr);
  setenv("LC_ALL", "C.UTF-8", 1);
  useUserLocaleWithDecimalPoint();
  for (const int category : {LC_CTYPE, LC_TIME, LC_MESSAGES})
    EXPECT_STREQ(std::setlocale(category, nullptr), "C.UTF-8");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.1f", 2.5);
  EXPECT_STREQ(buf, "2.5");
  if (old)
    setenv("LC_ALL", saved.c_str(), 1);
  else
    unsetenv("LC_ALL");
  std::setlocale(LC_ALL, before.c_str());
}

TEST(StartUp, FirstLaunchWritesThePaletteAndOneMacro) {
  TempSettings settings;
  ScriptedUi ui;
  Application app(ui);
  initPreferences(*settings, app.macros(), &app.queries());
  ASSERT_EQ(app.macros().store().MA.size(), 1u);
  ASSERT_EQ(app.queries().MYQ.size(), 1u);
  EXPECT_EQ(app.queries().MYQ[0].name, "New Query");
  EXPECT_TRUE(settings->contains("MySQLQueries"));
  EXPECT_EQ(app.macros().store().MA[0]->name, "New Macro");
  EXPECT_EQ(settings->getString("TDF"), kDefaultTimeFormat);
  EXPECT_EQ(settings->getColour("IPcolor2"), (Colour{0, 0.25016, 0.50405, 1}));
  EXPECT_EQ(settings->getColour("IPcolor15"), (Colour{0.50196, 0, 1, 1}));

  // A user's colour survives the next start and goes on revertColors.
  settings->setColour("IPcolor3", {1, 1, 1, 1});
  initPreferences(*settings, app.macros());
  EXPECT_EQ(palette(*settings)[3], (Colour{1, 1, 1, 1}));
  revertColors(*settings);
  EXPECT_EQ(palette(*settings), defaultPalette());
}

// A "myxyla" file opened as a document replaces the query list and opens no document.
TEST(StartUp, OpeningAQueryFileReplacesTheQueryList) {
  TempSettings settings;
  ScriptedUi ui;
  Application app(ui);
  XylaDocument& doc = app.newDocument();
  MySQLQuery q;
  q.name = "from file";
  writeFile(settings.path("q.myxyla"), encodeQueryList({q}));
  EXPECT_EQ(app.openDocument(settings.path("q.myxyla")), &doc);
  ASSERT_EQ(app.queries().MYQ.size(), 1u);
  EXPECT_EQ(app.queries().MYQ[0].name, "from file");
  EXPECT_EQ(ui.queryPanelShows, 1);
  EXPECT_EQ(app.manager().PD, &doc);
}

// A Tabulix plot file opens as a new, untitled document.
TEST(StartUp, OpeningATabulixPlotFileMakesAnUntitledDocument) {
  TempSettings settings;
  ScriptedUi ui;
  Application app(ui);
  app.newDocument();
  writeFile(settings.path("plot.tx"), "Tabulix.7\n### DATA (ASCII)\n1\n0\n0\n0\n0\n2\n1\ns\nc\n0\n0\n0\n0\n0\n0\n0\n1\n0\n3\n0\n0\n"
                                      "0\n0\n0\n1\n2\n3\n4\n");
  XylaDocument* doc = app.openDocument(settings.path("plot.tx"));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(app.manager().PD, doc);
  ASSERT_EQ(doc->bufferCount(), 1);
  EXPECT_EQ(doc->buffer(0)->count(), 2);
  EXPECT_EQ(doc->fileName, "");
}

TEST(StartUp, MacroClosingTheStartDocumentEndsTheBatchCleanly) {
  TempSettings settings;
  ScriptedUi ui;
  Application app(ui);
  app.newDocument();
  writeFile(settings.path("job.mac"), "newbuffer\nclose\nprint after\n");
  CommandLine cl;
  cl.macroFile = settings.path("job.mac");
  cl.list = true;
  std::ostringstream out, err;
  EXPECT_EQ(app.runCommandLine(cl, out, err), 1);  // the macro stopped on an error
  EXPECT_NE(err.str().find("line 3"), std::string::npos) << err.str();
  EXPECT_EQ(app.manager().PD, nullptr);
  EXPECT_EQ(out.str(), "");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].message, "Unkown command print after");
}

TEST(StartUp, MacroSavesTheDocumentAndOpensItAgainAsTheCurrentOne) {
  TempSettings settings;
  ScriptedUi ui;
  Application app(ui);
  app.newDocument();
  const std::string file = settings.path("two buffers.xyla");
  ui.answerSave(file);
  writeFile(settings.path("job.mac"), "newbuffer\nnewbuffer\nsaveas '" + file + "'\nnew\nopen '" + file + "'\n");
  CommandLine cl;
  cl.macroFile = settings.path("job.mac");
  std::ostringstream out, err;
  EXPECT_EQ(app.runCommandLine(cl, out, err), 0);
  const XylaDocument* opened = app.manager().PD;
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->bufferCount(), 2);  // not the empty "new" document
  EXPECT_EQ(opened->fileName, file);
  EXPECT_EQ(app.openDocument(settings.path("missing.xyla")), nullptr);
  EXPECT_EQ(app.manager().PD, opened);
  // A FIFO is refused at once instead of waiting for someone to write into it.
  const std::string fifo = settings.path("fifo.xyla");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(app.openDocument(fifo), nullptr);
  EXPECT_EQ(ui.alerts.back().message, "Could not read " + fifo + ": it is not a regular file");
}

TEST(UpdateCheck, ComparesVersionsAndStaysQuietWhenNothingIsNewer) {
  TempSettings settings;
  ScriptedUi ui;
  const std::string page = "https://example.invalid/download";
  reportUpdate(ui, 1.5, 1.5, true, page);
  EXPECT_TRUE(ui.alerts.empty());
  reportUpdate(ui, 1.5, 1.25, false, page);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Update check");
  EXPECT_EQ(ui.alerts[0].message, "Your version of Xyla is up to date");
  reportUpdate(ui, 1.5, 2, true, page);
  ASSERT_EQ(ui.alerts.size(), 2u);
  EXPECT_EQ(ui.alerts[1].title, "A new Xyla version is available");
  EXPECT_EQ(ui.alerts[1].message, "This version: 1.5\nCurrent version: 2");
  EXPECT_EQ(ui.urls, std::vector<std::string>{page});
  ui.answer("Later");
  reportUpdate(ui, 1.5, 2, true, page);
  EXPECT_EQ(ui.urls.size(), 1u);

  // The version text comes from a local file named by a setting; nothing else is read.
  writeFile(settings.path("version.txt"), " 99.5\n");
  EXPECT_EQ(versionFromText(readVersionText("file://" + settings.path("version.txt"))), 99.5);
  EXPECT_EQ(readVersionText("https://example.invalid/version.txt"), "");
  EXPECT_EQ(versionFromText("garbage"), 0.0);
  checkForUpdates(ui, true);  // no location: the check is off
  EXPECT_EQ(ui.alerts.size(), 3u);
  settings->setString("UpdateCheckLocation", settings.path("version.txt"));
  settings->setString("UpdateDownloadPage", "file:///download");
  checkForUpdates(ui, true);
  EXPECT_EQ(ui.alerts.size(), 4u);
  EXPECT_EQ(ui.urls, (std::vector<std::string>{page, "file:///download"}));
}

// A version file that never answers (a FIFO nobody writes to, standing for a hung
// mount) holds up neither the check nor its reading; only regular files are read.
TEST(UpdateCheck, AVersionFileThatNeverAnswersIsGivenUp) {
  TempSettings settings;
  ScriptedUi ui;
  const std::string fifo = settings.path("version.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(readVersionText(fifo), "");
  EXPECT_EQ(readVersionText("/dev/zero"), "");
  settings->setString("UpdateCheckLocation", fifo);
  checkForUpdates(ui, false, 0.2);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Update check");
}

}  // namespace
}  // namespace xyla::test
