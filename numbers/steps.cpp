// Digit scans, comparisons and the unit steps every other operation uses,
// a word of eight cells at a time.
#include <bit>

#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam {

using cells::kWords;
using cells::Load;
using cells::Store;

std::int16_t TopIndex(const NemNegEgesz& x) noexcept {
  for (int w = kWords - 1; w >= 0; --w) {
    const std::uint64_t v = Load(x, w);
    if (v != 0) return static_cast<std::int16_t>(8 * w + (63 - std::countl_zero(v)) / 8);
  }
  return 0;
}

std::int16_t PosMod(std::int16_t a, std::int16_t m) noexcept {
  // A zero modulus has no remainder; answer 0 rather than trap.
  if (m == 0) return 0;
  const std::int32_t dividend = a < 0 ? std::int32_t{a} + m : std::int32_t{a};
  return static_cast<std::int16_t>(dividend % m);
}

bool Equal(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  std::uint64_t differ = 0;
  for (int w = 0; w < kWords; ++w) differ |= Load(a, w) ^ Load(b, w);
  return differ == 0;
}

bool Greater(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  for (int w = kWords - 1; w >= 0; --w) {
    const std::uint64_t va = Load(a, w);
    const std::uint64_t vb = Load(b, w);
    if (va != vb) return va > vb;
  }
  return false;
}

void Succ(const NemNegEgesz& x, NemNegEgesz& y) noexcept {
  std::uint64_t carry = 1;
  int w = 0;
  for (; w < kWords && carry != 0; ++w) {
    const cells::WordResult s = cells::AddWord(Load(x, w), 0, carry);
    Store(y, w, s.value);
    carry = s.carry;
  }
  for (; w < kWords; ++w) Store(y, w, Load(x, w));
  // All nines wrap to zero: a lost digit, reported like Add's.
  if (carry != 0) Hiba = true;
}

void Pred(const NemNegEgesz& x, NemNegEgesz& y) noexcept {
  if (cells::IsZero(x)) {
    Hiba = true;
    return;
  }
  std::uint64_t borrow = 1;
  int w = 0;
  for (; w < kWords && borrow != 0; ++w) {
    const cells::WordResult d = cells::SubtractWord(Load(x, w), 0, borrow);
    Store(y, w, d.value);
    borrow = d.carry;
  }
  for (; w < kWords; ++w) Store(y, w, Load(x, w));
}

}  // namespace nagyszam
