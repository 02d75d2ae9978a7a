// A short text: at most 255 code page 852 bytes, passed by value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "console/cp852.h"

namespace nagyszam {

struct ShortText {
  std::uint8_t Length;
  std::array<std::uint8_t, 255> Bytes;
};

namespace text_detail {

// Decodes the UTF-8 character at s[i], advancing i. Malformed input is a
// compile-time error when called from Cp852Text.
constexpr char32_t NextUtf8(const char8_t* s, std::size_t& i) {
  const auto lead = static_cast<std::uint8_t>(s[i++]);
  if (lead < 0x80) return lead;
  int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (more < 0) throw "malformed UTF-8";  // not a constant expression: build error
  char32_t c = lead & (0x3F >> more);
  while (more-- > 0) c = (c << 6) | (static_cast<std::uint8_t>(s[i++]) & 0x3F);
  return c;
}

}  // namespace text_detail

// Turns a UTF-8 literal into its code page 852 bytes at compile time, so the
// program's texts stay readable in the source. A character outside code
// page 852 or a text over 255 bytes does not compile.
template <std::size_t N>
consteval ShortText Cp852Text(const char8_t (&utf8)[N]) {
  ShortText t{0, {}};
  std::size_t i = 0;
  while (i < N - 1) {
    const int b = Cp852ByteOf(text_detail::NextUtf8(utf8, i));
    if (b < 0) throw "character outside code page 852";
    if (t.Length == 255) throw "text longer than 255 bytes";
    t.Bytes[t.Length++] = static_cast<std::uint8_t>(b);
  }
  return t;
}

// Joins two short texts; the result is cut at 255 bytes.
constexpr ShortText Concat(const ShortText& a, const ShortText& b) noexcept {
  ShortText t = a;
  for (std::uint8_t i = 0; i < b.Length && t.Length < 255; ++i) t.Bytes[t.Length++] = b.Bytes[i];
  return t;
}

inline constexpr ShortText EmptyText{0, {}};

// CR LF: the cursor to column 1 of the next row.
inline constexpr ShortText NewRow{2, {13, 10}};

}  // namespace nagyszam
