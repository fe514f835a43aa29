#include "macro/tokenizer.h"
#include "macro_fixture.h"

namespace xyla::test {
namespace {

using BadInput = MacroFixture;

TEST_F(BadInput, TenMegabyteMacroRunsToTheEnd) {
  std::string text;
  text.reserve(11'000'000);
  for (int i = 0; i < 300'000; ++i) text += "setvar   a   a+1           \n";
  text += "# " + std::string(1'000'000, 'c') + "\n";
  text += "print '" + std::string(1'500'000, 'x');  // unterminated quote: the rest of the line
  ASSERT_GT(text.size(), 10'000'000u);
  m.GV["a"] = 0;
  const std::string printed = run(text);
  EXPECT_EQ(m.GV["a"], 300000.0);
  EXPECT_TRUE(printed == std::string(1'500'000, 'x')) << printed.size();
  EXPECT_TRUE(ui.alerts.empty());
}

TEST_F(BadInput, ArgumentsBeyondTheSlotsAndOddTokensAreRefusedCleanly) {
  addBuffer({1, 2}, {3, 4});
  std::string many = "bstyle";
  for (int i = 0; i < 40; ++i) many += " 1";
  run(many);
  EXPECT_EQ(syntaxErrors().size(), 1u);
  // Huge, non-finite and malformed numbers leave the document as it was.
  run("setyvalue 0 1e400 5\nsetyvalue 0 -99999999999 5\nsetyvalue 1/0 0 5\nbsymbol 1e30 0\naformat all 1/0\n"
      "adecplaces 1 -2147483649\nrange 1 1/0 5\nwindowsize 1e12 1e12\nbufferloop 99999999999..-99999999999\n"
      "loop ..\nloop :::\nloop ,\nendloop");
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{3, 4}));
  EXPECT_EQ(doc.buffer(0)->symbol, 0);
  EXPECT_EQ(doc.viewWidth, 640.0);
  EXPECT_EQ(syntaxErrors().size(), 1u);
}

TEST_F(BadInput, FormatNeverReadsArgumentsThatAreNotThere) {
  run("format a '%5.2f' 3.14159\nformat b '%s %d %n' 1\nformat c '%e|%g|%%' 1 2\nformat d '" +
      std::string(30, 'f') + "%f%f%f%f%f%f%f%f%f%f'");
  EXPECT_EQ(m.SV["a"], " 3.14");
  EXPECT_EQ(m.SV["b"], "%s %d %n");
  EXPECT_EQ(m.SV["c"], "1.000000e+00|2|%");
  EXPECT_EQ(m.SV["d"].substr(30), "%f%f%f%f%f%f%f%f%f%f");  // ten conversions for nine numbers
}

}  // namespace
}  // namespace xyla::test
