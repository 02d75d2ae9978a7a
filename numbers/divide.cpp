// Long division, one quotient digit per dividend digit, top down.
#include "numbers/numbers.h"

namespace nagyszam {

namespace {

// The running remainder is below 10 * b, which can need a 257th digit.
using Wide = std::array<std::uint8_t, MaxIndex + 2>;

bool NotBelow(const Wide& r, const NemNegEgesz& b) noexcept {
  if (r[MaxIndex + 1] != 0) return true;
  for (std::int16_t i = MaxIndex; i >= 0; --i) {
    if (r[i] != b[i]) return r[i] > b[i];
  }
  return true;
}

void SubtractInPlace(Wide& r, const NemNegEgesz& b) noexcept {
  std::uint8_t borrow = 0;
  for (std::int16_t i = 0; i <= MaxIndex + 1; ++i) {
    const std::int16_t bi = i <= MaxIndex ? b[i] : 0;
    const std::int16_t diff = static_cast<std::int16_t>(r[i] - bi - borrow);
    borrow = diff < 0 ? 1 : 0;
    r[i] = static_cast<std::uint8_t>(diff + 10 * borrow);
  }
}

}  // namespace

void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r) noexcept {
  if (b == Nulla) {
    Hiba = true;
    q = Nulla;
    r = Nulla;
    return;
  }
  Wide rest{};
  q = Nulla;
  for (std::int16_t i = TopIndex(a); i >= 0; --i) {
    for (std::int16_t j = MaxIndex + 1; j > 0; --j) rest[j] = rest[j - 1];
    rest[0] = a[i];
    std::uint8_t digit = 0;
    while (NotBelow(rest, b)) {
      SubtractInPlace(rest, b);
      ++digit;
    }
    q[i] = digit;
  }
  for (std::int16_t i = 0; i <= MaxIndex; ++i) r[i] = rest[i];
}

}  // namespace nagyszam
