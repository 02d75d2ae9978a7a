// The two printers on the memory console: digits between prefix and suffix.
#include <gtest/gtest.h>

#include "entry/entry.h"
#include "entry/entry_test_support.h"

namespace nagyszam::testing {
namespace {

struct ShownCase {
  const char* Name;
  ShortText Prefix;
  std::string Digits;  // NemNegEgesz value, or the Egesz magnitude's cells from Top down
  Elojel Sign;
  ShortText Suffix;
  std::string Shown;  // NemNegEgesz row; the Egesz row is the sign and this
  std::string SignedShown;
};

constexpr ShortText NewRow{2, {'\r', '\n'}};

const std::vector<ShownCase> Cases = {
    {"Zero", EmptyText, "0", Elojel::Pozitiv, EmptyText, "0", "+0"},
    {"Thousand", EmptyText, "1000", Elojel::Pozitiv, EmptyText, "1000", "+1000"},
    {"NegativeFortyTwo", Cp852Text(u8"a="), "42", Elojel::Negativ, Cp852Text(u8" és"), "a=42 \x82s",
     "a=-42 \x82s"},
    {"NegativeZero", EmptyText, "0", Elojel::Negativ, EmptyText, "0", "-0"},
    {"TopAboveTheValue", EmptyText, "007", Elojel::Pozitiv, EmptyText, "7", "+007"},
    {"AllZeroCellsFromTop", EmptyText, "000", Elojel::Negativ, Cp852Text(u8"!"), "0!", "-000!"},
};

void PrintTo(const ShownCase& c, std::ostream* out) {
  *out << c.Name;
}

class Shown : public ::testing::TestWithParam<ShownCase> {};

TEST_P(Shown, BetweenPrefixAndSuffix) {
  const ShownCase& c = GetParam();
  StartMemoryConsole(80, 5);
  WriteNemNegEgesz(c.Prefix, Number(c.Digits), c.Suffix);
  EXPECT_EQ(WindowRows(), std::vector<std::string>{c.Shown});
  StartMemoryConsole(80, 5);
  const Egesz x{static_cast<std::uint8_t>(c.Digits.size() - 1), c.Sign, Number(c.Digits)};
  WriteEgesz(c.Prefix, x, c.Suffix);
  EXPECT_EQ(WindowRows(), std::vector<std::string>{c.SignedShown});
}

INSTANTIATE_TEST_SUITE_P(Numbers, Shown, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

// 256 digits wrap like any text; a CR LF prefix starts a fresh row and the
// cursor stays right behind the last digit, the row left open.
TEST(ShownLong, WrapsAndLeavesTheCursorBehind) {
  StartMemoryConsole(80, 10);
  WriteText(Cp852Text(u8"xyz"));
  const std::string digits = "9" + Digits(255);
  WriteNemNegEgesz(NewRow, Number(digits), EmptyText);
  EXPECT_EQ(WindowRows(),
            (std::vector<std::string>{"xyz", digits.substr(0, 80), digits.substr(80, 80),
                                      digits.substr(160, 80), digits.substr(240)}));
  EXPECT_EQ(Cursor(), (Position{17, 5}));
  StartMemoryConsole(80, 10);
  WriteEgesz(NewRow, Egesz{255, Elojel::Negativ, Number(digits)}, EmptyText);
  EXPECT_EQ(WindowRows(),
            (std::vector<std::string>{"", "-" + digits.substr(0, 79), digits.substr(79, 80),
                                      digits.substr(159, 80), digits.substr(239)}));
  EXPECT_EQ(Cursor(), (Position{18, 5}));
}

}  // namespace
}  // namespace nagyszam::testing
