// Test-only: the digit-by-digit algorithms the library's results are defined
// by, written step by step and without shortcuts, to check the library's
// faster paths against. They raise their own flag instead of Hiba.
#pragma once

#include "numbers/numbers.h"

namespace nagyszam::reference {

std::int16_t TopIndex(const NemNegEgesz& x);
bool Equal(const NemNegEgesz& a, const NemNegEgesz& b);
bool Greater(const NemNegEgesz& a, const NemNegEgesz& b);
void Succ(const NemNegEgesz& x, NemNegEgesz& y, bool& hiba);
void Pred(const NemNegEgesz& x, NemNegEgesz& y, bool& hiba);
void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s, bool& hiba);
void Subtract(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& d, bool& hiba);
void ShiftDigits(NemNegEgesz& x, std::int16_t n, bool& hiba);
void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p, bool& hiba);
// Repeated subtraction: only for quotients small enough to count up.
void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r, bool& hiba);

}  // namespace nagyszam::reference
