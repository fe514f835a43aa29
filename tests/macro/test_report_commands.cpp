#include "io/report_rtf.h"
#include "macro_fixture.h"

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

  run("repopen '" + settings.path("missing.rtf") + "'\nrepsave /no/such/folder/r.rtf");
  ASSERT_EQ(ui.alerts.size(), 2u);
  EXPECT_EQ(ui.alerts[0].title, "Report Open Error");
  EXPECT_EQ(ui.alerts[1].title, "Report Save Error");
  EXPECT_FALSE(mc.report.empty());  // a failed open keeps the report

  run("repprint");
  EXPECT_EQ(ui.reportPrints, 1);
}

}  // namespace
}  // namespace xyla::test
