// How the terminal's character set shows each code page 852 byte, built once
// at start-up from the locale's codeset.
#pragma once

#include <array>
#include <cstdint>

namespace nagyszam {

struct Charset {
  bool Utf8;  // characters are UTF-8 sequences; otherwise one byte each
  std::array<std::array<std::uint8_t, 4>, 256> Shown;  // bytes that show each byte's glyph
  std::array<std::uint8_t, 256> ShownLength;
};

// Builds the table for a codeset name as nl_langinfo(CODESET) gives it,
// through iconv; '?' where the charset lacks a glyph. Unknown codesets and
// the C/POSIX locale's "ANSI_X3.4-1968" count as UTF-8.
void MakeCharset(const char* codeset, Charset& out) noexcept;

}  // namespace nagyszam
