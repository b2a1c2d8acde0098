#include "log/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kilnbook {
namespace {

TEST(NumberTextTest, ParseNumberReadsLikeStrtol) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"42", 42},
      {"  \t-5", -5},
      {"+7x", 7},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {" - 5", 0},
      {"\n\r\v\f9", 9},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
      // Beyond 32 bits the low 32 bits of the 64-bit value are kept.
      {"4294967297", 1},
      {"3000000000", -1294967296},
      // Beyond 64 bits the value saturates as strtol does.
      {"99999999999999999999999999", -1},
      {"-99999999999999999999999999", 0},
      // Twenty digits whose tenfold passes 2^64 saturate too, and so do
      // 2^63 and 2^64 exactly; 2^63 - 1 and -2^63 are the last values kept.
      {"20000000000000000000", -1},
      {"-20000000000000000000", 0},
      {"9223372036854775808", -1},
      {"18446744073709551616", -1},
      {"9223372036854775807", -1},
      {"-9223372036854775808", 0},
      {"-9223372036854775807", 1},
      {"1844674407370955161", -1717986919},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.expected) << "text: \"" << c.text << "\"";
  }
}

TEST(NumberTextTest, NumberTextIsThePercentDForm) {
  EXPECT_EQ(NumberText(0), "0");
  EXPECT_EQ(NumberText(-1022), "-1022");
  EXPECT_EQ(NumberText(std::numeric_limits<int32_t>::min()), "-2147483648");
  std::string out = "x";
  AppendNumber(out, 17);
  EXPECT_EQ(out, "x17");
}

// The strict reader takes back exactly what the wide writer writes.
TEST(NumberTextTest, WideNumbersReadBackStrictly) {
  for (int64_t value :
       {int64_t{0}, int64_t{-7}, std::numeric_limits<int64_t>::min(),
        std::numeric_limits<int64_t>::max()}) {
    EXPECT_EQ(ParseWideNumber(WideNumberText(value)), value);
  }
  for (const char* text :
       {"", "-", "+1", " 1", "1 ", "1x", "9223372036854775808"}) {
    EXPECT_FALSE(ParseWideNumber(text)) << text;
  }
}

TEST(NumberTextTest, ArithmeticWraps) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(WrapAdd(kMax, 1), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(WrapAverage(45, -100), -27);
  EXPECT_EQ(WrapAverage(0, -3), -1);
  EXPECT_EQ(WrapAverage(0, 80), 40);
}

}  // namespace
}  // namespace kilnbook
