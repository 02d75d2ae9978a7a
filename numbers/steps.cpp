// Digit scans, comparisons and the unit steps every other operation uses.
#include "numbers/numbers.h"

namespace nagyszam {

std::int16_t TopIndex(const NemNegEgesz& x) noexcept {
  std::int16_t i = MaxIndex;
  while (i > 0 && x[i] == 0) --i;
  return i;
}

std::int16_t PosMod(std::int16_t a, std::int16_t m) noexcept {
  // A zero modulus has no remainder; answer 0 rather than trap.
  if (m == 0) return 0;
  const std::int32_t dividend = a < 0 ? std::int32_t{a} + m : std::int32_t{a};
  return static_cast<std::int16_t>(dividend % m);
}

bool Equal(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  return a == b;
}

bool Greater(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  for (std::int16_t i = MaxIndex; i >= 0; --i) {
    if (a[i] != b[i]) return a[i] > b[i];
  }
  return false;
}

void Succ(const NemNegEgesz& x, NemNegEgesz& y) noexcept {
  std::int16_t i = 0;
  while (i <= MaxIndex && x[i] == 9) y[i++] = 0;
  if (i > MaxIndex) {
    // All nines wrap to zero: a lost digit, reported like Add's.
    Hiba = true;
    return;
  }
  y[i] = static_cast<std::uint8_t>(x[i] + 1);
  for (++i; i <= MaxIndex; ++i) y[i] = x[i];
}

void Pred(const NemNegEgesz& x, NemNegEgesz& y) noexcept {
  if (x == Nulla) {
    Hiba = true;
    return;
  }
  std::int16_t i = 0;
  while (x[i] == 0) y[i++] = 9;
  y[i] = static_cast<std::uint8_t>(x[i] - 1);
  for (++i; i <= MaxIndex; ++i) y[i] = x[i];
}

}  // namespace nagyszam
