#include "util/Numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace stereolint {
namespace {

TEST(LeadingInteger, ReadsLikeAtoi) {
  EXPECT_EQ(leadingInteger("12"), 12);
  EXPECT_EQ(leadingInteger("12ab"), 12);
  EXPECT_EQ(leadingInteger("  -7,9"), -7);
  EXPECT_EQ(leadingInteger("+5"), 5);
  EXPECT_EQ(leadingInteger("ab"), 0);
  EXPECT_EQ(leadingInteger(""), 0);
  EXPECT_EQ(leadingInteger("-"), 0);
}

TEST(LeadingInteger, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(leadingInteger("2147483647"), INT_MAX);
  EXPECT_EQ(leadingInteger("99999999999999999999"), INT_MAX);
  EXPECT_EQ(leadingInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(leadingInteger("-99999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace stereolint
