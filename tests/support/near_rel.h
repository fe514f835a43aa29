#pragma once

#include <gtest/gtest.h>

#include <cmath>

namespace xyla::test {

// Passes when `actual` lies within `rel` times |expected| of `expected`.
inline ::testing::AssertionResult nearRel(const char* actualText, const char* expectedText, const char* relText,
                                          double actual, double expected, double rel) {
  const double difference = std::fabs(actual - expected);
  if (difference <= rel * std::fabs(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actualText << " = " << actual << " differs from " << expectedText << " = "
                                       << expected << " by " << difference / std::fabs(expected) << " of it, more than "
                                       << relText << " = " << rel;
}

}  // namespace xyla::test

// Expects `actual` within the relative tolerance `rel` of `expected`.
#define EXPECT_NEAR_REL(actual, expected, rel) EXPECT_PRED_FORMAT3(::xyla::test::nearRel, actual, expected, rel)
