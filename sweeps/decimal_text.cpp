#include "sweeps/decimal_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <version>

#if defined(__cpp_lib_to_chars)
#include <charconv>
#include <system_error>
#endif

namespace sweeps {

namespace {

// A decimal as its significant digits and the power of ten of the first: d.ddd × 10^exponent.
struct Digits {
  std::string digits;
  int exponent = 0;
};

double ReadBack(const Digits& d) {
  char text[48];
  std::snprintf(text, sizeof text, "%c.%se%d", d.digits[0], d.digits.c_str() + 1, d.exponent);
  return std::strtod(text, nullptr);
}

// Adds one unit in the last place (or takes one away), keeping the number of digits.
Digits Neighbour(Digits d, int direction) {
  int i = static_cast<int>(d.digits.size()) - 1;
  const char wrapFrom = direction > 0 ? '9' : '0';
  const char wrapTo = direction > 0 ? '0' : '9';
  while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == wrapFrom) {
    d.digits[static_cast<std::size_t>(i--)] = wrapTo;
  }
  if (i >= 0) {
    d.digits[static_cast<std::size_t>(i)] =
        static_cast<char>(d.digits[static_cast<std::size_t>(i)] + direction);
  }
  if (direction > 0 && i < 0) {  // 9.99 + 1 → 10.00: one more place
    d.digits.insert(d.digits.begin(), '1');
    d.digits.pop_back();
    ++d.exponent;
  } else if (d.digits[0] == '0') {  // 1.00 - 1 → 0.999: one place less
    d.digits.erase(d.digits.begin());
    d.digits.push_back('9');
    --d.exponent;
  }
  return d;
}

// The fewest significant digits that read back as |value| (finite, nonzero). At each length
// the nearest decimal of that length is tried first; next to a power of two the rounding
// interval is lopsided, and a neighbour of the nearest can be the one that reads back.
Digits ShortestDigits(double magnitude) {
  for (int count = 1; count <= 17; ++count) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*e", count - 1, magnitude);
    Digits nearest;
    const char* e = std::strchr(text, 'e');
    for (const char* c = text; c < e; ++c) {
      if (*c != '.') nearest.digits.push_back(*c);
    }
    nearest.exponent = std::atoi(e + 1);
    for (const int direction : {0, 1, -1}) {
      Digits d = direction == 0 ? nearest : Neighbour(nearest, direction);
      if (ReadBack(d) == magnitude) {
        while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
        return d;
      }
    }
  }
  return {};  // not reached: 17 digits always read back
}

}  // namespace

double DoubleFromDecimalPortable(const char* text) noexcept { return std::strtod(text, nullptr); }

double DoubleFromDecimal(const char* text) noexcept {
#if defined(__cpp_lib_to_chars)
  const char* end = text + std::strlen(text);
  double value = 0.0;
  if (std::from_chars(text, end, value).ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone when the result overflows or rounds to zero; the sign
    // of the exponent says which of the two happened.
    const char* e = std::strpbrk(text, "eE");
    const bool tiny = e != nullptr && e[1] == '-';
    value = tiny ? 0.0 : HUGE_VAL;
    if (text[0] == '-') value = -value;
  }
  return value;
#else
  return DoubleFromDecimalPortable(text);
#endif
}

std::string ShortestDecimalPortable(double value) {
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return sign + "nan";
  if (std::isinf(value)) return sign + "inf";
  if (value == 0) return sign + "0";
  const Digits d = ShortestDigits(std::fabs(value));
  const int count = static_cast<int>(d.digits.size());

  std::string scientific = d.digits.substr(0, 1);
  if (count > 1) scientific += "." + d.digits.substr(1);
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "e%c%02d", d.exponent < 0 ? '-' : '+',
                std::abs(d.exponent));
  scientific += exponent;

  std::string fixed;
  if (d.exponent >= count - 1) {
    // A whole number: its exact digits are as short as the shortest ones padded with zeros,
    // and closer, so they are the ones written (2^55 is "36028797018963968").
    char whole[320];
    std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
    fixed = whole;
  } else if (d.exponent >= 0) {
    const auto whole = static_cast<std::size_t>(d.exponent + 1);
    fixed = d.digits.substr(0, whole) + "." + d.digits.substr(whole);
  } else {
    fixed = "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
  }
  return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::string ShortestDecimal(double value) {
#if defined(__cpp_lib_to_chars)
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
#else
  return ShortestDecimalPortable(value);
#endif
}

}  // namespace sweeps
