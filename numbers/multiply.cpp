// Multiplication: an exact schoolbook product on limbs whenever it fits in
// 256 digits (the pass rules then never overflow, so it is their result
// too), the pass-by-pass path otherwise.
#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "numbers/limbs.h"
#include "numbers/multiply_passes.h"
#include "numbers/numbers.h"

namespace nagyszam {

using limbs::kBase;
using limbs::kCount;
using limbs::Limbs;

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

// Column sums of longer * shorter, where longer has at most kLong limbs and
// the product at most 32: fixed-length inner loops. Every column adds at
// most 16 products below 10^16. Columns are cleared here up to the last one
// a product reaches.
template <int kLong>
void Columns(const Limbs& longer, const Limbs& shorter, int ns,
             std::uint64_t (&column)[kCount + 16]) noexcept {
#if defined(__SSE2__)
  // Two rows per step, both adding to aligned pairs of columns: the odd row
  // reads the longer operand one limb later.
  __m128i even[kLong / 2 + 1];
  __m128i odd[kLong / 2 + 1];
  for (int m = 0; m <= kLong / 2; ++m) {
    const auto at = [&](int j) -> long long { return j >= 0 && j < kLong ? longer[j] : 0; };
    even[m] = _mm_set_epi64x(at(2 * m + 1), at(2 * m));
    odd[m] = _mm_set_epi64x(at(2 * m), at(2 * m - 1));
  }
  // The first two rows write their pairs, later rows add to them, and the
  // pairs no row reaches are cleared: Normalise reads at least 32 columns.
  auto* pairs = reinterpret_cast<__m128i*>(column);
  constexpr int kPairs = kLong / 2 + 8 > kCount / 2 ? kLong / 2 + 8 : kCount / 2;
  for (int m = kLong / 2 + 1; m < kPairs; ++m) pairs[m] = _mm_setzero_si128();
  for (int i = 0; i < ns; i += 2) {
    const __m128i se = _mm_set1_epi64x(shorter[i]);
    const __m128i so = _mm_set1_epi64x(i + 1 < ns ? shorter[i + 1] : 0);
    __m128i* c = pairs + i / 2;
    if (i == 0) {
      for (int m = 0; m <= kLong / 2; ++m) {
        c[m] = _mm_add_epi64(_mm_mul_epu32(se, even[m]), _mm_mul_epu32(so, odd[m]));
      }
      continue;
    }
    for (int m = 0; m <= kLong / 2; ++m) {
      const __m128i sum = _mm_add_epi64(_mm_mul_epu32(se, even[m]), _mm_mul_epu32(so, odd[m]));
      c[m] = _mm_add_epi64(c[m], sum);
    }
  }
#else
  for (auto& c : column) c = 0;
  std::uint32_t row[kLong];
  for (int j = 0; j < kLong; ++j) row[j] = longer[j];
  for (int i = 0; i < ns; ++i) {
    const std::uint32_t s = shorter[i];
    for (int j = 0; j < kLong; ++j) column[i + j] += std::uint64_t{s} * row[j];
  }
#endif
}

// product = the column sums in limbs; false when they need more than 32.
bool Normalise(const std::uint64_t (&column)[kCount + 16], Limbs& product) noexcept {
  // Each column is low + mid * B + top * B^2 with top below 16; the parts
  // split independently and only a carry of at most 2 runs along.
  std::uint32_t low[kCount], mid[kCount], top[kCount];
  for (int k = 0; k < kCount; ++k) {
    const std::uint64_t upper = column[k] / kBase;
    low[k] = static_cast<std::uint32_t>(column[k] - upper * kBase);
    mid[k] = static_cast<std::uint32_t>(upper % kBase);
    top[k] = static_cast<std::uint32_t>(upper / kBase);
  }
  std::uint32_t carry = 0;
  for (int k = 0; k < kCount; ++k) {
    std::uint32_t s = low[k] + carry;
    if (k >= 1) s += mid[k - 1];
    if (k >= 2) s += top[k - 2];
    carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
    product[k] = s - carry * kBase;
  }
  return carry == 0 && mid[kCount - 1] == 0 && top[kCount - 2] == 0 && top[kCount - 1] == 0;
}

}  // namespace

void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  Limbs la, lb;
  const int na = limbs::ToLimbs(a, la);
  const int nb = limbs::ToLimbs(b, lb);
  if (na == 0 || nb == 0) {
    p = Nulla;
    return;
  }
  // With na + nb - 1 > 32 the top limbs alone give at least 10^256.
  if (na + nb - 1 <= kCount) {
    // Here the shorter operand has at most 16 limbs, so a product's terms
    // all land in columns below 32.
    const bool a_longer = na >= nb;
    const Limbs& longer = a_longer ? la : lb;
    const Limbs& shorter = a_longer ? lb : la;
    const int nl = a_longer ? na : nb;
    const int ns = a_longer ? nb : na;
    alignas(16) std::uint64_t column[kCount + 16];
    if (nl <= 16) {
      Columns<16>(longer, shorter, ns, column);
    } else {
      Columns<kCount>(longer, shorter, ns, column);
    }
    Limbs product;
    if (Normalise(column, product)) {
      limbs::FromLimbs(product, std::min(na + nb, kCount), p);
      return;
    }
  }
  MultiplyByPasses(la, b, p);
}

}  // namespace nagyszam
