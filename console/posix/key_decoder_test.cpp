// The terminal decoder: bytes in, key presses out, fed all at once, byte by
// byte just inside the Esc wait, and decided by the wait instead of the end
// of input; all three must agree. Time is passed in: nothing sleeps.
#include "console/posix/key_decoder.h"

#include <gtest/gtest.h>

#include "console/posix/cursor_report.h"

#include <string>
#include <vector>

namespace nagyszam {
namespace {

// scan/character and the modifiers: Shift, Ctrl, Alt, Enhanced.
std::string Describe(const KeyEvent& e) {
  std::string s = std::to_string(e.ScanCode) + "/" + std::to_string(e.Character);
  const bool held[] = {e.Shift, e.Ctrl, e.LeftAlt, e.RightAlt, e.Enhanced, !e.Down};
  const char* const marks[] = {" S", " C", " A", " R", " E", " up"};
  for (int i = 0; i < 6; ++i)
    if (held[i]) s += marks[i];
  return s;
}

using Keys = std::vector<std::string>;

const Charset& CharsetNamed(const char* codeset) {
  static Charset utf8, latin2;
  Charset& chars = codeset[0] == 'U' ? utf8 : latin2;
  if (chars.ShownLength[' '] == 0) MakeCharset(codeset, chars);
  return chars;
}

struct Feeding {
  const char* Codeset = "UTF-8";
  bool FromTerminal = true;
};

Keys Decode(const std::string& bytes, Feeding how, std::int64_t stepMs, bool endOfInput) {
  KeyDecoder d;
  StartKeyDecoder(d, CharsetNamed(how.Codeset), how.FromTerminal);
  Keys keys;
  KeyEvent out[MaxDecodedEvents];
  auto take = [&](int count) {
    for (int i = 0; i < count; ++i) keys.push_back(Describe(out[i]));
  };
  std::int64_t now = 1000;
  for (char c : bytes) {
    take(FeedKeyByte(d, static_cast<std::uint8_t>(c), now, out));
    now += stepMs;
  }
  take(endOfInput ? EndKeyDecoder(d, out) : FlushKeyDecoder(d, now + EscapeWaitMs, out));
  EXPECT_EQ(KeyDecoderDeadline(d), -1) << "something left held";
  return keys;
}

TEST(KeyDecoder, BytesToKeys) {
  const std::string longNumber(40, '7');
  const Feeding pipe{"UTF-8", false}, latin2{"ISO-8859-2", true};
  const struct {
    std::string Bytes;
    Keys Expected;
    Feeding How = {};
  } cases[] = {
      {"\x1b[A\x1bOA\x1b[1;1A", {"72/0 E", "72/0 E", "72/0 E"}},
      {"\x1b[B\x1bOC\x1b[D\x1b[H\x1bOF", {"80/0 E", "77/0 E", "75/0 E", "71/0 E", "79/0 E"}},
      {"\x1b[1~\x1b[2~\x1b[3~\x1b[4~", {"71/0 E", "82/0 E", "83/0 E", "79/0 E"}},
      {"\x1b[5~\x1b[6~\x1b[7~\x1b[8~", {"73/0 E", "81/0 E", "71/0 E", "79/0 E"}},
      {"\x1b[E\x1bOE\x1b[G", {"76/0", "76/0", "76/0"}},
      {"\x1bOP\x1b[12~\x1b[[C\x1bOS\x1b[[E", {"59/0", "60/0", "61/0", "62/0", "63/0"}},
      {"\x1b[11~\x1b[13~\x1b[14~\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~",
       {"59/0", "61/0", "62/0", "63/0", "64/0", "65/0", "66/0", "67/0", "68/0", "87/0", "88/0"}},
      {"\x1b[26~\x1b[28~\x1b[29~\x1b[31~\x1b[32~\x1b[33~",
       {"62/0 S", "63/0 S", "64/0 S", "65/0 S", "66/0 S", "67/0 S"}},
      {"\x1b[1;2A\x1b[a\x1bOa\x1bO5D", {"72/0 S E", "72/0 S E", "72/0 C E", "75/0 C E"}},
      {"\x1b[1;3A\x1b\x1b[A\x1b[1;9A", {"72/0 A E", "72/0 A E", "72/0 A E"}},
      {"\x1b[1;8A", {"72/0 S C A E"}},
      {"\x1b[3$\x1b[3^\x1b[3@\x1b[3;6~", {"83/0 S E", "83/0 C E", "83/0 S C E", "83/0 S C E"}},
      {"\x1b[1;2P\x1b[25~\x1b[34~\x1b[24^", {"59/0 S", "61/0 S", "68/0 S", "88/0 C"}},
      {"\x1b[1;2Q\x1b[1;5R\x1b[1;3S", {"60/0 S", "61/0 C", "62/0 A"}},
      {"\x1b[F\x1b[b\x1b[c\x1b[d\x1bOb\x1bOc\x1bOd",
       {"79/0 E", "80/0 S E", "77/0 S E", "75/0 S E", "80/0 C E", "77/0 C E", "75/0 C E"}},
      {"\x1bOB\x1bOD\x1bOH\x1bOQ\x1bOR\x1b[[A\x1b[[B\x1b[[D",
       {"80/0 E", "75/0 E", "71/0 E", "60/0", "61/0", "59/0", "60/0", "62/0"}},
      // The keypad in application mode: what it types with Num Lock on.
      {"\x1bOk\x1bOl\x1bOm\x1bOn\x1bOq\x1bOr\x1bOs\x1bOt\x1bOv\x1bOx\x1bOy",
       {"78/43", "83/44", "74/45", "83/46", "79/49", "80/50", "81/51", "75/52", "77/54", "72/56",
        "73/57"}},
      {"\x1b[Z\x1bOM\x1bOo\x1bOw\x1bOj", {"15/9 S", "28/13 E", "53/47 E", "71/55", "55/42"}},
      {"\r\x7f\b\t\x1b", {"28/13", "14/8", "14/8", "15/9", "1/27"}},
      {"\x1b\x1b\x1b"
       "b\x1b"
       "B\x1b\r",
       {"1/27 A", "48/98 A", "48/66 S A", "28/13 A"}},
      {"\x1b[", {"26/91 A"}},
      {"\x1bO", {"24/79 S A"}},
      {std::string("\x01\x1a\n\0\x1b\x01", 6),
       {"30/1 C", "44/26 C", "36/10 C", "3/0 C", "30/1 C A"}},
      {"\x1c\x1d\x1e\x1f", {"43/28 C", "27/29 C", "7/30 C", "12/31 C"}},
      {"aA !?~0-",
       {"30/97", "30/65 S", "57/32", "2/33 S", "53/63 S", "41/126 S", "11/48", "12/45"}},
      // The rest of the typewriter keys, by their place on a US keyboard.
      {"123456789=[];'`\\,./",
       {"2/49", "3/50", "4/51", "5/52", "6/53", "7/54", "8/55", "9/56", "10/57", "13/61", "26/91",
        "27/93", "39/59", "40/39", "41/96", "43/92", "51/44", "52/46", "53/47"}},
      {"@#$%^&*()_+{}:\"|<>",
       {"3/64 S", "4/35 S", "5/36 S", "6/37 S", "7/94 S", "8/38 S", "9/42 S", "10/40 S", "11/41 S",
        "12/95 S", "13/43 S", "26/123 S", "27/125 S", "39/58 S", "40/34 S", "43/124 S", "51/60 S",
        "52/62 S"}},
      {"qwertyuiopsdfghjklzxcvbnmQZM",
       {"16/113", "17/119", "18/101", "19/114", "20/116",  "21/121",  "22/117",
        "23/105", "24/111", "25/112", "31/115", "32/100",  "33/102",  "34/103",
        "35/104", "36/106", "37/107", "38/108", "44/122",  "45/120",  "46/99",
        "47/118", "48/98",  "49/110", "50/109", "16/81 S", "44/90 S", "50/77 S"}},
      // Alt with a keypad digit must not start a composition no release ends.
      {"\x1b\x1bOu\x1b\x1bOp\x1b\x1b[E", {"6/53 A", "11/48 A", "76/0 A E"}},
      // Characters of the charset; what code page 852 lacks is '?'.
      {"\xC5\x91\xC3\xA9\xC5\xB0\xE2\x96\x91", {"0/139", "0/130", "0/235", "0/176"}},
      {"\x1b\xC5\x91\xDF\xBF\xE2\x82\xAC\xF0\x9F\x98\x80", {"0/139 A", "0/63", "0/63", "0/63"}},
      {"\xFF\xC5x\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80",
       {"0/63", "0/63", "45/120", "0/63", "0/63", "0/63", "0/63"}},
      {"\xF5\xFB\xA4\xC5\x91\x1b\xF5",
       {"0/139", "0/251", "0/207", "0/145", "0/63", "0/139 A"},
       latin2},
      // Unknown sequences are dropped whole; a byte that breaks one stands alone.
      {"\x1b[:A\x1bO:P\x1b[99~\x1b[1;5;7A\x1b[?1;2c\x1b[200~\x1b[I\x1b[1:2A\x1b[2A\x1b[1 "
       "A\x1bOz\x1b[[Zx",
       {"45/120"}},
      {"\x1b[" + longNumber + "A\x1b[1;" + longNumber + "~\x1bO" + longNumber + "Px", {"45/120"}},
      {"\x1b[1;5;99999A\x1bO1;2;99999Px\x1b[1;2;3;4;5;6;7;8;9A", {"45/120"}},
      {"\x1b[12\r\x1b[" + longNumber + "\rx", {"28/13", "28/13", "45/120"}},
      // The longest sequence taken whole is 32 bytes.
      {"\x1b[" + std::string(28, '0') + "1~", {"71/0 E"}},
      {"\x1b[" + std::string(29, '0') + "1~x", {"45/120"}},
      {"\x1b[1\x1b[A\x1bO\x1b[B\x1b[[\x1b[C\x1b[12;40R", {"72/0 E", "80/0 E", "77/0 E"}},
      // Cut off at the end: nothing but a lone ESC comes out.
      {"a\x1b", {"30/97", "1/27"}},
      {"\x1b[1;5", {}},
      {"\x1b\x1b[", {}},
      {"\x1bO5", {}},
      {"\x1b[[", {}},
      {"\xE2\x82", {}},
      {"\x1b\xC5", {}},
      // From a pipe, LF and CR LF are Enter.
      {"1\n\r\n\r\r\n\x1b\n", {"2/49", "28/13", "28/13", "28/13", "28/13", "28/13 A"}, pipe},
      {"\x1b[A\n\x7f", {"72/0 E", "28/13", "14/8"}, pipe},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Bytes));
    EXPECT_EQ(Decode(c.Bytes, c.How, 0, true), c.Expected) << "all at once";
    EXPECT_EQ(Decode(c.Bytes, c.How, EscapeWaitMs - 1, true), c.Expected) << "byte by byte";
    EXPECT_EQ(Decode(c.Bytes, c.How, EscapeWaitMs - 1, false), c.Expected) << "by the wait";
  }
  // Each letter's key on a US PC keyboard, a to z.
  const int letterKeys[] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                            49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
  for (int i = 0; i < 26; ++i)
    EXPECT_EQ(Decode(std::string(1, 'a' + i), {}, 0, true),
              Keys{std::to_string(letterKeys[i]) + "/" + std::to_string('a' + i)});
}

