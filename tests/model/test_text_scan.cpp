#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "model/text_scan.h"
#include "reference_scan.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

namespace ts = xyla::textscan;

namespace {

std::vector<double> numbers(const std::string& line) {
  std::vector<double> out(ts::kMaxFields);
  out.resize(static_cast<std::size_t>(ts::cutnum(line, out.data(), ts::kMaxFields)));
  return out;
}

std::vector<std::string> lines(const std::string& bytes, bool unix) {
  xyla::test::TempSettings tmp;
  const std::string path = tmp.path("lines.txt");
  xyla::test::writeFile(path, bytes);
  ts::LineReader r(path);
  std::vector<std::string> out;
  while (auto l = unix ? r.gstr() : r.ugstr()) out.push_back(*l);
  return out;
}

}  // namespace

TEST(TextScan, ParsenumSeparatorsRule) {
  // A leading blank is not part of a number; overflow is infinite.
  const std::pair<const char*, double> cases[] = {
      {"1.234.567", 1234.567}, {"1,234.5", 1234.5}, {"1.234,5", 1234.5}, {"3,5", 3.5}, {"12.", 12}, {"1.000.000", 1000},
      {"-2.5E-3", -2.5e-3},    {"+7", 7},           {"+-7", 0},          {"abc", 0},   {" 5", 0},   {"1-2", 1},
      {"Inf", INFINITY},       {"1e999", INFINITY}};
  for (const auto& [text, want] : cases) EXPECT_DOUBLE_EQ(ts::parsenum(text), want) << text;
  EXPECT_TRUE(std::isnan(ts::parsenum("NaN")));
  EXPECT_GT(ts::parsenum("4e-320"), 0.0);  // subnormal results are kept, not zeroed
  // The fuzz targets' literal reference agrees on the awkward cases.
  for (const char* text : {"1.234.567", "1,234.5", "1.234,5", "12.", "-2.5E-3", "+-7", "1-2", "1e999", "4e-320",
                           "9007199254740993", "18446744073709551617", "0.1e-22", "123456789012345678901", "1,5e3,2"})
    EXPECT_EQ(ts::parsenum(text), xyla::fuzzref::parsenum(text)) << text;
}

// The pieces between separators are a field list of at most 2048 entries, so text past
// the 2048th separator is dropped (found by fuzzing).
TEST(TextScan, ParsenumSplitsIntoAtMost2048Pieces) {
  EXPECT_DOUBLE_EQ(ts::parsenum(std::string(2047, ',') + "5"), 0.5);
  EXPECT_EQ(ts::parsenum(std::string(2048, ',') + "5"), 0.0);
  EXPECT_EQ(ts::parsenum("1" + std::string(2048, '.') + "5"), 1.0);
}

