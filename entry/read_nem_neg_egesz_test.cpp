// The non-negative entry editor on the memory console: what each key sequence
// leaves on the screen, where the cursor waits between keys, and the number.
#include <gtest/gtest.h>

#include "entry/entry.h"
#include "entry/entry_test_support.h"

namespace nagyszam::testing {
namespace {

const std::string Prompt = Bytes(Cp852Text(u8"x: (A szám legfeljebb 256 jegyű):"));
const std::string TooLong = Bytes(Cp852Text(u8"Túl hosszú szám! Kérem újra!"));

struct EntryCase {
  const char* Name;
  int Width, Height;
  std::vector<Chunk> Chunks;
  std::vector<Position> Pauses;   // cursor before each chunk after the first
  std::string Digits;             // the number, as typed
  std::vector<std::string> Rows;  // the whole window afterwards
  Position End;                   // cursor afterwards
};

const std::vector<EntryCase> Cases = {
    {"BackspaceDropsTheLastDigit", 80, 25, {{"12\b3\r"}}, {}, "13", {Prompt, "13"}, {1, 3}},
    {"LeadingZerosAreTyped", 80, 25, {{"007\r"}}, {}, "007", {Prompt, "007"}, {1, 3}},
    {"BackspaceWithNothingHeldDoesNothing",
     80,
     25,
     {{"\b"}, {"5\r"}},
     {{1, 2}},
     "5",
     {Prompt, "5"},
     {1, 3}},
    {"EnterWithNothingHeldGoesOn", 80, 25, {{"\r"}, {"5\r"}}, {{1, 2}}, "5", {Prompt, "5"}, {1, 3}},
    {"LetterIsTakenBackWhereItStood",
     80,
     25,
     {{"12x"}, {"3\r"}},
     {{3, 2}},
     "123",
     {Prompt, "123"},
     {1, 3}},
    {"RejectedInColumnOne", 80, 25, {{"x"}, {"5\r"}}, {{1, 2}}, "5", {Prompt, "5"}, {1, 3}},
    {"RejectedInLastColumnOf80",
     80,
     25,
     {{Digits(79) + "x"}, {"5\r"}},
     {{80, 2}},
     Digits(79) + "5",
     {Prompt, Digits(79) + "5"},
     {1, 4}},
    {"RejectedInLastColumnOf50",
     50,
     25,
     {{Digits(49) + "x"}, {"5\r"}},
     {{50, 2}},
     Digits(49) + "5",
     {Prompt, Digits(49) + "5"},
     {1, 4}},
    {"RejectedOnBottomRowAfterScroll",
     80,
     3,
     {{Digits(159) + "x"}, {"7\r"}},
     {{80, 2}},
     Digits(159) + "7",
     {Digits(159).substr(80) + "7"},
     {1, 3}},
    {"RejectedOnBottomRowOf50AfterScroll",
     50,
     3,
     {{Digits(99) + "x"}, {"7\r"}},
     {{50, 2}},
     Digits(99) + "7",
     {Digits(99).substr(50) + "7"},
     {1, 3}},
    {"RejectedAtTheEndOfAOneRowWindow",
     80,
     1,
     {{Digits(79) + "x"}, {"5\r"}},
     {{1, 1}},
     Digits(79) + "5",
     {},
     {1, 1}},
    {"BackspaceInAOneColumnWindow", 1, 3, {{"12\b\r"}}, {}, "1", {"1"}, {1, 3}},
    {"BellAndLineFeedLeaveNoTrace",
     80,
     25,
     {{"1\a"}, {"2\n"}, {"3\r"}},
     {{2, 2}, {3, 2}},
     "123",
     {Prompt, "123"},
     {1, 3}},
    {"ControlByteShownAsACellIsTakenBack",
     80,
     25,
     {{"1\x01"}, {"2\t"}, {"\r"}},
     {{2, 2}, {3, 2}},
     "12",
     {Prompt, "12"},
     {1, 3}},
    {"BackspaceOverDigitThatWrapped",
     80,
     25,
     {{Digits(80)}, {"\b"}, {"9\r"}},
     {{1, 3}, {80, 2}},
     Digits(79) + "9",
     {Prompt, Digits(79) + "9"},
     {1, 4}},
    {"BackspaceBackAcrossARowOf40",
     40,
     25,
     {{Digits(41)}, {"\b\b"}, {"\r"}},
     {{2, 3}, {40, 2}},
     Digits(39),
     {Prompt, Digits(39)},
     {1, 3}},
    {"FullCapacityIsAccepted",
     80,
     25,
     {{Digits(256) + "\r"}},
     {},
     Digits(256),
     {Prompt, Digits(80), Digits(160).substr(80), Digits(240).substr(160), Digits(256).substr(240)},
     {1, 6}},
    {"DigitPastCapacityStartsOver",
     80,
     25,
     {{Digits(256)}, {"1"}, {"\r"}, {"42\r"}},
     {{17, 5}, {1, 7}, {1, 7}},
     "42",
     {Prompt, Digits(80), Digits(160).substr(80), Digits(240).substr(160),
      Digits(256).substr(240) + "1", TooLong, "42"},
     {1, 8}},
    {"ErrorPendingAtEnterKeepsTheEntryGoing",
     80,
     25,
     {{"5"}, {"\r", 101}, {"6\r"}},
     {{2, 2}, {2, 2}},
     "56",
     {Prompt, "56"},
     {1, 3}},
    {"ErrorIsTakenAtADigit",
     80,
     25,
     {{"5"}, {"7", 101}, {"\r"}},
     {{2, 2}, {2, 2}},
     "57",
     {Prompt, "5"},
     {1, 3}},
    {"ErrorStaysPendingPastARejectedKey",
     80,
     25,
     {{"5"}, {"x", 101}, {"\r"}, {"\r"}},
     {{2, 2}, {2, 2}, {2, 2}},
     "5",
     {Prompt, "5"},
     {1, 3}},
};

void PrintTo(const EntryCase& c, std::ostream* out) {
  *out << c.Name;
}

class NemNegEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(NemNegEntry, ScreenCursorAndNumber) {
  const EntryCase& c = GetParam();
  StartScript(c.Width, c.Height, c.Chunks);
  NemNegEgesz x;
  x.fill(9);
  ReadNemNegEgesz(Cp852Text(u8"x:"), x);
  EXPECT_TRUE(AllKeysTaken());
  EXPECT_EQ(script.Pauses, c.Pauses);
  EXPECT_EQ(x, Number(c.Digits));
  EXPECT_EQ(WindowRows(), c.Rows);
  EXPECT_EQ(Cursor(), c.End);
}

INSTANTIATE_TEST_SUITE_P(Keys, NemNegEntry, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

// An extended key arrives as 0, rejected, then its code as a key of its own:
// keypad slash gives the code of the digit 5.
TEST(NemNegEntryExtendedKey, SecondByteIsTakenByItsOwnValue) {
  StartScript(80, 25, {{"1"}, {"\r"}});
  KeyEvent slash{true, true, 53, '/', false, false, false, false, true};
  KeyEvent release = slash;
  release.Down = false;
  const KeyEvent events[] = {slash, release};
  QueueKeyEvents(events, 2);
  NemNegEgesz x{};
  ReadNemNegEgesz(Cp852Text(u8"x:"), x);
  EXPECT_EQ(x, Number("15"));
  EXPECT_EQ(WindowRows(), (std::vector<std::string>{Prompt, "15"}));
}

// The number is written once, when the entry ends.
NemNegEgesz* watched;
bool untouchedAtEveryPause;
void CheckUntouched() {
  for (std::uint8_t cell : *watched) untouchedAtEveryPause &= cell == 9;
}

TEST(NemNegEntryOutput, WrittenOnlyAtTheEnd) {
  NemNegEgesz x;
  x.fill(9);
  watched = &x;
  untouchedAtEveryPause = true;
  StartScript(80, 25, {{"1"}, {"2"}, {"\r"}}, CheckUntouched);
  ReadNemNegEgesz(Cp852Text(u8"x:"), x);
  EXPECT_EQ(script.Pauses.size(), 2u);
  EXPECT_TRUE(untouchedAtEveryPause);
  EXPECT_EQ(x, Number("12"));
}

}  // namespace
}  // namespace nagyszam::testing
