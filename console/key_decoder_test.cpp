#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/charset.h"
#include "console/key_reader.h"

namespace nagyszam {
namespace {

// An event as text, so that a mismatch reads plainly: scan/character and
// the modifiers (Shift, Ctrl, Alt, Enhanced).
std::string Describe(const KeyEvent& e) {
  std::string s = std::to_string(e.ScanCode) + "/" + std::to_string(e.Character);
  if (e.Shift) s += " S";
  if (e.Ctrl) s += " C";
  if (e.LeftAlt) s += " A";
  if (e.RightAlt) s += " R";
  if (e.Enhanced) s += " E";
  if (!e.IsKey || !e.Down) s += " not-a-press";
  return s;
}

using Keys = std::vector<std::string>;

const Charset& Utf8() {
  static Charset chars = [] {
    Charset c;
    MakeCharset("UTF-8", c);
    return c;
  }();
  return chars;
}

struct Feeding {
  const Charset* chars = &Utf8();
  bool terminal = true;
  std::int64_t stepMs = 0;  // time between bytes
  bool endOfInput = true;   // false: the wait runs out after the last byte
};

Keys Decode(const std::string& bytes, Feeding run = {}) {
  KeyDecoder d;
  StartKeyDecoder(d, *run.chars, run.terminal);
  Keys keys;
  KeyEvent out[MaxDecodedEvents];
  std::int64_t now = 1000;
  for (char c : bytes) {
    const int n = FeedKeyByte(d, static_cast<std::uint8_t>(c), now, out);
    for (int i = 0; i < n; ++i) keys.push_back(Describe(out[i]));
    now += run.stepMs;
  }
  const int n = run.endOfInput ? EndKeyDecoder(d, out) : FlushKeyDecoder(d, now + 1000, out);
  for (int i = 0; i < n; ++i) keys.push_back(Describe(out[i]));
  EXPECT_EQ(KeyDecoderDeadline(d), -1) << "something left held";
  return keys;
}

// Decodes at once, byte by byte just inside the wait, and settled by the
// wait instead of the end of input: all must agree.
Keys DecodeEveryWay(const std::string& bytes, Feeding run = {}) {
  const Keys once = Decode(bytes, run);
  run.stepMs = EscapeWaitMs - 1;
  EXPECT_EQ(Decode(bytes, run), once) << "byte by byte";
  run.endOfInput = false;
  EXPECT_EQ(Decode(bytes, run), once) << "settled by the wait";
  return once;
}

// What ReadKey would return for the bytes, through the key algorithm.
std::vector<int> ReadKeys(const std::string& bytes) {
  KeyDecoder d;
  StartKeyDecoder(d, Utf8(), true);
  KeyReader reader;
  ClearKeyReader(reader);
  std::vector<int> delivered;
  KeyEvent out[MaxDecodedEvents];
  auto offer = [&](int n) {
    for (int i = 0; i < n; ++i) {
      OfferKeyEvent(reader, out[i]);
      std::uint8_t key = 0;
      while (TakeReadyKey(reader, key)) delivered.push_back(key);
    }
  };
  for (char c : bytes) offer(FeedKeyByte(d, static_cast<std::uint8_t>(c), 0, out));
  offer(EndKeyDecoder(d, out));
  return delivered;
}

TEST(KeyDecoder, EveryVariantOfAKeyGivesOneEvent) {
  struct Case {
    const char* key;
    std::vector<std::string> sequences;
    std::string event;
  };
  const Case cases[] = {
      {"Up", {"\x1b[A", "\x1bOA", "\x1b[1A", "\x1b[1;1A"}, "72/0 E"},
      {"Down", {"\x1b[B", "\x1bOB"}, "80/0 E"},
      {"Right", {"\x1b[C", "\x1bOC"}, "77/0 E"},
      {"Left", {"\x1b[D", "\x1bOD"}, "75/0 E"},
      {"Home", {"\x1b[H", "\x1bOH", "\x1b[1~", "\x1b[7~"}, "71/0 E"},
      {"End", {"\x1b[F", "\x1bOF", "\x1b[4~", "\x1b[8~"}, "79/0 E"},
      {"Ins", {"\x1b[2~"}, "82/0 E"},
      {"Del", {"\x1b[3~"}, "83/0 E"},
      {"PgUp", {"\x1b[5~"}, "73/0 E"},
      {"PgDn", {"\x1b[6~"}, "81/0 E"},
      {"keypad 5", {"\x1b[E", "\x1bOE", "\x1b[G"}, "76/0"},
      {"F1", {"\x1bOP", "\x1b[11~", "\x1b[[A"}, "59/0"},
      {"F2", {"\x1bOQ", "\x1b[12~", "\x1b[[B"}, "60/0"},
      {"F3", {"\x1bOR", "\x1b[13~", "\x1b[[C"}, "61/0"},
      {"F4", {"\x1bOS", "\x1b[14~", "\x1b[[D"}, "62/0"},
      {"F5", {"\x1b[15~", "\x1b[[E"}, "63/0"},
      {"F6", {"\x1b[17~"}, "64/0"},
      {"F10", {"\x1b[21~"}, "68/0"},
      {"F11", {"\x1b[23~"}, "87/0"},
      {"F12", {"\x1b[24~"}, "88/0"},
      {"Shift+Up", {"\x1b[1;2A", "\x1b[a"}, "72/0 S E"},
      {"Ctrl+Up", {"\x1b[1;5A", "\x1bOa", "\x1bO5A"}, "72/0 C E"},
      {"Ctrl+Left", {"\x1b[1;5D", "\x1bOd"}, "75/0 C E"},
      {"Alt+Up", {"\x1b[1;3A", "\x1b\x1b[A", "\x1b\x1bOA", "\x1b[1;9A"}, "72/0 A E"},
      {"Ctrl+Alt+Shift+Up", {"\x1b[1;8A"}, "72/0 S C A E"},
      {"Shift+Del", {"\x1b[3;2~", "\x1b[3$"}, "83/0 S E"},
      {"Ctrl+Del", {"\x1b[3;5~", "\x1b[3^"}, "83/0 C E"},
      {"Ctrl+Shift+Del", {"\x1b[3;6~", "\x1b[3@"}, "83/0 S C E"},
      {"Ctrl+Home", {"\x1b[1;5H", "\x1b[7^"}, "71/0 C E"},
      {"Shift+F1", {"\x1b[1;2P", "\x1bO2P"}, "59/0 S"},
      {"Shift+F3", {"\x1b[1;2R", "\x1b[25~"}, "61/0 S"},
      {"Shift+F10", {"\x1b[21;2~", "\x1b[34~", "\x1b[21$"}, "68/0 S"},
      {"Ctrl+F12", {"\x1b[24;5~", "\x1b[24^"}, "88/0 C"},
      {"Shift+Tab", {"\x1b[Z"}, "15/9 S"},
      {"keypad Enter", {"\x1bOM"}, "28/13 E"},
      {"keypad slash", {"\x1bOo"}, "53/47 E"},
      {"keypad 7 with Num Lock", {"\x1bOw"}, "71/55"},
      {"Enter", {"\r"}, "28/13"},
      {"Backspace", {"\x7f", "\b"}, "14/8"},
      {"Tab", {"\t"}, "15/9"},
      {"Esc", {"\x1b"}, "1/27"},
      {"Alt+Esc", {"\x1b\x1b"}, "1/27 A"},
      {"Alt+b",
       {"\x1b"
        "b"},
       "48/98 A"},
      {"Alt+B",
       {"\x1b"
        "B"},
       "48/66 S A"},
      {"Alt+Enter", {"\x1b\r"}, "28/13 A"},
      {"Alt+[", {"\x1b["}, "26/91 A"},
      {"Alt+O", {"\x1bO"}, "24/79 S A"},
      {"Ctrl+A", {"\x01"}, "30/1 C"},
      {"Ctrl+Z", {"\x1a"}, "44/26 C"},
      {"Ctrl+J", {"\n"}, "36/10 C"},
      {"Ctrl+2", {std::string(1, '\0')}, "3/0 C"},
      {"Ctrl+Alt+A", {"\x1b\x01"}, "30/1 C A"},
      {"a", {"a"}, "30/97"},
      {"A", {"A"}, "30/65 S"},
      {"space", {" "}, "57/32"},
      {"!", {"!"}, "2/33 S"},
      {"?", {"?"}, "53/63 S"},
      {"~", {"~"}, "41/126 S"},
      {"0", {"0"}, "11/48"},
      {"-", {"-"}, "12/45"},
      {"o with double acute", {"\xC5\x91"}, "0/139"},
      {"Alt+o with double acute", {"\x1b\xC5\x91"}, "0/139 A"},
  };
  for (const Case& c : cases)
    for (const std::string& s : c.sequences)
      EXPECT_EQ(DecodeEveryWay(s), Keys{c.event}) << c.key << " from " << testing::PrintToString(s);
}

TEST(KeyDecoder, ThroughReadKey) {
  struct Case {
    const char* bytes;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"\x1b[A", {0, 72}},
      {"\x1b"
       "b",
       {0, 48}},
      {"\x1b[Z", {0, 15}},
      {"\x1bOM", {0, 28}},
      {"\x1bOo", {0, 53}},
      {"\x1b[1;5A", {0, 141}},
      {"\x1b[1;3A", {0, 152}},
      {"\x1b[15;2~", {0, 88}},
      {"\x1b[24;5~", {0, 138}},
      {"\x1b\r", {0, 166}},
      {"\x1b"
       "1",
       {0, 120}},
      {"\x1bOu", {'5'}},
      {"\x1b[1;3P", {0, 104}},
      {"\x1b\x1b", {0, 1}},
      {"\x1b", {27}},
      {"\x7f\r", {8, 13}},
      {"\xC5\x91\xC3\xA9", {139, 130}},
      // Alt with a keypad digit must not start a composition that never ends.
      {"\x1b\x1bOux", {0, 124, 'x'}},
      {"\x1b\x1b[Ex", {0, 76, 'x'}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadKeys(c.bytes), c.expected) << testing::PrintToString(std::string(c.bytes));
}

// A sequence no key sends is dropped whole; the byte that breaks one
// stands on its own; nothing comes out as loose bytes.
TEST(KeyDecoder, UnknownAndBrokenSequences) {
  const std::string longNumber(40, '7');
  struct Case {
    std::string bytes;
    Keys expected;
  };
  const Case cases[] = {
      {"\x1b[99~x", {"45/120"}},
      {"\x1b[1;5;7Ax", {"45/120"}},
      {"\x1b[?1;2cx", {"45/120"}},  // a terminal's answer to an identity request
      {"\x1b[200~x\x1b[201~", {"45/120"}},
      {"\x1b[Ix\x1b[O", {"45/120"}},  // focus reports
      {"\x1b[1:2Ax", {"45/120"}},
      {"\x1b[2Ax", {"45/120"}},
      {"\x1b[1 Ax", {"45/120"}},
      {"\x1bOzx", {"45/120"}},
      {"\x1b[[Zx", {"45/120"}},
      {"\x1b[" + longNumber + "Ax", {"45/120"}},
      {"\x1b[" + longNumber + ";" + longNumber + "~x", {"45/120"}},
      {"\x1bO" + longNumber + "Px", {"45/120"}},
      {"\x1b[12\rx", {"28/13", "45/120"}},
      {"\x1b[" + longNumber + "\rx", {"28/13", "45/120"}},
      {"\x1b[1\x1b[A", {"72/0 E"}},
      {"\x1bO\x1b[B", {"80/0 E"}},
      {"\x1b[[\x1b[C", {"77/0 E"}},
      {"\x1b\x1b\x1b", {"1/27 A", "1/27"}},
      {"\x1b\x1bx", {"1/27 A", "45/120"}},
      {"\x1b[12;40R", {}},  // a cursor report that nobody asked for
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeEveryWay(c.bytes), c.expected) << testing::PrintToString(c.bytes);
}

TEST(KeyDecoder, CutOffAtTheEnd) {
  struct Case {
    std::string bytes;
    Keys expected;
  };
  const Case cases[] = {
      {"a\x1b", {"30/97", "1/27"}},
      {"\x1b[1;5", {}},
      {"\x1b[1", {}},
      {"\x1b\x1b[", {}},
      {"\x1bO5", {}},
      {"\x1b[[", {}},
      {"\xC5", {}},
      {"\xE2\x82", {}},
      {"\x1b\xC5", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeEveryWay(c.bytes), c.expected) << testing::PrintToString(c.bytes);
}

// The lone ESC is decided by the clock that is passed in: nothing sleeps.
TEST(KeyDecoder, LoneEscapeByTime) {
  KeyDecoder d;
  StartKeyDecoder(d, Utf8(), true);
  KeyEvent out[MaxDecodedEvents];
  EXPECT_EQ(KeyDecoderDeadline(d), -1);
  EXPECT_EQ(FeedKeyByte(d, 0x1b, 100, out), 0);
  EXPECT_EQ(KeyDecoderDeadline(d), 100 + EscapeWaitMs);
  EXPECT_EQ(FlushKeyDecoder(d, 100 + EscapeWaitMs - 1, out), 0);
  ASSERT_EQ(FlushKeyDecoder(d, 100 + EscapeWaitMs, out), 1);
  EXPECT_EQ(Describe(out[0]), "1/27");
  EXPECT_EQ(KeyDecoderDeadline(d), -1);
  EXPECT_EQ(FlushKeyDecoder(d, 10000, out), 0);

  // The wait counts from the last byte: a slow sequence still decodes.
  EXPECT_EQ(FeedKeyByte(d, 0x1b, 1000, out), 0);
  EXPECT_EQ(FeedKeyByte(d, '[', 1000 + EscapeWaitMs - 1, out), 0);
  EXPECT_EQ(KeyDecoderDeadline(d), 1000 + 2 * EscapeWaitMs - 1);
  ASSERT_EQ(FeedKeyByte(d, 'A', 1000 + 2 * EscapeWaitMs - 2, out), 1);
  EXPECT_EQ(Describe(out[0]), "72/0 E");

  // A byte after the wait, when nobody flushed: the ESC was a key of its own.
  EXPECT_EQ(FeedKeyByte(d, 0x1b, 2000, out), 0);
  ASSERT_EQ(FeedKeyByte(d, 'b', 2000 + EscapeWaitMs, out), 2);
  EXPECT_EQ(Describe(out[0]), "1/27");
  EXPECT_EQ(Describe(out[1]), "48/98");

  // A sequence cut off by the wait is dropped; what follows is new.
  EXPECT_EQ(FeedKeyByte(d, 0x1b, 3000, out), 0);
  EXPECT_EQ(FeedKeyByte(d, '[', 3000, out), 0);
  EXPECT_EQ(FeedKeyByte(d, '2', 3000, out), 0);
  ASSERT_EQ(FeedKeyByte(d, '~', 3000 + EscapeWaitMs, out), 1);
  EXPECT_EQ(Describe(out[0]), "41/126 S");

  // An over-long sequence stops being skipped after the wait.
  for (int i = 0; i < 2 * MaxHeldBytes; ++i)
    EXPECT_EQ(FeedKeyByte(d, i < 2 ? "\x1b["[i] : '1', 4000, out), 0);
  EXPECT_EQ(KeyDecoderDeadline(d), 4000 + EscapeWaitMs);
  EXPECT_EQ(FlushKeyDecoder(d, 4000 + EscapeWaitMs, out), 0);
  ASSERT_EQ(FeedKeyByte(d, '1', 5000, out), 1);
  EXPECT_EQ(Describe(out[0]), "2/49");
}

TEST(KeyDecoder, LineEnds) {
  Feeding pipe;
  pipe.terminal = false;
  struct Case {
    std::string bytes;
    Keys fromPipe, fromTerminal;
  };
  const Case cases[] = {
      {"1\n", {"2/49", "28/13"}, {"2/49", "36/10 C"}},
      {"1\r\n2", {"2/49", "28/13", "3/50"}, {"2/49", "28/13", "36/10 C", "3/50"}},
      {"\r\r\n", {"28/13", "28/13"}, {"28/13", "28/13", "36/10 C"}},
      {"\n\n", {"28/13", "28/13"}, {"36/10 C", "36/10 C"}},
      {"\r\x1b\n", {"28/13", "28/13 A"}, {"28/13", "36/10 C A"}},
      {"\x7f\b", {"14/8", "14/8"}, {"14/8", "14/8"}},
      {"\x1b[A\n", {"72/0 E", "28/13"}, {"72/0 E", "36/10 C"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEveryWay(c.bytes, pipe), c.fromPipe) << testing::PrintToString(c.bytes);
    EXPECT_EQ(DecodeEveryWay(c.bytes), c.fromTerminal) << testing::PrintToString(c.bytes);
  }
}

TEST(KeyDecoder, CharactersOfTheCharset) {
  Charset latin2;
  MakeCharset("ISO-8859-2", latin2);
  Feeding inLatin2;
  inLatin2.chars = &latin2;
  struct Case {
    std::string bytes;
    Keys expected;
  };
  const Case utf8[] = {
      {"\xC3\xA9", {"0/130"}},         // é
      {"\xC5\xB0", {"0/235"}},         // Ű
      {"\xE2\x82\xAC", {"0/63"}},      // € is not in the code page
      {"\xF0\x9F\x98\x80", {"0/63"}},  // nor are emoji
      {"\xE2\x96\x91", {"0/176"}},     // light shade
      {"\xFF", {"0/63"}},              // no UTF-8 at all
      {"\xC5x", {"0/63", "45/120"}},   // a lead byte on its own
      {"\xC0\x80", {"0/63", "0/63"}},  // over-long form
      {"\xED\xA0\x80", {"0/63"}},      // a surrogate
      {"\xF4\x90\x80\x80", {"0/63"}},  // beyond Unicode
      {"\xE2\x82\x1b[A", {"0/63", "72/0 E"}},
  };
  for (const Case& c : utf8)
    EXPECT_EQ(DecodeEveryWay(c.bytes), c.expected) << testing::PrintToString(c.bytes);
  const Case latin2Cases[] = {
      {"\xF5\xFB", {"0/139", "0/251"}},  // ő ű
      {"\xA4", {"0/207"}},               // currency sign
      {"\xC5\x91", {"0/145", "0/63"}},   // UTF-8 read as Latin-2: Ĺ, and 0x91 is none
      {"a\x1b\xF5", {"30/97", "0/139 A"}},
  };
  for (const Case& c : latin2Cases)
    EXPECT_EQ(DecodeEveryWay(c.bytes, inLatin2), c.expected) << testing::PrintToString(c.bytes);
}

TEST(KeyDecoder, CursorReportWhenAskedFor) {
  KeyDecoder d;
  StartKeyDecoder(d, Utf8(), true);
  KeyEvent out[MaxDecodedEvents];
  d.WantCursorReport = true;
  int events = 0;
  for (char c : std::string("x\x1b[12;300R\x1b[1;2R")) events += FeedKeyByte(d, c, 0, out);
  EXPECT_EQ(events, 2);  // x, then the second report reads as Shift+F3
  EXPECT_EQ(Describe(out[0]), "61/0 S");
  EXPECT_TRUE(d.HasCursorReport);
  EXPECT_FALSE(d.WantCursorReport);
  EXPECT_EQ(d.ReportRow, 12);
  EXPECT_EQ(d.ReportColumn, 300);
}

}  // namespace
}  // namespace nagyszam
