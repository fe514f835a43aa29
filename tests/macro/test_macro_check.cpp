// The checks and aids of the macro editor, without windows: problems found without
// running, colouring, argument hints, comment toggling and the command reference.
#include <gtest/gtest.h>

#include <set>

#include "macro/command_reference.h"
#include "macro/command_table.h"
#include "macro/macro_check.h"
#include "macro/macro_syntax.h"
#include "macro_fixture.h"

namespace xyla::test {

namespace {

struct ProblemCase {
  const char* text;
  std::vector<MacroProblem> expected;
};

TEST(MacroCheck, FindsUnknownNamesAndWrongCountsOnTheirLines) {
  const std::vector<ProblemCase> cases = {
      {"rescale\nRESCALE 1\n", {}},
      {"rescale\n\nplott\n", {{3, "Unkown command plott", "", "plot"}}},
      {"bcolor 1 2", {{1, "Wrong number of arguments in bcolor 1 2", "bcolor red green blue buffers [alpha]", ""}}},
      {"if 1 == 1 : plott : endif\nsetvar",
       {{1, "Unkown command plott", "", "plot"}, {2, "Wrong number of arguments in setvar", "setvar name value", ""}}},
      {"# plott\n<perl>\nplott 1 2\n</perl>\n  plot", {}},
      {"<perl>\nnever closed\nplott", {}},
      {"echo a b c d e f g h i j k l m n o p q r", {}},
      {"print 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
       {{1, "Wrong number of arguments in print 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17", "print [values...]", ""}}},
      {"atext 1 'two words' 3 4 5",
       {{1, "Wrong number of arguments in atext 1 'two words' 3 4 5", "atext axes title", ""}}},
      {"zzqqxx 1", {{1, "Unkown command zzqqxx 1", "", ""}}},
  };
  for (const ProblemCase& c : cases) {
    const std::vector<MacroProblem> found = checkMacroText(c.text);
    ASSERT_EQ(found.size(), c.expected.size()) << c.text;
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].line, c.expected[i].line) << c.text;
      EXPECT_EQ(found[i].message, c.expected[i].message) << c.text;
      EXPECT_EQ(found[i].usage, c.expected[i].usage) << c.text;
      EXPECT_EQ(found[i].suggestion, c.expected[i].suggestion) << c.text;
    }
  }
}

TEST(MacroCheck, NearestNameIsAtMostTwoLettersAway) {
  EXPECT_EQ(nearestCommand("bstylelinez"), "bstylelines");
  EXPECT_EQ(nearestCommand("RESCAL"), "rescale");
  EXPECT_EQ(nearestCommand("rsecale"), "rescale");  // two changes
  EXPECT_EQ(nearestCommand("rscl"), "");            // a short word may not change by half
  EXPECT_EQ(nearestCommand(""), "");
}

// The checker and the interpreter must agree on every command of the table and every
// number of arguments from none to one past the most.
class AgreesWithInterpreter : public MacroFixture {};

TEST_F(AgreesWithInterpreter, OnEveryCountOfEveryCommand) {
  addBuffer({1, 2, 3}, {4, 5, 6});
  macro.M = &m;
  macro.PD = &doc;
  for (const CommandEntry* e : describedEntries()) {
    const std::size_t most = e->signature == std::string(1, kAnyTexts) ? 20 : e->signature.size() + 1;
    for (std::size_t n = 0; n <= most; ++n) {
      std::vector<std::string> tokens{e->name};
      tokens.resize(n + 1, "1");
      ui.alerts.clear();
      macro.ERR = 0;
      for (const CommandEntry* entry : CommandTable::standard().entriesNamed(e->name))
        macro.chk(entry->name, entry->signature, entry->minimum, tokens);
      const bool refused = !syntaxErrors().empty();
      MacroProblem p;
      EXPECT_EQ(checkCommand(tokens, p), refused) << e->name << " with " << n << " arguments";
      if (refused) {
        EXPECT_EQ(p.message, syntaxErrors().front());
      }
    }
  }
}

// One letter per character of a line: what colour it gets.
std::string colouring(const std::string& line) {
  std::string out(line.size(), ' ');
  bool inPerl = false;
  const LineKind kind = classifyLine(line, inPerl);
  for (const SyntaxSpan& s : highlightLine(line, kind)) {
    static const char letters[] = "CUNSV:#P";
    for (std::size_t i = s.start; i < s.start + s.length; ++i) out[i] = letters[static_cast<int>(s.kind)];
  }
  return out;
}

TEST(MacroSyntax, ColoursCommandsNumbersStringsVariablesAndSeparators) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"bcolor 0.2 1e-3 -4 all", "CCCCCC NNN NNNN NN    "},
      {"savepng '$file.png' 144 : plott $x", "CCCCCCC SVVVVVSSSSS NNN : UUUUU VV"},
      {"loop 0:1:0.25 : blegend 1 0,2..4", "CCCC NNNNNNNN : CCCCCCC N NNNNNN"},
      {"  # a comment 'x'", "#################"},
      {"<perl>", "PPPPPP"},
      {"setvar y2 $a$b", "CCCCCC    VVVV"},
      {"print 'it's $home'", "CCCCC SSSSSSVVVVVS"},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(colouring(line), expected) << line;
  // Inside a Perl block nothing is a command, and the block ends at its closing line.
  EXPECT_EQ(classifyLine("plot", true), LineKind::Perl);
  EXPECT_EQ(classifyLine(" </perl> ", true), LineKind::PerlEnd);
  EXPECT_FALSE(perlOpenAfter(LineKind::PerlEnd));
}

