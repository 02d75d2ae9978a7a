#include "console/posix/charset.h"

#include <iconv.h>

#include <cstddef>

#include "console/cp852.h"

namespace nagyszam {
namespace {

// Codeset names compare as the C library treats them: case and the
// separators '-' and '_' do not count.
constexpr char Folded(char c) noexcept {
  return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool SameCodeset(const char* a, const char* b) noexcept {
  for (;;) {
    while (*a == '-' || *a == '_') ++a;
    while (*b == '-' || *b == '_') ++b;
    if (Folded(*a) != Folded(*b)) return false;
    if (*a == '\0') return true;
    ++a;
    ++b;
  }
}

// The C/POSIX locale's codeset says nothing about the terminal; UTF-8 is
// the likely truth there.
bool CountsAsUtf8(const char* codeset) noexcept {
  return codeset == nullptr || *codeset == '\0' || SameCodeset(codeset, "UTF-8") ||
         SameCodeset(codeset, "ANSI_X3.4-1968") || SameCodeset(codeset, "ASCII") ||
         SameCodeset(codeset, "US-ASCII");
}

void SetShown(std::uint8_t byte, const std::uint8_t* bytes, int length, Charset& out) noexcept {
  out.Shown[byte] = {};
  for (int i = 0; i < length; ++i) out.Shown[byte][i] = bytes[i];
  out.ShownLength[byte] = static_cast<std::uint8_t>(length);
}

constexpr int EncodeUtf8(char32_t c, std::uint8_t (&out)[4]) noexcept {
  if (c < 0x80) {
    out[0] = static_cast<std::uint8_t>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<std::uint8_t>(0xC0 | (c >> 6));
    out[1] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    return 2;
  }
  // Every glyph of the code page lies in the Basic Multilingual Plane.
  out[0] = static_cast<std::uint8_t>(0xE0 | (c >> 12));
  out[1] = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
  out[2] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
  return 3;
}

void MakeUtf8(Charset& out) noexcept {
  out.Utf8 = true;
  for (int b = 0; b < 256; ++b) {
    std::uint8_t bytes[4] = {};
    SetShown(static_cast<std::uint8_t>(b), bytes, EncodeUtf8(Cp852Glyph[b], bytes), out);
  }
}

// A glyph that would come out as a control byte (a stateful codeset's
// shift, or a symbol the codeset keeps among its controls) must not reach
// the terminal: it could start an escape sequence.
bool Printable(const std::uint8_t* bytes, int length) noexcept {
  for (int i = 0; i < length; ++i)
    if (bytes[i] < 0x20 || bytes[i] == 0x7F) return false;
  return length > 0;
}

int ConvertGlyph(iconv_t cd, char32_t glyph, std::uint8_t (&out)[4]) noexcept {
  char in[4] = {static_cast<char>(glyph & 0xFF), static_cast<char>((glyph >> 8) & 0xFF),
                static_cast<char>((glyph >> 16) & 0xFF), static_cast<char>(glyph >> 24)};
  char converted[16];
  char* inPos = in;
  std::size_t inLeft = sizeof in;
  char* outPos = converted;
  std::size_t outLeft = sizeof converted;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPos, &inLeft, &outPos, &outLeft) == static_cast<std::size_t>(-1)) return 0;
  // Back to the initial shift state, so each glyph stands alone.
  if (iconv(cd, nullptr, nullptr, &outPos, &outLeft) == static_cast<std::size_t>(-1)) return 0;
  const std::size_t length = sizeof converted - outLeft;
  if (inLeft != 0 || length > 4) return 0;
  for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<std::uint8_t>(converted[i]);
  return static_cast<int>(length);
}

bool MakeThroughIconv(const char* codeset, Charset& out) noexcept {
  iconv_t cd = iconv_open(codeset, "UTF-32LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.Utf8 = false;
  for (int b = 0; b < 256; ++b) {
    std::uint8_t bytes[4] = {};
    const int length = ConvertGlyph(cd, Cp852Glyph[b], bytes);
    if (Printable(bytes, length)) {
      SetShown(static_cast<std::uint8_t>(b), bytes, length, out);
    } else {
      const std::uint8_t question = '?';
      SetShown(static_cast<std::uint8_t>(b), &question, 1, out);
    }
  }
  iconv_close(cd);
  return true;
}

}  // namespace

void MakeCharset(const char* codeset, Charset& out) noexcept {
  if (CountsAsUtf8(codeset) || !MakeThroughIconv(codeset, out)) MakeUtf8(out);
}

}  // namespace nagyszam
