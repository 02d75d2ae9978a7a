// Long multiplication: one shifted partial product per digit of b.
#include "numbers/numbers.h"

namespace nagyszam {

void ShiftDigits(NemNegEgesz& x, std::int16_t n) noexcept {
  const std::int16_t k = TopIndex(x);
  // A negative count would write below cell 0; refuse it like an overflow.
  if (n < 0 || k + n > MaxIndex) {
    Hiba = true;
    return;
  }
  for (std::int16_t i = k; i >= 0; --i) x[i + n] = x[i];
  for (std::int16_t i = 0; i < n; ++i) x[i] = 0;
}

namespace {

// P = a * digit. A 256-digit a can carry past cell 255: that digit is lost,
// so the product is wrong and says so through Hiba.
void MultiplyByDigit(const NemNegEgesz& a, std::int16_t ta, std::uint8_t digit,
                     NemNegEgesz& partial) noexcept {
  partial = Nulla;
  std::uint8_t carry = 0;
  for (std::int16_t j = 0; j <= ta; ++j) {
    const std::uint8_t v = static_cast<std::uint8_t>(a[j] * digit + carry);
    partial[j] = v % 10;
    carry = v / 10;
  }
  if (ta < MaxIndex) {
    partial[ta + 1] = carry;
  } else if (carry != 0) {
    Hiba = true;
  }
}

}  // namespace

void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  p = Nulla;
  const std::int16_t ta = TopIndex(a);
  const std::int16_t tb = TopIndex(b);
  for (std::int16_t i = 0; i <= tb; ++i) {
    NemNegEgesz partial;
    MultiplyByDigit(a, ta, b[i], partial);
    // A refused shift still adds the unshifted partial product.
    ShiftDigits(partial, i);
    NemNegEgesz sum;
    Add(p, partial, sum);
    p = sum;
  }
}

}  // namespace nagyszam
