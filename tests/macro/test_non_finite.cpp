// Numbers that are not finite in macro arguments: they are values, not errors of the
// language. Points and variables take them; every command given one in any numeric
// argument finishes, and the document still draws in bounded time.
#include <cmath>
#include <map>
#include <set>

#include "macro/command_table.h"
#include "macro_fixture.h"

namespace xyla::test {
namespace {

class NonFinite : public MacroFixture {
 protected:
  void SetUp() override {
    addBuffer({1, 2, 3, 4, 5, 6}, {3, 1, 4, 1, 5, 9});
    addBuffer({1, 2, 3, 4}, {2, 7, 1, 8});
  }
};

// Domain errors reach points and variables as they are and stop nothing.
TEST_F(NonFinite, DomainErrorsAreData) {
  const std::string printed =
      run("addvalue 0 3 sqrt(-1)\nsetyvalue 1 0 1/0\nsetvar v log(0)\nsetvar w 0/0\nprint v '/' w\n"
          "range 1 1/0 5 \nsetvar after 1");
  EXPECT_TRUE(syntaxErrors().empty());
  EXPECT_EQ(m.GV["after"], 1.0);
  ASSERT_EQ(doc.buffer(0)->count(), 7);
  EXPECT_EQ(doc.buffer(0)->X.back(), 3.0);
  EXPECT_TRUE(std::isnan(doc.buffer(0)->Y.back()));
  EXPECT_EQ(doc.buffer(0)->getYmax(), 9.0) << "the extent skips the undefined value";
  EXPECT_TRUE(std::isinf(doc.buffer(1)->Y[0]));
  EXPECT_EQ(m.GV["v"], -INFINITY);
  EXPECT_TRUE(std::isnan(m.GV["w"]));
  EXPECT_EQ(printed, "-inf/nan");
  EXPECT_EQ(doc.xmax1, XylaDocument(&m).xmax1) << "a range with an infinite limit is ignored";
  EXPECT_GT(drawn().ops.size(), 0u);
}

// An undefined smoothing factor counts as none: an unchanged copy, not a window of
// undefined width.
TEST_F(NonFinite, UndefinedFourierFactorSmoothsNothing) {
  run("fftsmooth 0/0 0");
  ASSERT_EQ(doc.bufferCount(), 3);
  for (int i = 0; i < doc.buffer(0)->count(); ++i) EXPECT_NEAR(doc.buffer(2)->Y[i], doc.buffer(0)->Y[i], 1e-5);
}

// Every command that takes numbers, given NaN or an infinity in each numeric argument,
// returns and leaves a document that draws with a bounded number of operations.
TEST_F(NonFinite, EveryCommandSurvivesThemInEveryNumber) {
  const std::set<CommandGroup> skipped = {CommandGroup::Files, CommandGroup::ControlFlow};
  const std::set<std::string> asking = {"quitapp", "close", "hideapp", "input", "ask", "askoption"};
  const std::size_t plain = drawn().ops.size();
  int runs = 0;
  for (const CommandEntry* e : CommandTable::standard().entries()) {
    if (skipped.count(e->group) || asking.count(e->name) || e->signature.find('d') == std::string::npos) continue;
    for (std::size_t p = 0; p < e->signature.size(); ++p) {
      if (e->signature[p] != 'd') continue;
      for (const char* bad : {"0/0", "1/0", "-1/0"}) {
        std::string line = e->name;
        for (std::size_t q = 0; q < e->signature.size(); ++q) {
          const char letter = e->signature[q];
          static const std::map<char, const char*> filler = {
              {'d', "2"}, {'i', "1"}, {'a', "all"}, {'b', "all"}, {'r', "1..2"}};
          line += " ";
          line += q == p ? bad : filler.count(letter) ? filler.at(letter) : "x";
        }
        SCOPED_TRACE(line);
        run(line);
        ++runs;
        EXPECT_LT(drawn().ops.size(), 50 * plain + 100000);
        EXPECT_TRUE(std::isfinite(doc.marginleft + doc.marginright + doc.margintop + doc.marginbottom));
        EXPECT_TRUE(std::isfinite(doc.viewWidth + doc.viewHeight));
      }
    }
  }
  EXPECT_GT(runs, 100);
}

}  // namespace
}  // namespace xyla::test