// The wait counts from the last byte; what it cuts off is decided alone.
TEST(KeyDecoder, EscapeWaitByTheClockPassedIn) {
  KeyDecoder d;
  StartKeyDecoder(d, CharsetNamed("UTF-8"), true);
  KeyEvent out[MaxDecodedEvents];
  EXPECT_EQ(KeyDecoderDeadline(d), -1);
  EXPECT_EQ(FeedKeyByte(d, 0x1b, 100, out), 0);
  EXPECT_EQ(KeyDecoderDeadline(d), 150) << "a lone Esc waits 50 ms";
  EXPECT_EQ(FlushKeyDecoder(d, 99 + EscapeWaitMs, out), 0);
  ASSERT_EQ(FlushKeyDecoder(d, 100 + EscapeWaitMs, out), 1);
  EXPECT_EQ(Describe(out[0]), "1/27");
  EXPECT_EQ(FeedKeyByte(d, 0x1b, 1000, out), 0);
  ASSERT_EQ(FeedKeyByte(d, 'b', 1000 + EscapeWaitMs, out), 2);
  EXPECT_EQ(Describe(out[0]) + Describe(out[1]), "1/2748/98");
  for (const char c : std::string("\x1b[2")) FeedKeyByte(d, c, 2000, out);
  ASSERT_EQ(FeedKeyByte(d, '~', 2000 + EscapeWaitMs, out), 1);
  EXPECT_EQ(Describe(out[0]), "41/126 S");
  // An over-long sequence is skipped up to its final byte, or to the wait.
  for (int i = 0; i < 2 * MaxHeldBytes; ++i) FeedKeyByte(d, i < 2 ? "\x1b["[i] : '1', 3000, out);
  EXPECT_EQ(KeyDecoderDeadline(d), 3000 + EscapeWaitMs);
  EXPECT_EQ(FlushKeyDecoder(d, 3000 + EscapeWaitMs, out), 0);
  ASSERT_EQ(FeedKeyByte(d, '1', 4000, out), 1);
  EXPECT_EQ(Describe(out[0]), "2/49");
}

