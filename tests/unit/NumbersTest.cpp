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

namespace stereolint {
namespace {

TEST(WholeNumber, TakesDigitsOnlyAndSaysWhatAtoiTookFromMore) {
  EXPECT_EQ(wholeNumber("12"), 12);
  for (const char* text : {"", "12ab", " 12", "+12", "-1", "99999999999"})
    EXPECT_FALSE(wholeNumber(text)) << text;
  EXPECT_EQ(atoiReadingNote("-t", "2x"), "-t: \"2x\" is read as 2");
  EXPECT_EQ(atoiReadingNote("WIDTH", "10%"), "WIDTH: \"10%\" is read as 10");
  for (const char* quiet : {"12", " +12", "99999999999", "x2", ""})
    EXPECT_EQ(atoiReadingNote("-t", quiet), "") << quiet;
}

}  // namespace
}  // namespace stereolint
