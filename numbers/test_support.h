// Test-only helpers: numbers from short notations, readable forms for
// failure messages, GMP conversions and an edge-biased operand source.
#pragma once

#include <gmp.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "numbers/numbers.h"

namespace nagyszam::testing {

// Space-separated pieces, most significant first: plain digits, "DxN" for
// the digit D N times, "eN" for N zeros. "19 e254" is 19 * 10^254, "9x256"
// the largest value.
NemNegEgesz Num(std::string_view notation);

// "+..." or "-..." followed by Num notation; Top is TopIndex unless given.
Egesz Signed(std::string_view notation, int top = -1);

// Decimal digits without leading zeros; a cell outside 0..9 shows as <n>.
std::string Text(const NemNegEgesz& x);
std::string Describe(const Egesz& x);

void ToMpz(const NemNegEgesz& x, mpz_t out);
void SignedToMpz(const Egesz& x, mpz_t out);
// v must lie in 0 .. 10^256 - 1.
NemNegEgesz FromMpz(const mpz_t v);

// Digits of v, 0 for v = 0.
int DigitCount(const mpz_t v);

// Random operands biased towards the values where carries, borrows and the
// 256-digit limit matter.
class Operands {
 public:
  explicit Operands(std::uint64_t seed) : engine_(seed) {}
  NemNegEgesz Next();
  NemNegEgesz WithDigits(int count);
  // A second operand related to the first: equal, a neighbour, a shift...
  NemNegEgesz Partner(const NemNegEgesz& a);
  Egesz NextSigned();
  int Uniform(int low, int high);

 private:
  std::mt19937_64 engine_;
};

// The seed of the randomised tests: NAGYSZAM_SEED if set, else a fixed one.
std::uint64_t Seed();

}  // namespace nagyszam::testing