bool Find(const std::string& bytes, CursorReport& report) {
  return FindCursorReport(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                          report);
}

// The terminal's answer to the cursor question, among keys typed meanwhile.
TEST(CursorReport, FoundAmongKeysAndCut) {
  std::string bytes = "a\x1b[1;2\x1b[12;300Rb";
  CursorReport report{};
  ASSERT_TRUE(Find(bytes, report));
  EXPECT_EQ(report.Row * 1000 + report.Column, 12300);
  bytes.resize(
      CutCursorReport(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size(), report));
  EXPECT_EQ(bytes, "a\x1b[1;2b");
  // A report has both numbers; without one it is a key's sequence.
  for (const std::string& keys : {bytes, std::string("\x1b[;5R\x1b[7;R\x1b[R")}) {
    EXPECT_FALSE(Find(keys, report)) << keys;
  }
  // Leading zeros are allowed in a parameter.
  ASSERT_TRUE(Find("\x1b[07;080R", report));
  EXPECT_EQ(report.Row * 1000 + report.Column, 7080);
}

// A report that the read cut short is not one yet, wherever it was cut;
// each prefix gets a buffer of its own size, so that a look past its end
// is a read the sanitizer build reports.
TEST(CursorReport, CutShortIsNotFound) {
  const std::string whole = "\x1b[12;300R";
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    const std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + length);
    CursorReport report{};
    EXPECT_EQ(FindCursorReport(bytes.data(), bytes.size(), report), length == whole.size())
        << length;
  }
}

}  // namespace
}  // namespace nagyszam
