#include "sweeps/decimal_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "turtle/bit_cast.h"

// The portable conversions stand in for the standard library's where it lacks them (the web
// build); natively both are built, so here they must agree bit for bit and letter for letter.
namespace {

std::string LibraryShortest(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

std::uint64_t Bits(double v) { return turtle::BitCastByCopy<std::uint64_t>(v); }

TEST(DecimalTextTest, PortableShortestDecimalSpellsWhatToCharsSpells) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const double v :
       {90.0, 90.5, -5.0, 0.1, 1200.0, 1e16, 1e22, 1e-5, 123456789012345680000.0, 5e-324,
        1.7976931348623157e308, 0.0, -0.0, inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(sweeps::ShortestDecimalPortable(v), LibraryShortest(v)) << LibraryShortest(v);
  }
  // Powers of two have lopsided rounding intervals; random bit patterns cover the rest.
  for (int e = -1074; e <= 1023; ++e) {
    const double v = std::ldexp(1.0, e);
    ASSERT_EQ(sweeps::ShortestDecimalPortable(v), LibraryShortest(v)) << "2^" << e;
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const double v = turtle::BitCast<double>(random());
    if (std::isnan(v)) continue;
    ASSERT_EQ(sweeps::ShortestDecimalPortable(v), LibraryShortest(v)) << LibraryShortest(v);
  }
}

TEST(DecimalTextTest, PortableDecimalReadingRoundsAsFromChars) {
  std::mt19937_64 random(11);
  std::uniform_int_distribution<int> digitCount(1, 40);
  std::uniform_int_distribution<int> exponent(-345, 320);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 20000; ++i) {
    std::string text = i % 2 == 0 ? "-" : "";
    text += static_cast<char>('1' + digit(random) % 9);
    const int count = digitCount(random);
    if (count > 1) text += '.';
    for (int d = 1; d < count; ++d) text += static_cast<char>('0' + digit(random));
    text += "e" + std::to_string(exponent(random));
    ASSERT_EQ(Bits(sweeps::DoubleFromDecimalPortable(text.c_str())),
              Bits(sweeps::DoubleFromDecimal(text.c_str())))
        << text;
  }
  // Past both ends of the range, and the halfway point below the smallest subnormal.
  EXPECT_EQ(sweeps::DoubleFromDecimal("1e309"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Bits(sweeps::DoubleFromDecimal("-1e-400")), Bits(-0.0));
  EXPECT_EQ(sweeps::DoubleFromDecimal("2.4703282292062328e-324"), 5e-324);
  EXPECT_EQ(sweeps::DoubleFromDecimalPortable("2.4703282292062328e-324"), 5e-324);
}

TEST(DecimalTextTest, BitCastByCopyGivesTheStandardBits) {
  for (const double v : {0.0, -0.0, 1.0, 3.14159265358979, 5e-324}) {
    EXPECT_EQ(turtle::BitCastByCopy<std::uint64_t>(v), std::bit_cast<std::uint64_t>(v));
  }
  EXPECT_EQ(turtle::BitCastByCopy<std::uint32_t>(-1.5f), std::bit_cast<std::uint32_t>(-1.5f));
}

}  // namespace
