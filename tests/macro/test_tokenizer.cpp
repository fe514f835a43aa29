#include <gtest/gtest.h>

#include "macro/tokenizer.h"

using xyla::tokenizeMacro;
using Commands = std::vector<std::vector<std::string>>;

TEST(Tokenizer, BlanksQuotesCommentsAndEmptyTokens) {
  const auto t = tokenizeMacro(
      "# a comment\n"
      "  \n"
      "range  x\t0 10\n"
      "atext 1 ''\n"
      "  # indented comment\n"
      "atext 2 'Binding energy (eV)'\n"
      "alabel 1 'it's' \"a \"\"b\"\n");
  EXPECT_EQ(t.commands, (Commands{{"range", "x", "0", "10"},
                                  {"atext", "1", ""},
                                  {"atext", "2", "Binding energy (eV)"},
                                  {"alabel", "1", "it's", "a \"\"b"}}));
  EXPECT_EQ(t.inlinePerl, "");
}

TEST(Tokenizer, UnterminatedQuoteTakesTheRestOfTheLine) {
  EXPECT_EQ(tokenizeMacro("print 'abc def\nplot").commands, (Commands{{"print", "abc def"}, {"plot"}}));
  EXPECT_EQ(tokenizeMacro("print '").commands, (Commands{{"print", ""}}));
}

TEST(Tokenizer, LoneColonSeparatesCommandsButNotRanges) {
  EXPECT_EQ(tokenizeMacro("loop 0:1:0.25 : print l : : endloop\r\n").commands,
            (Commands{{"loop", "0:1:0.25"}, {"print", "l"}, {"endloop"}}));
  EXPECT_EQ(tokenizeMacro("atimeformat 1 '%H : %M'").commands, (Commands{{"atimeformat", "1", "%H : %M"}}));
}

TEST(Tokenizer, InlinePerlIsCollectedApart) {
  const auto t = tokenizeMacro("print 1\n<perl>\n  my $x = 'a';\n# not a comment here\n </perl> \nprint 2");
  EXPECT_EQ(t.commands, (Commands{{"print", "1"}, {"print", "2"}}));
  EXPECT_EQ(t.inlinePerl, "  my $x = 'a';\n# not a comment here\n");
}