TEST(TextScan, CutnumFindsNumbersWithTheStartAndContinuationSets) {
  EXPECT_EQ(numbers(" 1,5;2,5 "), (std::vector<double>{1.5, 2.5}));
  EXPECT_EQ(numbers("x=3"), (std::vector<double>{3.0}));
  EXPECT_EQ(numbers("n/a"), (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(numbers("12 34"), (std::vector<double>{12.0, 34.0}));
  EXPECT_EQ(numbers("1e5\t-2.5E-3"), (std::vector<double>{1e5, -2.5e-3}));
  EXPECT_EQ(numbers("1-2"), (std::vector<double>{1.0}));
  EXPECT_EQ(numbers("Energy"), (std::vector<double>{0.0}));  // "ne" starts a number
  EXPECT_EQ(numbers("e5 E5"), (std::vector<double>{5.0, 5.0}));  // e never starts one
  // A lower-case i starts a number but cannot continue one; the byte that ends a
  // number is not examined as the start of the next.
  EXPECT_EQ(numbers("inf"), (std::vector<double>{0.0}));
  EXPECT_EQ(numbers("5i3"), (std::vector<double>{5.0, 3.0}));
  EXPECT_EQ(numbers("5/i3"), (std::vector<double>{5.0, 0.0}));
  EXPECT_TRUE(numbers("").empty());
}

// Digits are read sixteen bytes at a time: numbers that end just before, at and after
// such a window, with the point anywhere, an exponent after them, a comma for the point,
// first and last in short and long lines, must read as the literal reference reads them.
TEST(TextScan, CutnumAgreesWithTheReferenceAroundSixteenByteWindows) {
  const std::string digits = "31415926535897932384";
  for (std::size_t length = 1; length <= 20; ++length) {
    for (std::size_t point = 0; point <= length; ++point) {
      std::string number = digits.substr(0, length);
      if (point < length) number.insert(point, 1, point % 2 ? ',' : '.');
      for (const std::string tail : {"", "e-3", "E2x"}) {
        for (const std::string before : {"", "-", "x ", "             7\t"}) {
          const std::string line = before + number + tail;
          EXPECT_EQ(numbers(line), xyla::fuzzref::cutnum(line)) << line;
          EXPECT_EQ(numbers(line + "\t2.5"), xyla::fuzzref::cutnum(line + "\t2.5")) << line;
        }
      }
    }
  }
}

TEST(TextScan, CutnumStopsAtCapacity) {
  std::string line;
  for (int i = 0; i < 3000; ++i) line += std::to_string(i) + " ";
  const auto v = numbers(line);
  ASSERT_EQ(v.size(), 2048u);
  EXPECT_EQ(v.back(), 2047.0);
}

TEST(TextScan, CutstrFieldsAndLimit) {
  ts::FieldList f;
  EXPECT_EQ(ts::cutstr("a,,b", f, ","), 3);
  EXPECT_EQ(f, (ts::FieldList{"a", "", "b"}));
  EXPECT_EQ(ts::cutstr("", f, ","), 0);
  EXPECT_EQ(ts::cutstr("abc", f, ","), 1);
  EXPECT_EQ(f, (ts::FieldList{"abc"}));
  EXPECT_EQ(ts::cutstr("1::2::", f, "::"), 3);
  EXPECT_EQ(f, (ts::FieldList{"1", "2", ""}));
  std::string many;
  for (int i = 0; i < 2100; ++i) many += std::to_string(i) + ",";
  EXPECT_EQ(ts::cutstr(many, f, ","), 2048);
  EXPECT_EQ(f.back(), "2047");  // the last field ends at the next separator
}

TEST(TextScan, StringRoutines) {
  EXPECT_EQ(ts::instr(0, "b", "abcb"), 1);
  EXPECT_EQ(ts::instr(2, "b", "abcb"), 3);
  EXPECT_EQ(ts::instr(-5, "a", "abc"), 0);
  EXPECT_EQ(ts::instr(0, "x", "abc"), -1);
  EXPECT_EQ(ts::instr(2, "", "abc"), 2);
  EXPECT_EQ(ts::instr(9, "a", "abc"), -1);
  EXPECT_EQ(ts::trim(" \t a b\t "), "a b");
  EXPECT_EQ(ts::upper("aBc1é"), "ABC1é");
  EXPECT_EQ(ts::cutleft(2, "abcd"), "ab");
  EXPECT_EQ(ts::cutleft(-1, "abcd"), "abc");
  EXPECT_EQ(ts::cutleft(9, "abcd"), "abcd");
  EXPECT_EQ(ts::cutleft(-9, "abcd"), "");
  EXPECT_EQ(ts::cutright(2, "abcd"), "cd");
  EXPECT_EQ(ts::cutright(-1, "abcd"), "bcd");
  EXPECT_EQ(ts::cutright(9, "abcd"), "abcd");
}

TEST(TextScan, MreplaceRescansAndRefusesSelfReplacement) {
  EXPECT_EQ(ts::mreplace(".", "..", "a.b"), "a.b");  // replacement contains the text
  EXPECT_EQ(ts::mreplace("", "x", "abc"), "abc");
  EXPECT_EQ(ts::mreplace("a", "a", "aaa"), "aaa");
  EXPECT_EQ(ts::mreplace(",", ".", "1,2,3"), "1.2.3");
  // Rescanning finds occurrences that a replacement forms with its neighbours.
  EXPECT_EQ(ts::mreplace("ab", "a", "aabbb"), "aa");
  EXPECT_EQ(ts::mreplace("  ", " ", "a     b"), "a b");
}

TEST(TextScan, LineReadersAndLineEnds) {
  EXPECT_EQ(lines("a\r\nb", false), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(lines("a\r\nb", true), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(lines("a\rb\r", false), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(lines("a\n\nb\n", false), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(lines("", false).empty());
  EXPECT_TRUE(lines("", true).empty());
  std::string nul("x\0y\nz", 5);
  EXPECT_EQ(lines(nul, false), (std::vector<std::string>{std::string("x\0y", 3), "z"}));
}

TEST(TextScan, LineReaderHandlesLinesLongerThanItsBuffer) {
  const std::string longLine(3 << 20, '7');
  const auto got = lines("1\n" + longLine + "\r2", false);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[1], longLine);
  EXPECT_EQ(got[2], "2");
}

TEST(TextScan, UnreadablePathsReadAsEmpty) {
  xyla::test::TempSettings tmp;
  ts::LineReader missing(tmp.path("no-such-file"));
  EXPECT_FALSE(missing.isOpen());
  EXPECT_FALSE(missing.ugstr());
  ts::LineReader dir(tmp.path(""));
  EXPECT_FALSE(dir.ugstr());
}