struct HintCase {
  const char* line;  // "|" marks the cursor
  int argument;
  const char* word;  // the usage word of that argument ("" for none)
  const char* typed;
  bool tooMany;
};

TEST(MacroSyntax, HintFollowsTheCursorThroughTheArguments) {
  const std::vector<HintCase> cases = {
      {"bcol|", -1, "", "bcol", false},
      {"bcolor|", -1, "bcolor", "bcolor", false},
      {"bcolor |", 0, "red", "bcolor", false},
      {"bcolor 0.2 0.|4", 1, "green", "bcolor", false},
      {"bcolor 1 1 1 all |", 4, "[alpha]", "bcolor", false},
      {"bcolor 1 1 1 all 1 |", 5, "", "bcolor", true},
      {"rescale 1 : atext 2 '|", 1, "title", "atext", false},
      {"rescale 1 : |", -1, "", "", false},
      {"echo a b c d e f g h i j k l m n o p q |", 17, "[words...]", "echo", false},
  };
  for (const HintCase& c : cases) {
    std::string line = c.line;
    const std::size_t column = line.find('|');
    line.erase(column, 1);
    CommandHint h;
    ASSERT_TRUE(hintAt(line, column, h)) << c.line;
    EXPECT_EQ(h.argument, c.argument) << c.line;
    EXPECT_EQ(h.typed, c.typed) << c.line;
    EXPECT_EQ(h.tooMany, c.tooMany) << c.line;
    const int index = h.argument + 1;
    const bool repeats = !h.words.empty() && h.words.back().ends_with("...]");
    std::string word;
    if (index >= 0 && index < static_cast<int>(h.words.size()))
      word = h.words[index];
    else if (repeats && index > 0)
      word = h.words.back();
    EXPECT_EQ(word, c.word) << c.line;
  }
}

TEST(MacroSyntax, CommentTogglesBackAndForth) {
  const std::vector<std::string> plain{"print 1", "", "  plot"};
  const std::vector<std::string> commented{"# print 1", "", "#   plot"};
  EXPECT_EQ(toggleComment(plain), commented);
  EXPECT_EQ(toggleComment(commented), plain);
  // Mixed lines are all commented; lines that were comments keep their own mark.
  EXPECT_EQ(toggleComment({"#x", "plot"}), (std::vector<std::string>{"# #x", "# plot"}));
  EXPECT_EQ(toggleComment({"  #x"}), (std::vector<std::string>{"  x"}));
  EXPECT_EQ(toggleComment({"", " "}), (std::vector<std::string>{"", " "}));
}

TEST(CommandReferenceTest, OneEntryPerCommandWithAnExampleTheCheckerAccepts) {
  std::set<std::string> names;
  for (const CommandEntry* e : CommandTable::standard().entries()) names.insert(e->name);
  std::set<std::string> listed;
  for (const CommandReference& r : commandReference()) {
    listed.insert(r.name);
    EXPECT_EQ(checkMacroText(r.example).size(), 0u) << r.example;
    EXPECT_TRUE(r.example.starts_with(r.name)) << r.example;
    EXPECT_NE(describeCommands(r.name).find(r.usage + "\n  " + r.description), std::string::npos) << r.name;
    EXPECT_FALSE(r.family.empty());
  }
  EXPECT_EQ(listed, names);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()), commandNames());
}

TEST(CommandReferenceTest, SearchNeedsEveryWordSomewhereIgnoringCase) {
  const auto named = [](const char* name) {
    for (const CommandReference& r : commandReference())
      if (r.name == name) return r;
    return CommandReference{};
  };
  const CommandReference shirley = named("shirleybg");
  ASSERT_EQ(shirley.name, "shirleybg");
  EXPECT_TRUE(referenceMatches(shirley, ""));
  EXPECT_TRUE(referenceMatches(shirley, "SHIRLEY"));
  EXPECT_TRUE(referenceMatches(shirley, "analysis  BACKGROUND"));  // the family and the description
  EXPECT_FALSE(referenceMatches(shirley, "shirley legend"));
  const CommandReference bcolor = named("bcolor");
  EXPECT_TRUE(referenceMatches(bcolor, "alpha"));  // an argument word
  EXPECT_EQ(bcolor.arguments.size(), 5u);
  EXPECT_TRUE(bcolor.arguments[4].optional);
  EXPECT_FALSE(bcolor.arguments[3].optional);
  EXPECT_EQ(bcolor.arguments[3].word, "buffers");
}

// The examples of the drawing families run on a document with three buffers without a
// single complaint.
class ReferenceExamples : public MacroFixture {};

TEST_F(ReferenceExamples, OfTheStyleFamiliesRunCleanly) {
  for (int i = 0; i < 3; ++i) addBuffer({1, 2, 3}, {4, 5, 6.0 + i});
  const std::set<std::string> families{"Buffer style", "Axes", "Legend", "Frame and view", "Ranges"};
  int ran = 0;
  for (const CommandReference& r : commandReference()) {
    if (!families.contains(r.family)) continue;
    ui.alerts.clear();
    run(r.example);
    EXPECT_EQ(macro.stopLine, 0) << r.example;
    EXPECT_TRUE(ui.alerts.empty()) << r.example << ": " << (ui.alerts.empty() ? "" : ui.alerts.front().message);
    ++ran;
  }
  EXPECT_GT(ran, 50);
}

}  // namespace

}  // namespace xyla::test
