// The glyph table of each terminal charset against the C library's own code
// page 852 converter, which knows nothing of ours.
#include "console/posix/charset.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "console/short_text.h"

namespace nagyszam {
namespace {

std::string ShownOf(const Charset& chars, int byte) {
  return std::string(chars.Shown[byte].begin(),
                     chars.Shown[byte].begin() + chars.ShownLength[byte]);
}

// The byte's character in the codeset, or "?" where it has none.
std::string LibraryConversion(const char* codeset, int byte) {
  iconv_t cd = iconv_open(codeset, "CP852");
  char in = static_cast<char>(byte), out[8];
  char *inPos = &in, *outPos = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const bool done = iconv(cd, &inPos, &inLeft, &outPos, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return done ? std::string(out, sizeof out - outLeft) : "?";
}

TEST(Charset, EveryByteAsTheLibraryConvertsIt) {
  // The locale's names for UTF-8 and ASCII, and unknown ones, mean UTF-8.
  for (const char* codeset :
       {"UTF-8", "utf_8", "ANSI_X3.4-1968", "", "no-such-codeset", "ISO-8859-2"}) {
    SCOPED_TRACE(codeset);
    Charset chars{};
    MakeCharset(codeset, chars);
    const bool latin2 = codeset[0] == 'I';
    EXPECT_EQ(chars.Utf8, !latin2);
    for (int b = 32; b < 256; ++b) {
      if (b == 127) continue;  // the library keeps DEL a control; the PC shows a house
      EXPECT_EQ(ShownOf(chars, b), LibraryConversion(latin2 ? codeset : "UTF-8", b)) << b;
    }
  }
}

// The PC shows symbols for the control bytes; a charset that lacks one, or
// keeps it among its controls (code page 437), shows '?': no control byte
// may reach the terminal. So does a character longer than the four bytes a
// glyph holds (UTF-7 writes 'á' as "+AOE-").
TEST(Charset, ControlBytesShowAsSymbols) {
  const struct {
    const char* Codeset;
    int Byte;
    std::string Shown;
  } cases[] = {
      {"UTF-8", 0, " "},       {"UTF-8", 1, "\u263A"},   {"UTF-8", 9, "\u25CB"},
      {"UTF-8", 27, "\u2190"}, {"UTF-8", 31, "\u25BC"},  {"UTF-8", 127, "\u2302"},
      {"ISO-8859-2", 1, "?"},  {"ISO-8859-2", 127, "?"}, {"CP437", 1, "?"},
      {"CP437", 176, "\xB0"},  {"CP437", 139, "?"},      {"UTF-7", 160, "?"},
      {"UTF-7", 'A', "A"},
  };
  for (const auto& c : cases) {
    Charset chars{};
    MakeCharset(c.Codeset, chars);
    EXPECT_EQ(ShownOf(chars, c.Byte), c.Shown) << c.Codeset << " " << c.Byte;
    for (int b = 0; b < 256; ++b)
      for (int i = 0; i < chars.ShownLength[b]; ++i)
        EXPECT_TRUE(chars.Shown[b][i] >= 0x20 && chars.Shown[b][i] != 0x7F) << b;
  }
}

// The program's texts are turned into code page 852 while it compiles; the
// C library's converter must give the same bytes, for characters of two and
// three bytes in UTF-8 alike.
TEST(Charset, CompiledTextsAsTheLibraryConvertsThem) {
  static constexpr char8_t kUtf8[] =
      u8"Árvíztűrő tükörfúrógép ŐőŰű ─│┌┐└┘├┤┬┴┼ ░▒▓█ ═║╔╗╚╝ ¤§°´˘˙˛˝";
  constexpr ShortText kCompiled = Cp852Text(kUtf8);
  iconv_t cd = iconv_open("CP852", "UTF-8");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in(reinterpret_cast<const char*>(kUtf8)), out(sizeof kUtf8, '\0');
  char *inPos = in.data(), *outPos = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  ASSERT_NE(iconv(cd, &inPos, &inLeft, &outPos, &outLeft), static_cast<std::size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  EXPECT_EQ(std::string(kCompiled.Bytes.begin(), kCompiled.Bytes.begin() + kCompiled.Length), out);
}

}  // namespace
}  // namespace nagyszam
