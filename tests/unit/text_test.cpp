// The program's number texts for single-precision counts and scores, and the
// rounding of percentages to two decimals.
#include "screen/text.h"

#include <gtest/gtest.h>

namespace pentrill {
namespace {

TEST(SingleNumberText, BlankForNonNegativeNoTrailingZerosNoPointForWholeNumbers) {
  EXPECT_EQ(singleNumberText(37.0f), " 37");
  EXPECT_EQ(singleNumberText(0.0f), " 0");
  EXPECT_EQ(singleNumberText(-0.0f), " 0");
  EXPECT_EQ(singleNumberText(50.0f), " 50");
  EXPECT_EQ(singleNumberText(100.0f), " 100");
  EXPECT_EQ(singleNumberText(66.67f), " 66.67");
  EXPECT_EQ(singleNumberText(3.1f), " 3.1");
  EXPECT_EQ(singleNumberText(0.5f), " 0.5");
  EXPECT_EQ(singleNumberText(-2.5f), "-2.5");
  EXPECT_EQ(singleNumberText(-12.0f), "-12");
}

TEST(SingleNumberText, AtMostSevenSignificantDigits) {
  EXPECT_EQ(singleNumberText(200.0f / 3.0f), " 66.66666");
  EXPECT_EQ(singleNumberText(1.0f / 3.0f), " 0.3333333");
  EXPECT_EQ(singleNumberText(1234567.0f), " 1234567");
  EXPECT_EQ(singleNumberText(12345678.0f), " 1.234568E+07");
  EXPECT_EQ(singleNumberText(0.1f), " 0.1");  // not 0.100000001
}

TEST(RoundToHundredths, TiesGoToTheEvenDigitOnTheSingleValue) {
  EXPECT_EQ(roundToHundredths(100.0f * 1 / 32), 3.12f);   // 3.125
  EXPECT_EQ(roundToHundredths(100.0f * 3 / 32), 9.38f);   // 9.375
  EXPECT_EQ(roundToHundredths(100.0f * 5 / 32), 15.62f);  // 15.625
  EXPECT_EQ(roundToHundredths(100.0f * 7 / 32), 21.88f);  // 21.875
  EXPECT_EQ(roundToHundredths(100.0f * 2 / 3), 66.67f);
  EXPECT_EQ(roundToHundredths(100.0f * 1 / 3), 33.33f);
  EXPECT_EQ(roundToHundredths(75.0f), 75.0f);
  EXPECT_EQ(singleNumberText(roundToHundredths(100.0f * 2 / 3)), " 66.67");
  EXPECT_EQ(singleNumberText(roundToHundredths(100.0f * 1 / 32)), " 3.12");
  EXPECT_EQ(singleNumberText(roundToHundredths(100.0f * 3 / 32)), " 9.38");
}

}  // namespace
}  // namespace pentrill
