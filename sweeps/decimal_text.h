#pragma once
// Doubles to and from decimal text, exactly and spelled as in the C locale whatever the
// process's locale. Where the standard library has from_chars and to_chars for doubles these
// are they; where it lacks them (the WebAssembly toolchain's library) a portable path through
// strtod and snprintf gives the same results, which needs the C locale a web page runs in.
// The portable functions are always built, so that tests can compare the two natively.

#include <string>

namespace sweeps {

// The double nearest to the NUL-terminated ASCII decimal "[-]digits[.digits][e[+|-]digits]",
// which must be in that form: ±infinity past the largest double, ±0 below the smallest
// subnormal's half, every subnormal in between exact.
[[nodiscard]] double DoubleFromDecimal(const char* text) noexcept;
[[nodiscard]] double DoubleFromDecimalPortable(const char* text) noexcept;

// The shortest decimal that reads back as `value`, as std::to_chars writes it: fixed or
// scientific, whichever is shorter, fixed on a tie ("90.5", "1e+300", "1200", "-0"), and
// "inf", "-inf", "nan", "-nan".
[[nodiscard]] std::string ShortestDecimal(double value);
[[nodiscard]] std::string ShortestDecimalPortable(double value);

}  // namespace sweeps
