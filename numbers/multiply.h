// Multiplication, written once for both kernel sets: K supplies the scans
// and the product of numbers whose product fits, and the code here compiles
// for K's instruction set. Internal to the library.
#pragma once

#include "numbers/limbs.h"

namespace nagyszam::limbs {

// p = a * b for a product of at most 33 limbs (na + nb - 1 <= 32 columns):
// carried apart first, written only if it fits. Returns p's length, or -1
// when p was not written.
int WideProduct(const NemNegEgesz& a, int na, const NemNegEgesz& b, int nb,
                NemNegEgesz& p) noexcept;

template <class K>
NAGYSZAM_INLINED int Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  const int ga = K::Groups(a.data()), gb = K::Groups(b.data());
  if (ga == 0 || gb == 0) {
    K::Clear(p.data());
    return 0;
  }
  // A product of at most 32 limbs: na + nb <= 32 used words.
  if (ga + gb <= 8) return K::Product(a.data(), ga, b.data(), gb, p.data());
  const int na = (K::Length(a.data()) + 7) / 8;
  const int nb = (K::Length(b.data()) + 7) / 8;
  if (na + nb <= kCount) return K::Product(a.data(), ga, b.data(), gb, p.data());
  // With more than 32 columns the top limbs alone make at least 10^256. A
  // product that fits is what the pass rules build too: none of them fires.
  if (na + nb == kCount + 1) {
    // 32 columns, below (ta + 1)(tb + 1) B^31 for the top limbs ta and tb
    // (as the kernels read them): when that is at most B^32, the product
    // has no limb 32 and the kernels' own product holds it.
    if ((LimbAt(a.data(), na - 1) + 1) * (LimbAt(b.data(), nb - 1) + 1) <= kBase) {
      return K::Product(a.data(), ga, b.data(), gb, p.data());
    }
    if (const int length = WideProduct(a, na, b, nb, p); length >= 0) return length;
  }
  MultiplyByPasses(a, b, p);
  return K::Length(p.data());
}

}  // namespace nagyszam::limbs
