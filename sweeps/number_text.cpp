#include "sweeps/number_text.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "sweeps/decimal_text.h"

namespace sweeps {
namespace {

// A double never needs more than 767 significant decimal digits to decide how
// a decimal number rounds. Keeping a few more and folding everything after
// them into one "sticky" digit keeps the rounding exact while bounding the
// buffer, so a page of pasted digits costs one pass and no allocation.
constexpr std::size_t kKeptDigits = 800;

// Explicit exponents are clamped here. It is far beyond any exponent a double
// can use and beyond the length of any text that fits in memory, so the
// clamped value still lands on the same side of the range as the real one,
// and adding it to the digit-position count cannot overflow.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

// Decimal exponents of the leading digit outside this window are decided
// without converting: 1e309 and above is past the largest double, and
// anything below 1e-325 is under half the smallest subnormal (about 4.9e-324).
constexpr std::int64_t kMaxLeadExponent = 308;
constexpr std::int64_t kMinLeadExponent = -325;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

// Returns +1 or -1 for a sign character, 0 for anything else.
int SignOf(char16_t c) {
  switch (c) {
    case u'+':
    case u'\uFF0B':
      return 1;
    case u'-':
    case u'\uFF0D':
    case u'\u2212':
      return -1;
    default:
      return 0;
  }
}

// Returns the digit value 0..9, or -1 when c is not a digit.
int DigitOf(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'\uFF10' && c <= u'\uFF19') return c - u'\uFF10';
  return -1;
}

bool IsPoint(char16_t c) { return c == u'.' || c == u'\uFF0E'; }

bool IsExponentMark(char16_t c) {
  return c == u'e' || c == u'E' || c == u'\uFF45' || c == u'\uFF25';
}

// The significant digits of the mantissa: value = digits × 10^scale, with
// leading zeros dropped and at most kKeptDigits (+1 sticky) digits kept.
class Significand {
 public:
  void AddIntegerDigit(int d) {
    if (count_ == 0 && d == 0) return;  // leading zero: no effect on value
    if (!Keep(d)) ++scale_;
  }

  void AddFractionDigit(int d) {
    if (count_ == 0 && d == 0) {
      --scale_;
      return;
    }
    if (Keep(d)) --scale_;
  }

  // Appends the sticky digit if any nonzero digit was dropped. A trailing 1
  // past the kept digits moves the value off any exact rounding boundary
  // in the same direction the dropped digits did.
  void Finish() {
    if (droppedNonzero_) {
      digits_[count_++] = '1';
      --scale_;
    }
  }

  bool IsZero() const { return count_ == 0; }
  std::size_t Count() const { return count_; }
  std::int64_t Scale() const { return scale_; }
  const char* Digits() const { return digits_.data(); }

 private:
  bool Keep(int d) {
    if (count_ < kKeptDigits) {
      digits_[count_++] = static_cast<char>('0' + d);
      return true;
    }
    if (d != 0) droppedNonzero_ = true;
    return false;
  }

  std::array<char, kKeptDigits + 1> digits_{};
  std::size_t count_ = 0;
  std::int64_t scale_ = 0;
  bool droppedNonzero_ = false;
};

// Converts ±D.DDD × 10^lead, correctly rounded, subnormals included, in any locale.
double Convert(bool negative, const Significand& sig, std::int64_t lead) {
  // sign, digits, point, 'e', exponent sign, up to 3 exponent digits and the terminating NUL.
  std::array<char, kKeptDigits + 1 + 9> text{};
  char* out = text.data();
  if (negative) *out++ = '-';
  const char* digits = sig.Digits();
  *out++ = digits[0];
  if (sig.Count() > 1) {
    *out++ = '.';
    for (std::size_t i = 1; i < sig.Count(); ++i) *out++ = digits[i];
  }
  *out++ = 'e';
  *std::to_chars(out, text.data() + text.size() - 1, static_cast<int>(lead)).ptr = '\0';
  return DoubleFromDecimal(text.data());
}

}  // namespace

double NumberFromText(std::u16string_view text) noexcept {
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && IsBlank(text[i])) ++i;

  bool negative = false;
  if (i < n) {
    if (const int sign = SignOf(text[i]); sign != 0) {
      negative = sign < 0;
      ++i;
    }
  }

  Significand sig;
  bool anyDigit = false;
  for (int d; i < n && (d = DigitOf(text[i])) >= 0; ++i) {
    sig.AddIntegerDigit(d);
    anyDigit = true;
  }
  if (i < n && IsPoint(text[i])) {
    ++i;
    for (int d; i < n && (d = DigitOf(text[i])) >= 0; ++i) {
      sig.AddFractionDigit(d);
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0.0;

  // The exponent is only taken if it is complete; otherwise it is ignored.
  std::int64_t exponent = 0;
  if (i < n && IsExponentMark(text[i])) {
    std::size_t j = i + 1;
    int exponentSign = 1;
    if (j < n) {
      if (const int sign = SignOf(text[j]); sign != 0) {
        exponentSign = sign;
        ++j;
      }
    }
    bool exponentDigit = false;
    std::int64_t magnitude = 0;
    for (int d; j < n && (d = DigitOf(text[j])) >= 0; ++j) {
      exponentDigit = true;
      if (magnitude < kExponentCap) magnitude = magnitude * 10 + d;
    }
    if (exponentDigit) exponent = exponentSign * magnitude;
  }

  sig.Finish();
  if (sig.IsZero()) return negative ? -0.0 : 0.0;

  // Decimal exponent of the leading significant digit.
  const std::int64_t lead = sig.Scale() + static_cast<std::int64_t>(sig.Count()) - 1 + exponent;
  if (lead > kMaxLeadExponent) {
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  if (lead < kMinLeadExponent) return negative ? -0.0 : 0.0;
  return Convert(negative, sig, lead);
}

}  // namespace sweeps
