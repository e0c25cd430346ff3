#pragma once
// BitCast: the bits of one trivially copyable value read as another type of the same size, as
// std::bit_cast gives them. Some standard libraries the core is built with (the WebAssembly
// toolchain's) lack std::bit_cast; there the bytes are copied instead, which compilers turn
// into the same single move. BitCastByCopy is always built, so the two can be compared natively.

#include <cstring>
#include <type_traits>
#include <version>

#if defined(__cpp_lib_bit_cast)
#include <bit>
#endif

namespace turtle {

template <class To, class From>
[[nodiscard]] To BitCastByCopy(const From& from) noexcept {
  static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                std::is_trivially_copyable_v<From>);
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

template <class To, class From>
[[nodiscard]] To BitCast(const From& from) noexcept {
#if defined(__cpp_lib_bit_cast)
  return std::bit_cast<To>(from);
#else
  return BitCastByCopy<To>(from);
#endif
}

}  // namespace turtle
