// Decimal text against GMP's own conversions: every value GMP reads, the
// library reads to the same cells and writes back as GMP does; every text
// outside the library's rules is refused with the output left alone.
#include <gtest/gtest.h>

#include <string>

#include "numbers/numbers.h"
#include "numbers/test_support.h"

namespace nagyszam {
namespace {

std::string GmpText(const char* text) {
  mpz_t v;
  EXPECT_EQ(mpz_init_set_str(v, text, 10), 0) << text;
  char out[300];
  mpz_get_str(out, 10, v);
  mpz_clear(v);
  return out;
}

NemNegEgesz GmpCells(const std::string& digits) {
  mpz_t v;
  mpz_init_set_str(v, digits.c_str(), 10);
  const NemNegEgesz x = testing::FromMpz(v);
  mpz_clear(v);
  return x;
}

TEST(Text, ReadsAndWritesWhatGmpDoes) {
  const std::uint64_t seed = testing::Seed();
  std::printf("seed %llu\n", static_cast<unsigned long long>(seed));
  testing::Operands source(seed);
  for (int i = 0; i < 2000; ++i) {
    // Up to 256 digits, leading zeros included, under every sign prefix.
    const int length = source.Uniform(1, 256);
    std::string digits(length, '0');
    for (char& c : digits) c = static_cast<char>('0' + source.Uniform(0, 9) * (i % 5 != 0));
    if (i % 3 == 0) digits.back() = '9';
    for (const std::string sign : {"", "+", "-"}) {
      const std::string text = sign + digits;
      Egesz parsed = EgeszNulla;
      parsed.Top = 77;
      ParseEgesz(text, parsed);
      ASSERT_FALSE(TakeHiba()) << text;
      const std::string expected = GmpText((sign == "+" ? digits : text).c_str());
      ASSERT_EQ(parsed.Magnitude, GmpCells(digits)) << text;
      EXPECT_EQ(parsed.Top, TopIndex(parsed.Magnitude)) << text;
      EXPECT_EQ(parsed.Sign, expected[0] == '-' ? Elojel::Negativ : Elojel::Pozitiv) << text;
      char out[MaxEgeszText];
      const std::size_t n = FormatEgesz(parsed, out);
      ASSERT_EQ(std::string(out, n), expected) << text;
      if (sign.empty()) {
        NemNegEgesz x;
        ParseNemNegEgesz(text, x);
        ASSERT_FALSE(TakeHiba());
        ASSERT_EQ(x, parsed.Magnitude) << text;
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
    const NemNegEgesz before = GmpCells("4242");
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
