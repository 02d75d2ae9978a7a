// The signed entry editor on the memory console: the sign phase, the digit
// phase after it, and the record it fills.
#include <gtest/gtest.h>

#include "entry/entry.h"
#include "entry/entry_test_support.h"

namespace nagyszam::testing {
namespace {

const std::string Prompt = Bytes(Cp852Text(u8"y: (Az előjeles szám legfeljebb 256 jegyű):"));
const std::string TooLong = Bytes(Cp852Text(u8"Túl hosszú szám! Kérem újra!"));

struct SignedCase {
  const char* Name;
  int Width;
  std::vector<Chunk> Chunks;
  std::vector<Position> Pauses;
  Elojel Sign;
  std::string Digits;  // as typed, leading zeros included
  std::vector<std::string> Rows;
};

constexpr Elojel Minus = Elojel::Negativ;
constexpr Elojel Plus = Elojel::Pozitiv;

const std::vector<SignedCase> Cases = {
    {"MinusFortyTwo", 80, {{"-42\r"}}, {}, Minus, "42", {Prompt, "-42"}},
    {"LeadingZerosCountInTop", 80, {{"+007\r"}}, {}, Plus, "007", {Prompt, "+007"}},
    {"NegativeZero", 80, {{"-0\r"}}, {}, Minus, "0", {Prompt, "-0"}},
    {"BackspaceOverTheSignReopensTheSignPhase",
     80,
     {{"+\b"}, {"-5\r"}},
     {{1, 2}},
     Minus,
     "5",
     {Prompt, "-5"}},
    {"KeysBeforeTheSignShowNothing",
     80,
     {{"12\b\rx"}, {"+3\r"}},
     {{1, 2}},
     Plus,
     "3",
     {Prompt, "+3"}},
    {"EnterAfterTheSignIsNotEchoed", 80, {{"+\r"}, {"5\r"}}, {{2, 2}}, Plus, "5", {Prompt, "+5"}},
    {"SignsAfterTheSignAreRejected",
     80,
     {{"+1+"}, {"-"}, {"2\r"}},
     {{3, 2}, {3, 2}},
     Plus,
     "12",
     {Prompt, "+12"}},
    {"BackspaceOverADigitThatWrapped",
     80,
     {{"+" + Digits(79)}, {"\b"}, {"\r"}},
     {{1, 3}, {80, 2}},
     Plus,
     Digits(78),
     {Prompt, "+" + Digits(78)}},
    {"FullCapacityGivesTop255",
     80,
     {{"-" + Digits(256) + "\r"}},
     {},
     Minus,
     Digits(256),
     {Prompt, "-" + Digits(79), Digits(159).substr(79), Digits(239).substr(159),
      Digits(256).substr(239)}},
    {"SignStaysInForceAfterTooLong",
     80,
     {{"-" + Digits(256) + "1"}, {"42\r"}},
     {{1, 7}},
     Minus,
     "42",
     {Prompt, "-" + Digits(79), Digits(159).substr(79), Digits(239).substr(159),
      Digits(256).substr(239) + "1", TooLong, "42"}},
};

void PrintTo(const SignedCase& c, std::ostream* out) {
  *out << c.Name;
}

class EgeszEntry : public ::testing::TestWithParam<SignedCase> {};

TEST_P(EgeszEntry, ScreenAndRecord) {
  const SignedCase& c = GetParam();
  StartScript(c.Width, 25, c.Chunks);
  Egesz x{200, Elojel::Negativ, {}};
  x.Magnitude.fill(9);
  ReadEgesz(Cp852Text(u8"y:"), x);
  EXPECT_TRUE(AllKeysTaken());
  EXPECT_EQ(script.Pauses, c.Pauses);
  EXPECT_EQ(x.Sign, c.Sign);
  EXPECT_EQ(x.Magnitude, Number(c.Digits));
  EXPECT_EQ(x.Top, c.Digits.size() - 1);
  EXPECT_EQ(WindowRows(), c.Rows);
}

INSTANTIATE_TEST_SUITE_P(Keys, EgeszEntry, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

// An arrow key before the sign is two ignored bytes (0, then 72 = 'H').
TEST(EgeszEntryExtendedKey, IgnoredInTheSignPhase) {
  StartScript(80, 25, {{""}, {"+5\r"}});
  KeyEvent up{true, true, 72, 0, false, false, false, false, true};
  KeyEvent release = up;
  release.Down = false;
  const KeyEvent events[] = {up, release};
  QueueKeyEvents(events, 2);
  Egesz x{};
  ReadEgesz(Cp852Text(u8"y:"), x);
  EXPECT_EQ(script.Pauses, (std::vector<Position>{{1, 2}}));
  EXPECT_EQ(x.Magnitude, Number("5"));
  EXPECT_EQ(WindowRows(), (std::vector<std::string>{Prompt, "+5"}));
}

// Only the sign is set while keys are typed; magnitude and Top at the end.
Egesz* watched;
std::vector<Elojel> signAtPauses;
bool magnitudeUntouched;
void CheckRecord() {
  signAtPauses.push_back(watched->Sign);
  for (std::uint8_t cell : watched->Magnitude) magnitudeUntouched &= cell == 9;
  magnitudeUntouched &= watched->Top == 200;
}

TEST(EgeszEntryOutput, SignFirstThenMagnitudeAtTheEnd) {
  Egesz x{200, Elojel::Negativ, {}};
  x.Magnitude.fill(9);
  watched = &x;
  signAtPauses.clear();
  magnitudeUntouched = true;
  StartScript(80, 25, {{"7"}, {"-"}, {"3\b"}, {"\b+"}, {"8\r"}}, CheckRecord);
  ReadEgesz(Cp852Text(u8"y:"), x);
  EXPECT_EQ(signAtPauses, (std::vector<Elojel>{Plus, Minus, Minus, Plus}));
  EXPECT_TRUE(magnitudeUntouched);
  EXPECT_EQ(x.Sign, Plus);
  EXPECT_EQ(x.Magnitude, Number("8"));
  EXPECT_EQ(x.Top, 0);
}

}  // namespace
}  // namespace nagyszam::testing
