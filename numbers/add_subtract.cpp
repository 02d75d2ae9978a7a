// Cell-by-cell addition and subtraction with a carry or borrow.
#include "numbers/numbers.h"

namespace nagyszam {

void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s) noexcept {
  std::uint8_t carry = 0;
  for (std::int16_t i = 0; i <= MaxIndex; ++i) {
    const std::uint8_t sum = static_cast<std::uint8_t>(a[i] + b[i] + carry);
    carry = sum >= 10 ? 1 : 0;
    s[i] = static_cast<std::uint8_t>(sum - 10 * carry);
  }
  // The sum needs a 257th digit; s keeps the low 256.
  if (carry != 0) Hiba = true;
}

void Subtract(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& d) noexcept {
  if (Greater(b, a)) {
    // No negative results here: d stays as it was.
    Hiba = true;
    return;
  }
  std::uint8_t borrow = 0;
  for (std::int16_t i = 0; i <= MaxIndex; ++i) {
    const std::int16_t diff = static_cast<std::int16_t>(a[i] - b[i] - borrow);
    borrow = diff < 0 ? 1 : 0;
    d[i] = static_cast<std::uint8_t>(diff + 10 * borrow);
  }
}

}  // namespace nagyszam
