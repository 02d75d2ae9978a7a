// Multiplication pass by pass, for the products that do not fit. Internal to
// the library.
#pragma once

#include "numbers/limbs.h"
#include "numbers/numbers.h"

namespace nagyszam {

// p = sum over the digits b_i of b of (a * b_i) shifted by i cells, where a
// partial product that loses its final carry, a shift that would pass cell
// 255 and a sum that needs a 257th digit each set Hiba and keep what they
// have: the carry is dropped, the partial product is added unshifted, the
// sum keeps its low 256 digits.
void MultiplyByPasses(const limbs::Limbs& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept;

}  // namespace nagyszam
