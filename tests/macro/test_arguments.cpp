#include <cstdlib>

#include "macro_fixture.h"

namespace xyla::test {
namespace {

using Arguments = MacroFixture;

TEST_F(Arguments, NamesIgnoreCaseAndUnknownNamesStopTheRun) {
  addBuffer({0, 1}, {0, 1});
  EXPECT_EQ(run("PRINT 'a'\nRaNgE x 0 10\nfrobnicate 1 'two words' ''\nprint b"), "a");
  EXPECT_EQ(doc.xmin1, 0.0);
  EXPECT_EQ(doc.xmax1, 10.0);
  EXPECT_EQ(syntaxErrors(), (std::vector<std::string>{"Unkown command frobnicate 1 'two words' ''"}));
  EXPECT_EQ(ui.alerts[0].buttons, (std::vector<std::string>{"Ok"}));
}

TEST_F(Arguments, ArgumentCountIsCheckedAgainstTheSignature) {
  // print takes at most 16 arguments, range at least 3.
  std::string sixteen = "print", seventeen;
  for (int i = 0; i < 16; ++i) sixteen += " " + std::to_string(i % 10);
  seventeen = sixteen + " 7";
  EXPECT_EQ(run(sixteen), "0123456789012345");
  EXPECT_EQ(run(seventeen + "\nprint x"), "");
  EXPECT_EQ(run("range x 1\nprint x"), "");
  EXPECT_EQ(syntaxErrors(), (std::vector<std::string>{"Wrong number of arguments in " + seventeen,
                                                      "Wrong number of arguments in range x 1"}));
}

TEST_F(Arguments, NumberArgumentsStopTheRunOnExpressionErrors) {
  EXPECT_EQ(run("setvar a 2*3+\nprint after"), "");
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Expression Error");
  EXPECT_EQ(m.GV.count("a"), 0u);
  // yes and no are 1 and 0; a "u" argument prints the value of what parses.
  EXPECT_EQ(run("setvar a yes\nsetvar b NO\nprint a ' ' b ' ' 2.50 ' ' 1/4 Result: 3"), "1 0 2.5 0.25Result:3");
}

TEST_F(Arguments, StringArgumentsSubstituteVariablesAndLineBreaks) {
  m.SV["a"] = "short";
  m.SV["ab"] = "long";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const std::string printed = run("print $ab|$a|$abc|$|$home/x|two\\nlines");
  EXPECT_EQ(printed, "long|short|longc|$|" + m.SV["home"] + "/x|two\nlines");
  if (!home.empty()) {
    EXPECT_EQ(m.SV["home"], home);
  }
  EXPECT_EQ(m.SV["date"].size(), 19u);  // the preferences' default date format, to the second
  EXPECT_EQ(m.SV["time"].size(), 8u);
  // $date follows the date format of the preferences.
  settings->setString("TDF", "%d.%m.%Y|%j");
  const std::string date = run("print $date");
  EXPECT_EQ(date.size(), 14u) << date;
  EXPECT_EQ(date[2], '.');
  EXPECT_EQ(date[10], '|');
  // setstring keeps its value raw and strips a leading "$" from the name.
  EXPECT_EQ(run("setstring $v $ab\nsetstring $ 1\nprint $v"), "$ab");
  EXPECT_EQ(m.SV["$"], "1");
}

TEST_F(Arguments, ResultsAndGlobalVariablesAreVisibleToExpressions) {
  m.CV = {5, 7};
  EXPECT_EQ(run("print r0*2 ' ' r1"), "10 7");
  m.GV["r1"] = 100;  // a global variable named like a result wins
  EXPECT_EQ(run("print r1+nb"), "100");
  // The predefined variables stay visible afterwards.
  addBuffer({1}, {2});
  run("setvar w windowwidth");
  EXPECT_EQ(m.GV["nb"], 1.0);
  EXPECT_EQ(m.GV["w"], doc.viewWidth);
  EXPECT_EQ(m.GV["frameright"], doc.viewWidth - doc.marginright);
}

TEST_F(Arguments, DataFunctionsReadTheTargetDocument) {
  addBuffer({5}, {1});
  XylaDocument other(&m);
  other.newBuffer().addDoubleValue(7, 1);
  macro.src = "setvar v xval(0;0)";
  macro.parseMacroFor(m, &other, &mc);
  EXPECT_EQ(m.GV["v"], 7.0);
  EXPECT_EQ(m.calcDocument, &doc);  // back to the current document
}

TEST_F(Arguments, BufferListsInTheirOrder) {
  for (int i = 0; i < 4; ++i) addBuffer({0}, {0});
  doc.buffer(1)->show = false;
  m.setSelection({0, 3});
  auto list = [&](const std::string& arg) { return run("bufferloop " + arg + " : print l _ : endloop"); };
  EXPECT_EQ(list("3..1"), "3_2_1_");
  EXPECT_EQ(list("2..9"), "2_3_");
  EXPECT_EQ(list("-5..-1"), "3_");  // no buffers: no loop, the body runs once
  EXPECT_EQ(list("0,0,nb-1,9,-1"), "0_0_3_");
  EXPECT_EQ(list("ALL"), "0_1_2_3_");
  EXPECT_EQ(list("hidden"), "1_");
  EXPECT_EQ(list("visible"), "0_2_3_");
  EXPECT_EQ(list("selected"), "0_3_");
  EXPECT_EQ(list("unselected"), "1_2_");
  EXPECT_EQ(list("none"), "2_");  // no loop: the body runs once with the last l
}

TEST_F(Arguments, AxisLists) {
  doc.scale(1, 0, 1, 0, 1, false, false);
  doc.scale(2, 0, 1, 0, 1, false, false);
  run("range Y 5 6\nrange 3 7 8\nrange 0 -1 -2\nrange 5 -1 -2");
  EXPECT_EQ(doc.ymin1, 5.0);
  EXPECT_EQ(doc.ymax2, 6.0);
  EXPECT_EQ(doc.xmin1, 0.0);  // bottom axis untouched
  EXPECT_EQ(doc.xmin2, 7.0);
  EXPECT_EQ(doc.xmax2, 8.0);
  EXPECT_TRUE(syntaxErrors().empty());
}

}  // namespace
}  // namespace xyla::test
