// Addition and subtraction with a carry or borrow, eight cells per step.
#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam {

using cells::kWords;
using cells::Load;
using cells::Store;

void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s) noexcept {
  std::uint64_t carry = 0;
  for (int w = 0; w < kWords; ++w) {
    const cells::WordResult sum = cells::AddWord(Load(a, w), Load(b, w), carry);
    Store(s, w, sum.value);
    carry = sum.carry;
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
  std::uint64_t borrow = 0;
  for (int w = 0; w < kWords; ++w) {
    const cells::WordResult diff = cells::SubtractWord(Load(a, w), Load(b, w), borrow);
    Store(d, w, diff.value);
    borrow = diff.carry;
  }
}

}  // namespace nagyszam
