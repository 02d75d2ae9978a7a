// Decimal text against GMP's own conversions: every value GMP reads, the
// library reads to the same cells and writes back as GMP does; every text
// outside the library's rules is refused with the output left alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

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
  // What neither reads, what only an Egesz reads, what both read.
  const std::vector<std::string> texts[] = {
      {"", "+", "-", " 1", "1 ", "1a", "--1", "+-1", "1.0", "0x1", "1-", std::string("1\0", 2),
       longest + "9", "+0" + longest},
      {"+1", "-1", "-" + longest},
      {longest}};
  for (int kind = 0; kind < 3; ++kind) {
    for (const std::string& text : texts[kind]) {
      const NemNegEgesz before = testing::Num("4242");
      NemNegEgesz x = before;
      ParseNemNegEgesz(text, x);
      EXPECT_EQ(TakeHiba(), kind < 2) << '"' << text << '"';
      EXPECT_TRUE(kind == 2 || x == before) << text;
      Egesz y{3, Elojel::Negativ, before};
      ParseEgesz(text, y);
      EXPECT_EQ(TakeHiba(), kind == 0) << '"' << text << '"';
      EXPECT_TRUE(kind > 0 || (y.Top == 3 && y.Sign == Elojel::Negativ && y.Magnitude == before));
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
