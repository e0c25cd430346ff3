// Reads the number a user typed into one of the window's input boxes.
// Takes the longest leading part of the text that reads as a decimal number
// and ignores the rest; it never reports errors and never throws. It does not
// know about locales, thousands separators, hex/radix prefixes, "inf" or "nan".
//
// Accepted syntax, in order:
//   blanks    any number of space, tab or ideographic space (U+3000)
//   sign      optional: + or -, full-width ＋ (U+FF0B) or － (U+FF0D),
//             or the minus sign − (U+2212)
//   mantissa  digits, optionally with a decimal point and fraction digits;
//             at least one digit on either side of the point (".5" and "5."
//             are numbers, "." is not)
//   exponent  optional: e or E (also full-width ｅ/Ｅ), an optional sign as
//             above, and at least one digit. An incomplete exponent ("1e",
//             "1e+", "2ex") is not part of the number: only the mantissa counts.
// Full-width digits ０–９ and the full-width point ． read like their ASCII
// forms. Anything else, including a blank inside the number, ends it.
//
// The result is the correctly rounded double of the decimal number read.
// Magnitudes beyond the double range give ±infinity, magnitudes too small
// give ±0, and text with no number at all gives +0. The result is never NaN.
// Work is linear in the length of the text, however many digits it has.

#pragma once

#include <string_view>

namespace sweeps {

double NumberFromText(std::u16string_view text) noexcept;

}  // namespace sweeps
