// Decimal text against GMP's own conversions: every value GMP reads, the
// library reads to the same cells and writes back as GMP does; every text
// outside the library's rules is refused with the output left alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "numbers/numbers.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

// GMP's reading of the text, and its own writing of that value.
std::string GmpText(const std::string& text, NemNegEgesz& cells) {
  testing::Z v;
  EXPECT_EQ(mpz_set_str(v, text.c_str(), 10), 0) << text;
  bool wrapped = false;
  cells = testing::Cells(v, wrapped);
  char out[300];
  return mpz_get_str(out, 10, v);
}

TEST(Text, ReadsAndWritesWhatGmpDoes) {
  constexpr std::uint64_t seed = 20261207;
  std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
  std::mt19937_64 random(seed);
  for (int i = 0; i < 2000; ++i) {
    // Up to 256 digits, leading zeros included (all of them every fifth
    // time), under every sign prefix.
    std::string digits(1 + random() % 256, '0');
    for (char& c : digits) c = static_cast<char>('0' + random() % 10 * (i % 5 != 0));
    for (const std::string sign : {"", "+", "-"}) {
      const std::string text = sign + digits;
      NemNegEgesz cells;
      const std::string expected = GmpText(sign == "+" ? digits : text, cells);
      Egesz parsed{77, Elojel::Negativ, Nulla};
      ParseEgesz(text, parsed);
      ASSERT_FALSE(TakeHiba()) << text;
      ASSERT_EQ(parsed.Magnitude, cells) << text;
      EXPECT_EQ(parsed.Top, TopIndex(cells)) << text;
      EXPECT_EQ(parsed.Sign, expected[0] == '-' ? Elojel::Negativ : Elojel::Pozitiv) << text;
      char out[MaxEgeszText];
      ASSERT_EQ(std::string(out, FormatEgesz(parsed, out)), expected) << text;
      if (sign.empty()) {
        NemNegEgesz x;
        ParseNemNegEgesz(text, x);
        ASSERT_FALSE(TakeHiba());
        ASSERT_EQ(x, cells) << text;
        EXPECT_EQ(std::string(out, FormatNemNegEgesz(x, out)), expected);
      }
    }
  }
}

TEST(Text, RefusedTextLeavesTheOutputAlone) {
  const std::string longest(256, '9');
  const struct {
    std::string Text;
    bool NemNeg;  // read as a NemNegEgesz
    bool Egesz;   // read as an Egesz
  } cases[] = {
      {"", false, false},
      {"+", false, false},
      {"-", false, false},
      {" 1", false, false},
      {"1 ", false, false},
      {"1a", false, false},
      {"--1", false, false},
      {"+-1", false, false},
      {"1.0", false, false},
      {"0x1", false, false},
      {"+1", false, true},
      {"-1", false, true},
      {"1-", false, false},
      {std::string("1\0", 2), false, false},
      {longest, true, true},
      {"-" + longest, false, true},
      {longest + "9", false, false},
      {"+0" + longest, false, false},
  };
  for (const auto& c : cases) {
    const NemNegEgesz before = testing::Num("4242");
    NemNegEgesz x = before;
    ParseNemNegEgesz(c.Text, x);
    EXPECT_EQ(TakeHiba(), !c.NemNeg) << '"' << c.Text << '"';
    if (!c.NemNeg) {
      EXPECT_EQ(x, before) << c.Text;
    }
    Egesz y{3, Elojel::Negativ, before};
    ParseEgesz(c.Text, y);
    EXPECT_EQ(TakeHiba(), !c.Egesz) << '"' << c.Text << '"';
    if (!c.Egesz) {
      EXPECT_TRUE(y.Top == 3 && y.Sign == Elojel::Negativ && y.Magnitude == before);
    }
  }
}

TEST(Text, WritesOnlyWhatFitsAndOnlyDigits) {
  const struct {
    std::string Text;
    std::size_t Room;
    std::string Written;  // "" when refused
  } cases[] = {
      {"-123", 4, "-123"}, {"-123", 3, ""},
      {"0", 1, "0"},       {"0", 0, ""},
      {"-0", 1, "0"},      {"+7", 1, "7"},
      {"-7", 1, ""},       {std::string(256, '1'), 256, std::string(256, '1')},
  };
  for (const auto& c : cases) {
    Egesz x;
    ParseEgesz(c.Text, x);
    char out[MaxEgeszText + 1];
    std::fill(std::begin(out), std::end(out), '#');
    const std::size_t n = FormatEgesz(x, std::span<char>(out, c.Room));
    EXPECT_EQ(TakeHiba(), c.Written.empty()) << c.Text << " in " << c.Room;
    EXPECT_EQ(std::string(out, n), c.Written);
    EXPECT_EQ(out[n], '#') << "nothing written past the text";
  }
  // A cell that holds no digit is no number to write.
  NemNegEgesz x = Nulla;
  x[3] = 10;
  char out[MaxEgeszText];
  EXPECT_EQ(FormatNemNegEgesz(x, out), 0u);
  EXPECT_TRUE(TakeHiba());
  // A negative zero from elsewhere is written as zero.
  const Egesz negativeZero{5, Elojel::Negativ, Nulla};
  EXPECT_EQ(std::string(out, FormatEgesz(negativeZero, out)), "0");
}

}  // namespace
}  // namespace nagyszam
