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
  // Huge, malformed and undefined numbers leave the document as it was: indexes that
  // are not finite find nothing, setters ignore such values, and the margins refuse
  // them (a plot of undefined size cannot be drawn).
  struct Case {
    const char* line;
    int alerts;  // refusals; a refusal stops the run
  };
  const Case cases[] = {
      {"setyvalue 0 1e300*1e300 5", 1},
      {"setyvalue 0 -99999999999 5", 0},
      {"setyvalue 1/0 0 5", 0},
      {"bsymbol 10^30 0", 0},
      {"aformat all 1/0", 0},
      {"adecplaces 1 -2147483649", 0},
      {"range 1 1/0 5", 0},
      {"windowsize 10^12 10^12", 0},
      {"margins 50 50 50 0/0", 1},
      {"blinewidth 0/0 all", 0},
      {"blinewidth 1/0 all", 0},
      {"bufferloop 99999999999..-99999999999", 0},
      {"loop ..", 0},
      {"loop :::", 0},
      {"loop ,", 2},
      /* empty parts are reported; the run goes on */ {"endloop", 0},
  };
  for (const Case& c : cases) {
    const std::size_t before = ui.alerts.size();
    run(c.line);
    EXPECT_EQ(ui.alerts.size() - before, static_cast<std::size_t>(c.alerts)) << c.line;
  }
  EXPECT_EQ(syntaxErrors().back(), "Not a finite number: 0/0");  // from margins
  EXPECT_EQ(doc.buffer(0)->Y, (std::vector<double>{3, 4}));
  EXPECT_EQ(doc.buffer(0)->symbol, 0);
  EXPECT_EQ(doc.buffer(0)->linewidth, DataBuffer().linewidth);
  EXPECT_EQ(doc.viewWidth, 640.0);
  EXPECT_EQ(doc.marginbottom, XylaDocument(&m).marginbottom);
  EXPECT_EQ(doc.bufferCount(), 1);
}

TEST_F(BadInput, FactorsBeyondABufferAreTooFewPoints) {
  addBuffer({1, 2, 3}, {3, 4, 5});
  for (const char* line : {"smooth 2147483647 0", "datareduction 1073741824 0", "smooth 2 0", "datareduction 2 0"}) {
    ui.alerts.clear();
    run(line);
    ASSERT_EQ(ui.alerts.size(), 1u) << line;
    EXPECT_EQ(ui.alerts[0].title, "To Few Points") << line;
  }
}

TEST_F(BadInput, FormatNeverReadsArgumentsThatAreNotThere) {
  run("format a '%5.2f' 3.14159\nformat b '%s %d %n' 1\nformat c '%e|%g|%%' 1 2\nformat d '" +
      std::string(30, 'f') + "%f%f%f%f%f%f%f%f%f%f'");
  EXPECT_EQ(m.SV["a"], " 3.14");
  EXPECT_EQ(m.SV["b"], "%s %d %n");
  EXPECT_EQ(m.SV["c"], "1.000000e+00|2|%");
  EXPECT_EQ(m.SV["d"].substr(30), "%f%f%f%f%f%f%f%f%f%f");  // ten conversions for nine numbers
  // Widths and precisions beyond a thousand are not formatted (they would fill memory).
  run("format e '%2147483647f' 1\nformat f '%.1001f' 1\nformat g '%1000.3f' 1");
  EXPECT_EQ(m.SV["e"], "%2147483647f");
  EXPECT_EQ(m.SV["f"], "%.1001f");
  EXPECT_EQ(m.SV["g"].size(), 1000u);
}

}  // namespace
}  // namespace xyla::test
