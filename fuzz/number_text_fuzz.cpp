// Fuzzes sweeps::NumberFromText. Every input is handed over in a heap buffer of
// exactly the right size so ASan flags any read past the view. Plain ASCII
// inputs are also checked against a small independent reader built on
// strtod, and against the same text rewritten with full-width characters.

#include "sweeps/number_text.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Finds the longest leading number with a hand-written scanner and converts
// it with strtod. The process never calls setlocale, so strtod runs in the
// "C" locale and uses '.' as its decimal point.
double Reference(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  const std::size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool any_digit = false;
  for (; i < s.size() && IsAsciiDigit(s[i]); ++i) any_digit = true;
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && IsAsciiDigit(s[i]); ++i) any_digit = true;
  }
  if (!any_digit) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsAsciiDigit(s[j])) {
      while (j < s.size() && IsAsciiDigit(s[j])) ++j;
      i = j;
    }
  }
  const std::string number = s.substr(start, i - start);
  return std::strtod(number.c_str(), nullptr);
}

// Calls the reader on a buffer holding exactly the given units.
double ReadExact(const std::u16string& units) {
  const std::vector<char16_t> exact(units.begin(), units.end());
  const double value = sweeps::NumberFromText(std::u16string_view(exact.data(), exact.size()));
  if (std::isnan(value)) {
    std::fprintf(stderr, "NumberFromText returned NaN\n");
    std::abort();
  }
  return value;
}

void ExpectSame(double got, double want, const char* what) {
  if (std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(want)) {
    std::fprintf(stderr, "%s: got %a, want %a\n", what, got, want);
    std::abort();
  }
}

// Rewrites ASCII text with the full-width forms of its characters (and the
// ideographic space and U+2212 minus), which must read exactly the same.
// Which characters get rewritten varies with position and the first byte.
std::u16string Widen(const std::string& s) {
  std::u16string out;
  const unsigned salt = s.empty() ? 0 : static_cast<unsigned char>(s[0]);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(s[i]));
    const unsigned pick = (static_cast<unsigned>(i) * 7 + salt) % 3;
    if (pick == 0) {
      out += c;
    } else if (c == u' ') {
      out += u'\u3000';
    } else if (c == u'-' && pick == 2) {
      out += u'\u2212';
    } else if (c >= 0x21 && c <= 0x7E) {
      out += static_cast<char16_t>(c + 0xFEE0);
    } else {
      out += c;
    }
  }
  return out;
}

// Checks an input made only of ASCII units against the reference reader.
void CheckAscii(const std::u16string& units, double got) {
  std::string narrow;
  for (char16_t c : units) {
    if (c >= 0x80) return;
    narrow += static_cast<char>(c);
  }
  const double want = Reference(narrow);
  ExpectSame(got, want, "ASCII input vs strtod");
  ExpectSame(ReadExact(Widen(narrow)), want, "full-width rewrite vs strtod");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes as UTF-16LE code units; an odd last byte is dropped.
  std::u16string utf16;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    utf16 += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  CheckAscii(utf16, ReadExact(utf16));

  // The bytes as 8-bit units, widened one to one.
  std::u16string widened(data, data + size);
  CheckAscii(widened, ReadExact(widened));
  return 0;
}
