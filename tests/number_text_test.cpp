#include "sweeps/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Case {
  std::u16string text;
  double expected;
};

constexpr double kInf = std::numeric_limits<double>::infinity();

// Shows the input in failure messages, non-ASCII units as \uXXXX.
std::string Describe(const std::u16string& text) {
  std::string out;
  char buf[8];
  for (char16_t c : text.substr(0, 40)) {
    std::snprintf(buf, sizeof buf, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04X",
                  static_cast<unsigned>(c));
    out += buf;
  }
  return out + " (" + std::to_string(text.size()) + " units)";
}

// Bit-exact, so a result one ulp off or a zero of the wrong sign fails.
void ExpectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c.text));
    const double got = sweeps::NumberFromText(c.text);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(c.expected))
        << "got " << got << ", expected " << c.expected;
  }
}

std::u16string Repeat(char16_t c, std::size_t n) { return std::u16string(n, c); }

// clang-format off
TEST(NumberTextTest, PlainNumbersReadAsWritten) {
  ExpectAll({{u"60", 60}, {u"90", 90}, {u"90.5", 90.5}, {u"-5", -5},
             {u"+7", 7}, {u" 12", 12}, {u"\t\u3000 3", 3}, {u".5", 0.5},
             {u"5.", 5}, {u"-.25", -0.25}, {u"007", 7}, {u"1e3", 1000},
             {u"2.5E-2", 0.025}, {u"\u22124", -4}, {u"-0", -0.0}});
}

TEST(NumberTextTest, TrailingTextAfterANumberIsIgnored) {
  ExpectAll({{u"45abc", 45}, {u"1e", 1}, {u"1e+", 1}, {u"2ex", 2},
             {u"3.5.2", 3.5}, {u"1 000", 1}, {u"1,5", 1},
             {u"0x10", 0}, {u"1e5e5", 1e5}, {u"7-3", 7}, {u"5.e2", 500},
             {u"1e 5", 1}, {u"1e-\u3000", 1}});
}

TEST(NumberTextTest, TextWithoutANumberReadsAsPositiveZero) {
  ExpectAll({{u"", 0}, {u"abc", 0}, {u"nan", 0}, {u"inf", 0}, {u".", 0},
             {u"-", 0}, {u"e5", 0}, {u"&H10", 0}, {u"- 5", 0}, {u"+-5", 0},
             {u".e5", 0}, {u"\u3000", 0}, {u"\u00A05", 0}});
}

TEST(NumberTextTest, FullWidthFormsReadLikeAscii) {
  ExpectAll({{u"４５", 45}, {u"－５", -5}, {u"９０．５", 90.5},
             {u"１ｅ２", 100}, {u"４5", 45}, {u"１Ｅ－２", 0.01}, {u"＋７", 7},
             {u"．５", 0.5}, {u"3ｅ\u22121", 0.3}, {u"１ｅ", 1}});
}

TEST(NumberTextTest, MagnitudesOutsideTheDoubleRangeSaturate) {
  ExpectAll({{u"1e999", kInf}, {u"-1e999", -kInf}, {u"1e-999", 0.0},
             {u"-1e-999", -0.0}, {u"1e99999999999999999999999999", kInf},
             {u"1e-99999999999999999999999999", 0.0},
             {u"0e99999999999999999999999999", 0.0},
             {u"1.7976931348623158e308", 0x1.fffffffffffffp+1023},
             {u"1.8e308", kInf},
             {u"4.9e-324", 0x0.0000000000001p-1022}, {u"2.4e-324", 0.0},
             {u"2.5e-324", 0x0.0000000000001p-1022}});
}

TEST(NumberTextTest, LongRunsOfDigitsAreReadExactly) {
  const std::u16string half_ulp_above_one =
      u"1.00000000000000011102230246251565404236316680908203125";
  ExpectAll({
      {u"1" + Repeat(u'0', 9999), kInf},
      {Repeat(u'9', 10000), kInf},
      {Repeat(u'x', 10000), 0},
      {u"0." + Repeat(u'0', 9998) + u"1", 0.0},
      {u"1" + Repeat(u'0', 5000) + u"e-5000", 1},
      {u"0." + Repeat(u'0', 5000) + u"15e5002", 15},
      {u"1" + Repeat(u'0', 1000000) + u"e-1000000", 1},
      // Exactly halfway between 1 and the next double rounds to even...
      {half_ulp_above_one + Repeat(u'0', 5000), 1},
      // ...but a single nonzero digit far past the halfway point rounds up.
      {half_ulp_above_one + Repeat(u'0', 5000) + u"1", 0x1.0000000000001p+0},
  });
}

TEST(NumberTextTest, ResultsAreCorrectlyRoundedWhereNaiveSummingSlips) {
  ExpectAll({{u"0.1", 0x1.999999999999ap-4}, {u"0.3", 0x1.3333333333333p-2},
             {u"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
             {u"2.2250738585072014e-308", 0x1p-1022},
             {u"9007199254740993", 0x1p+53},
             {u"9007199254740995", 0x1.0000000000002p+53},
             {u"1.7976931348623157e308", 0x1.fffffffffffffp+1023},
             {u"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96}});
}
// clang-format on

}  // namespace
