#include <gtest/gtest.h>

#include <climits>

#include "model/data_buffer.h"
#include "outside/perl_protocol.h"
#include "protocol_bytes.h"

namespace xyla::test {
namespace {

using outside::PerlResult;

TEST(PerlProtocol, FilterInputSendsColumnsFourOnlyForBuffersWithErrors) {
  DataBuffer plain, witherr;
  plain.addDoubleValue(1, 2);
  plain.setSource("a.txt");
  plain.setComment("c");
  witherr.addDoubleValueError(3, 4, 0.5, 0.25);
  witherr.addDoubleValueError(5, 6, 0.75, 0.125);
  witherr.setSource("b");
  Bytes want;
  want.i32(2).i32(1).i32(2).f64(1).f64(2).text("a.txt").text("c");
  want.i32(2).i32(4).f64(3).f64(4).f64(0.5).f64(0.25).f64(5).f64(6).f64(0.75).f64(0.125).text("b").text("");
  EXPECT_EQ(outside::filterInput({&plain, &witherr}), want.data);

  std::string vars;
  outside::appendVariables(vars, {{"a", 1.5}, {"nb", 2}}, {{"s", "x y"}});
  Bytes wantVars;
  wantVars.i32(2).text("a").f64(1.5).text("nb").f64(2).i32(1).text("s").text("x y");
  EXPECT_EQ(vars, wantVars.data);
}

// One buffer of the given columns with two points; texts on the points as given.
std::string oneBuffer(int c, const std::string& comment1, const std::string& source2) {
  Bytes b;
  b.i32(1).i32(2).i32(c);
  for (int p = 0; p < 2; ++p) {
    for (int k = 0; k < c; ++k) b.f64(10 * (p + 1) + k);
    b.text(p == 0 ? comment1 : "").text(p == 1 ? source2 : "");
  }
  b.i32(0).i32(0);
  return b.data;
}

TEST(PerlProtocol, ResultColumnsAndTexts) {
  struct Case {
    int c;
    double x1, y1, ex1, ey1;
    bool errors;
  } cases[] = {{1, 1, 20, 0, 0, false}, {2, 20, 21, 0, 0, false}, {3, 20, 21, 0, 22, true}, {4, 20, 21, 22, 23, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.c);
    PerlResult r;
    std::string error;
    ASSERT_TRUE(outside::readPerlResult(oneBuffer(k.c, "", ""), "given", r, error)) << error;
    ASSERT_EQ(r.buffers.size(), 1u);
    const DataBuffer& b = *r.buffers[0];
    ASSERT_EQ(b.count(), 2);
    EXPECT_EQ(b.xDoubleValueAt(1), k.x1);
    EXPECT_EQ(b.yDoubleValueAt(1), k.y1);
    EXPECT_EQ(b.haserror(), k.errors);
    EXPECT_EQ(b.xDoubleErrorAt(1), k.ex1);
    EXPECT_EQ(b.yDoubleErrorAt(1), k.ey1);
    EXPECT_EQ(b.getSource(), "perl import");
    EXPECT_EQ(b.getComment(), "given");
  }
  PerlResult r;
  std::string error;
  ASSERT_TRUE(outside::readPerlResult(oneBuffer(2, "first", "src"), "", r, error));
  EXPECT_EQ(r.buffers[0]->getComment(), "first");
  EXPECT_EQ(r.buffers[0]->getSource(), "src");
}

TEST(PerlProtocol, ResultVariablesSkipEmptyNamesAndEmptyStrings) {
  Bytes b;
  b.i32(0);
  b.i32(3).text("a").f64(2.5).text("").text("b").f64(-1);
  b.i32(3).text("s").text("hello").text("").text("e").text("");
  PerlResult r;
  std::string error;
  ASSERT_TRUE(outside::readPerlResult(b.data, "", r, error)) << error;
  using N = std::vector<std::pair<std::string, double>>;
  using S = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(r.numeric, (N{{"a", 2.5}, {"b", -1}}));
  EXPECT_EQ(r.strings, (S{{"s", "hello"}}));
}

TEST(PerlProtocol, EveryCutOfAValidResultIsRefused) {
  Bytes b;
  b.i32(2).i32(1).i32(4).f64(1).f64(2).f64(3).f64(4).text("cm").text("");
  b.i32(2).i32(1).f64(5).text("").text("so").f64(6).text("").text("");
  b.i32(1).text("v").f64(1).i32(1).text("s").text("t");
  const std::string whole = b.data;
  PerlResult r;
  std::string error;
  ASSERT_TRUE(outside::readPerlResult(whole, "", r, error)) << error;
  for (std::size_t n = 0; n < whole.size(); ++n) {
    // A copy of exactly n bytes, so a read past its end is caught by the sanitizers.
    const std::string cut = whole.substr(0, n);
    EXPECT_FALSE(outside::readPerlResult(cut, "", r, error)) << n;
    EXPECT_TRUE(r.buffers.empty() && r.numeric.empty() && r.strings.empty());
  }
}

TEST(PerlProtocol, LyingCountsAreRefusedWithoutAllocating) {
  const std::int32_t big = INT_MAX;
  const std::string cases[] = {
      Bytes().i32(big).data,                                       // buffer count
      Bytes().i32(1).i32(big).i32(2).data,                         // points
      Bytes().i32(1).i32(1).i32(0).data,                           // columns 0
      Bytes().i32(1).i32(1).i32(5).f64(1).data,                    // columns 5
      Bytes().i32(1).i32(-1).i32(2).data,                          // negative points
      Bytes().i32(1).i32(1).i32(1).f64(1).i32(big).data,           // comment length
      Bytes().i32(0).i32(big).data,                                // numeric variables
      Bytes().i32(0).i32(1).text("a").f64(1).i32(1).i32(-5).data,  // string name length
      Bytes().i32(-3).data,
  };
  for (const std::string& bytes : cases) {
    PerlResult r;
    std::string error;
    EXPECT_FALSE(outside::readPerlResult(bytes, "", r, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace xyla::test
