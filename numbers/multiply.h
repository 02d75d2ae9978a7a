// Multiplication on base 10^8 limbs, written once for both kernel sets: K
// supplies the scans and the conversions, and the loops here compile for K's
// instruction set. Internal to the library.
#pragma once

#include "numbers/limbs.h"

namespace nagyszam::limbs {

// product = the nc column sums carried into limbs; returns their count, or
// -1 when they need more than 32. Each column is low + mid * B + top * B^2
// with top at most 16: the parts split independently and only a carry of at
// most 2 runs along.
inline int Normalise(const std::uint64_t* column, int nc, std::uint32_t* product) noexcept {
  std::uint32_t carry = 0, mid1 = 0, top1 = 0, top2 = 0;  // mid and top of the columns below
  for (int k = 0; k < nc; ++k) {
    const std::uint64_t upper = column[k] / kBase;
    const auto low = static_cast<std::uint32_t>(column[k] - upper * kBase);
    const std::uint32_t s = low + mid1 + top2 + carry;
    carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
    product[k] = s - carry * kBase;
    top2 = top1;
    mid1 = static_cast<std::uint32_t>(upper % kBase);
    top1 = static_cast<std::uint32_t>(upper / kBase);
  }
  const std::uint32_t s = mid1 + top2 + carry;
  carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
  product[nc] = s - carry * kBase;
  // Limb nc + 1 (top1 + carry) is zero: the product is below B^(nc + 1).
  if (nc < kCount) return nc + 1;
  return product[kCount] == 0 ? kCount : -1;
}

template <class K>
int Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  const int na = (K::Length(a.data()) + 7) / 8;
  const int nb = (K::Length(b.data()) + 7) / 8;
  if (na == 0 || nb == 0) {
    p = Nulla;
    return 0;
  }
  // With na + nb - 1 > 32 the top limbs alone make at least 10^256. A
  // product that fits is what the pass rules build too: none of them fires.
  if (na + nb - 1 <= kCount) {
    // b's limbs with four zeros below and at least three above.
    alignas(16) std::uint32_t lb[4 + kRoom + 4];
    std::memset(lb, 0, 16);
    Limbs la, product;
    K::ToLimbs(a.data(), na, la.data());
    K::ToLimbs(b.data(), nb, lb + 4);
    std::memset(lb + 4 + (nb + 3) / 4 * 4, 0, 16);
    std::uint64_t column[kRoom];
    K::Columns(la.data(), na, lb + 4, nb, column);
    const int n = Normalise(column, na + nb - 1, product.data());
    if (n >= 0) {
      K::FromLimbs(product.data(), n, p.data(), kCount);
      return K::Length(p.data());
    }
  }
  MultiplyByPasses(a, b, p);
  return K::Length(p.data());
}

}  // namespace nagyszam::limbs
