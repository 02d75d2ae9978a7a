// The dialogue with operands of 256 digits, the largest quotients included,
// must finish in a blink: under 200 ms of the child's CPU time. The quotient
// and remainder rows are checked against GMP.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "driver/expected_rows.h"
#include "driver/program_run.h"

namespace nagyszam::testing {
namespace {

constexpr double CpuLimitSeconds = 0.2;

// n digits counting 1, 2, ..., 9, 0, 1, ...
std::string Digits(int n) {
  std::string digits;
  for (int i = 1; i <= n; ++i) digits += static_cast<char>('0' + i % 10);
  return digits;
}

std::string ToDecimal(const mpz_t x) {
  std::string text(mpz_sizeinbase(x, 10) + 2, '\0');
  mpz_get_str(text.data(), 10, x);
  text.resize(std::strlen(text.c_str()));
  return text;
}

// Quotient and remainder of two positive decimal numbers.
std::pair<std::string, std::string> DivideByGmp(const std::string& a, const std::string& b) {
  mpz_t x, y, q, r;
  mpz_inits(x, y, q, r, nullptr);
  mpz_set_str(x, a.c_str(), 10);
  mpz_set_str(y, b.c_str(), 10);
  mpz_tdiv_qr(q, r, x, y);
  std::pair<std::string, std::string> result{ToDecimal(q), ToDecimal(r)};
  mpz_clears(x, y, q, r, nullptr);
  return result;
}

// True when the row, as the window breaks it, stands in the transcript.
bool Shows(const std::string& transcript, const std::string& row) {
  return ("\n" + transcript).find("\n" + Transcript({row}, 80)) != std::string::npos;
}

struct Operands {
  const char* Name;
  std::string A, B;              // the non-negative section
  std::string SignedA, SignedB;  // the signed entries, both positive
};

void PrintTo(const Operands& o, std::ostream* out) {
  *out << o.Name;
}

const std::vector<Operands> Cases = {
    {"ByOneDigitThenBy255Digits", "9" + Digits(255), "7", "8" + Digits(255), "3" + Digits(254)},
    {"By255DigitsThenByOneDigit", "9" + Digits(255), "1" + Digits(254), "7" + Digits(255), "3"},
};

class LargestOperands : public ::testing::TestWithParam<Operands> {};

TEST_P(LargestOperands, FinishUnder200MsWithExactDivisions) {
  const Operands& o = GetParam();
  const std::string keys = o.A + "\n" + o.B + "\n \n+" + o.SignedA + "\n+" + o.SignedB + "\n ";
  const ScriptedRun run = RunScripted(keys, 80, 25);
  ASSERT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_LT(run.CpuSeconds, CpuLimitSeconds);
  // make bench prints this line as the dialogue's real cost.
  std::printf("dialogue with 256-digit operands (%s): %.1f ms CPU\n", o.Name,
              run.CpuSeconds * 1000);

  const auto [q, r] = DivideByGmp(o.A, o.B);
  EXPECT_TRUE(Shows(run.Transcript, o.A + " Div " + o.B + " = " + q));
  EXPECT_TRUE(Shows(run.Transcript, o.A + " Mod " + o.B + " = " + r));
  const auto [signedQ, signedR] = DivideByGmp(o.SignedA, o.SignedB);
  const std::string a = "+" + o.SignedA, b = "+" + o.SignedB;
  EXPECT_TRUE(Shows(run.Transcript, a + " Div " + b + " = +" + signedQ));
  EXPECT_TRUE(Shows(run.Transcript, a + " Mod " + b + " = +" + signedR));
}

INSTANTIATE_TEST_SUITE_P(Runs, LargestOperands, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace nagyszam::testing
