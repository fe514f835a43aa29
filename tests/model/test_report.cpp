#include <gtest/gtest.h>

#include "model/report.h"
#include "support/scripted_ui.h"

namespace xyla {
namespace {

TEST(Report, ShortenText) {
  struct Case {
    std::string text;
    std::size_t n;
    std::string expected;
  } cases[] = {
      {"abcdefghijklmnopqrstu", 16, "abcdefghijklm..."},
      {"abcdefghijklmnop", 16, "abcdefghijklmnop"},  // exactly n stays whole
      {"", 8, ""},
      {"Gauss-Lorentz", 5, "Gauss"},  // n of 5 or less: cut without dots
      {"abcdef", 6, "abcdef"},
      {"abcdefg", 6, "abc..."},
      {"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 7, "\u00e9\u00e9\u00e9\u00e9..."},  // characters, not bytes
  };
  for (const Case& c : cases) EXPECT_EQ(shortenText(c.text, c.n), c.expected) << c.text << " " << c.n;
}

TEST(Report, MergesRunsOfOneLookAndRefusesGrowthBeyondItsLimit) {
  xyla::test::ScriptedUi ui;
  Report r(&ui);
  EXPECT_TRUE(r.add("", 12, Colour::black(), "a"));
  EXPECT_TRUE(r.add("", 12, Colour::black(), "b\n"));
  EXPECT_TRUE(r.add("", 12, Colour::black(), "c", true));
  EXPECT_TRUE(r.addPicture("\x89PNG", 10, 10));
  ASSERT_EQ(r.runs().size(), 3u);
  EXPECT_EQ(r.runs()[0].text, "ab\n");
  EXPECT_EQ(r.plainText(), "ab\nc\n");
  EXPECT_EQ(ui.reportChanges, 4);

  const std::string big(kMaxReportBytes / 2, 'x');
  EXPECT_TRUE(r.add("", 12, Colour::black(), big));
  EXPECT_FALSE(r.add("", 12, Colour::black(), big));  // would pass the limit
  EXPECT_EQ(r.byteSize(), big.size() + 8);
  r.clear();
  EXPECT_TRUE(r.empty());
  EXPECT_EQ(r.byteSize(), 0u);
}

}  // namespace
}  // namespace xyla
