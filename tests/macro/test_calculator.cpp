#include <gtest/gtest.h>

#include "macro/calculator.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/settings.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"

namespace xyla::test {
namespace {

TEST(Calculator, ResultsAssignmentsAndWords) {
  TempSettings settings;
  ScriptedUi ui;
  Manager m(ui);
  Calculator c(m);
  c.calcChanged(" 1+2\n");
  EXPECT_EQ(c.output, "1+2\n    r0 = 3\n");
  EXPECT_EQ(c.input, "3");
  c.calcChanged("r0*2");
  EXPECT_EQ(m.CV, (std::vector<double>{3, 6}));
  c.calcChanged("a = r1/4");
  EXPECT_EQ(m.GV["a"], 1.5);
  EXPECT_EQ(m.CV.size(), 2u);
  c.calcChanged("b =");
  EXPECT_EQ(c.input, "");
  EXPECT_EQ(m.GV.count("b"), 0u);
  const std::string before = c.output;
  c.calcChanged("a = 1 = 2");  // two signs: an expression, which fails
  EXPECT_EQ(m.CV.size(), 2u);
  EXPECT_EQ(c.output.rfind(before + "a = 1 = 2\n    ", 0), 0u);
  c.calcChanged("1/3");
  EXPECT_TRUE(c.output.ends_with("\n1/3\n    r2 = 0.333333333333\n")) << c.output;
  c.calcChanged("VAR");
  EXPECT_NE(c.output.find("\nr0 = 3\nr1 = 6\nr2 = 0.333333333333\na = 1.5\n\n"), std::string::npos);
  c.calcChanged("hist");
  EXPECT_TRUE(c.output.ends_with("\n\n1+2\nr0*2\na = r1/4\n1/3\n\n")) << c.output;
  EXPECT_TRUE(ui.alerts.empty());  // errors go to the output, not to alerts
  EXPECT_EQ(settings->getStringList("CalcHistory")->size(), 4u);

  // The state comes back after a restart.
  Manager m2(ui);
  Calculator c2(m2);
  c2.load();
  EXPECT_EQ(m2.CV, m.CV);
  EXPECT_EQ(c2.CH, c.CH);
  EXPECT_EQ(c2.output, c.output);

  c.calcChanged("clr");
  EXPECT_TRUE(m.CV.empty());
  EXPECT_EQ(c.output, "");
  c.calcChanged("a*2");
  EXPECT_EQ(c.output, "a*2\n    r0 = 3\n");  // variables survive clr
}

TEST(Calculator, HistoryKeys) {
  TempSettings settings;
  ScriptedUi ui;
  Manager m(ui);
  Calculator c(m);
  c.calcHistUp();
  c.calcHistDown();
  EXPECT_EQ(ui.beeps, 2);
  c.calcChanged("1");
  c.calcChanged("2");
  c.calcHistUp();
  EXPECT_EQ(c.input, "2");
  c.calcHistUp();
  c.calcHistUp();
  EXPECT_EQ(c.input, "1");
  c.calcHistDown();
  c.calcHistDown();
  EXPECT_EQ(c.input, "2");
  EXPECT_EQ(ui.beeps, 2);
}

// The data functions read the document in front, and a domain error is a value, shown
// the same on every platform.
TEST(Calculator, DataFunctionsReadTheCurrentDocument) {
  TempSettings settings;
  ScriptedUi ui;
  Manager m(ui);
  XylaDocument d(&m);
  DataBuffer& b = d.newBuffer();
  for (int i = 0; i < 4; ++i) b.addDoubleValue(10.0 + i, i * i);
  m.setCurrentDocument(&d);
  Calculator c(m);
  const struct {
    const char* line;
    const char* shown;
  } cases[] = {{"xval(0;1)", "11"},      {"yval(0;3)", "9"}, {"txmin", "10"},     {"tymax", "9"},   {"points 0", "4"},
               {"findy(12.5;0)", "6.5"}, {"xval(1;0)", "0"}, {"sqrt(-1)", "nan"}, {"-1/0", "-inf"}, {"log(0)", "-inf"}};
  for (const auto& k : cases) {
    c.calcChanged(k.line);
    EXPECT_EQ(c.input, k.shown) << k.line;
    EXPECT_TRUE(c.output.ends_with(std::string(" = ") + k.shown + "\n")) << c.output;
  }
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(m.calcDocument, &d);
}

}  // namespace
}  // namespace xyla::test
