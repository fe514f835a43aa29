#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "io/report_rtf.h"
#include "macro_fixture.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

using ReportCommands = MacroFixture;

TEST_F(ReportCommands, FillSaveClearAndOpenTheReport) {
  addBuffer({1, 2}, {3, 4}).source = "C1s";
  const std::string file = settings.path("job report.rtf");
  run("defaultfont Courier 10\ndefaultcolor 0 0 1\n"
      "repadd Times 14 1 0 0 'Title\\n'\nqrepadd 'a note'\nreppaste buffer\nreppaste fit\n"
      "repsave '" +
      file + "'\nrepclear\n");
  EXPECT_TRUE(mc.report.empty());
  EXPECT_TRUE(ui.alerts.empty());
  run("repopen '" + file + "'");
  const auto& runs = mc.report.runs();
  ASSERT_GE(runs.size(), 4u);
  EXPECT_EQ(runs[0].text, "Title\n");
  EXPECT_EQ(runs[0].family, "Times");
  EXPECT_EQ(runs[0].size, 14.0);
  EXPECT_EQ(runs[0].colour, (Colour{1, 0, 0, 1}));
  EXPECT_EQ(runs[1].text, "a note");
  EXPECT_EQ(runs[1].colour, (Colour{0, 0, 1, 1}));
  EXPECT_EQ(runs[1].size, 10.0);
  EXPECT_NE(mc.report.plainText().find("Data Buffer Information\nNo X Y Points Source           Comment\n"
                                       " 0 1 1      2 C1s              new\n"),
            std::string::npos)
      << mc.report.plainText();
  EXPECT_EQ(mc.report.plainText().find("Curve Fit"), std::string::npos);  // empty fit table

  run("repprint");
  EXPECT_EQ(ui.reportPrints, 1);
}

// A report file that cannot be read or written names the path and the system's reason,
// keeps the report and stops the macro.
TEST_F(ReportCommands, FailedReportFilesSayWhyAndStopTheMacro) {
  const std::string missing = settings.path("missing.rtf"), fifo = settings.path("fifo.rtf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string command, title, message;
  } cases[] = {
      {"repopen '" + missing + "'", "Report Open Error", "Could not read " + missing + ": No such file or directory"},
      {"repopen '" + fifo + "'", "Report Open Error", "Could not read " + fifo + ": it is not a regular file"},
      {"repsave /no/such/folder/r.rtf", "Report Save Error",
       "Could not write /no/such/folder/r.rtf: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    ui.alerts.clear();
    mc.report.clear();
    run("qrepadd kept\n" + c.command + "\nqrepadd 'not reached'\n");
    ASSERT_EQ(ui.alerts.size(), 1u);
    EXPECT_EQ(ui.alerts[0].title, c.title);
    EXPECT_EQ(ui.alerts[0].message, c.message);
    EXPECT_EQ(mc.report.plainText(), "kept");
  }
}

// The figure is drawn in memory: a link planted where a picture file might go is left
// alone, and so is the file it points at.
TEST_F(ReportCommands, AFigureFollowsNoPlantedLink) {
  addBuffer({1, 2, 3}, {3, 1, 2});
  const std::string victim = settings.path("victim.txt");
  const std::string planted =
      (std::filesystem::temp_directory_path() / ("xyla-report-" + std::to_string(::getpid()) + ".png")).string();
  test::writeFile(victim, "precious");
  std::filesystem::remove(planted);
  ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
  run("reppaste figure\n");
  std::filesystem::path link(planted);
  const bool stillALink = std::filesystem::is_symlink(link);
  std::filesystem::remove(link);
  EXPECT_TRUE(stillALink);
  EXPECT_EQ(test::readFile(victim), "precious");
  ASSERT_EQ(mc.report.runs().size(), 1u);
  EXPECT_FALSE(mc.report.runs()[0].png.empty());
}

}  // namespace
}  // namespace xyla::test
