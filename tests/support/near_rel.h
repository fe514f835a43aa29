#pragma once

#include <gtest/gtest.h>

#include <cmath>

namespace xyla::test {

// Passes when `actual` lies within `rel` times |expected| of `expected`.
inline ::testing::AssertionResult nearRel(const char* a, const char* e, const char* r, double actual, double expected,
                                          double rel) {
  const double off = std::fabs(actual - expected) / std::fabs(expected);
  if (off <= rel) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << a << " = " << actual << " is " << off << " of " << e << " = " << expected
                                       << " away, more than " << r << " = " << rel;
}

}  // namespace xyla::test

// Expects `actual` within the relative tolerance `rel` of `expected`.
#define EXPECT_NEAR_REL(actual, expected, rel) EXPECT_PRED_FORMAT3(::xyla::test::nearRel, actual, expected, rel)
