#include "console/charset.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstddef>
#include <string>

namespace nagyszam {
namespace {

std::string ShownOf(const Charset& chars, int byte) {
  return std::string(reinterpret_cast<const char*>(chars.Shown[byte].data()),
                     chars.ShownLength[byte]);
}

// The C library's own code page 852 converter, independent of our glyph
// table: the byte's character in the codeset, or "?" where it has none.
std::string LibraryConversion(const char* codeset, int byte) {
  iconv_t cd = iconv_open(codeset, "CP852");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "no converter";
  char in[1] = {static_cast<char>(byte)};
  char out[8];
  char* inPos = in;
  char* outPos = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const bool ok = iconv(cd, &inPos, &inLeft, &outPos, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok ? std::string(out, sizeof out - outLeft) : "?";
}

TEST(Charset, Utf8MatchesTheLibraryForTheUpperHalf) {
  Charset chars;
  MakeCharset("UTF-8", chars);
  EXPECT_TRUE(chars.Utf8);
  for (int b = 32; b < 256; ++b) {
    if (b == 127) continue;  // the library keeps DEL a control; we show the house
    EXPECT_EQ(ShownOf(chars, b), LibraryConversion("UTF-8", b)) << "byte " << b;
  }
}

TEST(Charset, ControlBytesShowAsPcSymbols) {
  Charset chars;
  MakeCharset("UTF-8", chars);
  struct Case {
    int byte;
    const char* shown;
  };
  const Case cases[] = {{0, " "},        {1, "\u263A"},  {2, "\u263B"},  {3, "\u2665"},
                        {9, "\u25CB"},   {13, "\u266A"}, {27, "\u2190"}, {31, "\u25BC"},
                        {127, "\u2302"}, {20, "\u00B6"}};
  for (const Case& c : cases) EXPECT_EQ(ShownOf(chars, c.byte), c.shown) << "byte " << c.byte;
  for (int b = 0; b < 256; ++b) {
    ASSERT_GT(chars.ShownLength[b], 0) << b;
    for (int i = 0; i < chars.ShownLength[b]; ++i) {
      EXPECT_GE(chars.Shown[b][i], 0x20) << "control byte shown raw for " << b;
      EXPECT_NE(chars.Shown[b][i], 0x7F) << b;
    }
  }
}

TEST(Charset, NamesThatCountAsUtf8) {
  for (const char* name : {"UTF-8", "utf8", "UTF_8", "ANSI_X3.4-1968", "", "no-such-codeset"}) {
    Charset chars;
    MakeCharset(name, chars);
    EXPECT_TRUE(chars.Utf8) << name;
    EXPECT_EQ(ShownOf(chars, 139), "\u0151") << name;
  }
  Charset chars;
  MakeCharset(nullptr, chars);
  EXPECT_TRUE(chars.Utf8);
}

TEST(Charset, Latin2HasTheHungarianLettersAndMarksTheRest) {
  Charset chars;
  MakeCharset("ISO-8859-2", chars);
  ASSERT_FALSE(chars.Utf8);
  struct Case {
    int byte;
    const char* shown;
  };
  const Case cases[] = {
      {139, "\xF5"},                      // ő
      {251, "\xFB"},                      // ű
      {138, "\xD5"},                      // Ő
      {235, "\xDB"},                      // Ű
      {130, "\xE9"},                      // é
      {'A', "A"},    {0, " "}, {1, "?"},  // no smiley
      {176, "?"},                         // no shade block
      {127, "?"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownOf(chars, c.byte), c.shown) << "byte " << c.byte;
  for (int b = 32; b < 256; ++b) {
    if (b == 127) continue;
    EXPECT_EQ(ShownOf(chars, b), LibraryConversion("ISO-8859-2", b)) << "byte " << b;
  }
}

// Code page 437 keeps the PC symbols at the control positions: showing them
// would send control bytes, so they must become '?'.
TEST(Charset, SymbolsAtControlPositionsAreNotSent) {
  Charset chars;
  MakeCharset("CP437", chars);
  ASSERT_FALSE(chars.Utf8);
  EXPECT_EQ(ShownOf(chars, 1), "?");
  EXPECT_EQ(ShownOf(chars, 176), "\xB0");  // light shade, the same in both code pages
  EXPECT_EQ(ShownOf(chars, 130), "\x82");  // é
  EXPECT_EQ(ShownOf(chars, 139), "?");     // ő is not in 437
}

}  // namespace
}  // namespace nagyszam
