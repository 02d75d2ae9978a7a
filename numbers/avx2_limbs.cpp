// The AVX2 kernels on limbs: conversions between cells and base 10^8 limbs
// four words at a time, product columns summed in registers, and Multiply
// and DivMod compiled for AVX2.
#include "numbers/avx2.h"

#if NAGYSZAM_AVX2

#include "numbers/divide.h"
#include "numbers/multiply.h"

namespace nagyszam::kernels {

template <>
NAGYSZAM_TARGET void Avx2::ToLimbs(const std::uint8_t* cells, int n, std::uint32_t* out) noexcept {
  // Four words at a time, as WordToLimb does one: pairs, quadruples, whole.
  const __m256i one_ten = _mm256_set1_epi16(10 << 8 | 1);
  const __m256i one_hundred = _mm256_set1_epi32(100 << 16 | 1);
  const __m256i low_halves = _mm256_set1_epi64x(0xFFFFFFFF);
  const __m256i ten_thousand = _mm256_set1_epi32(10000);
  const __m256i gather = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m128i largest = _mm_set1_epi32(static_cast<int>(limbs::kBase - 1));
  for (int i = 0; i < n; i += 4) {
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cells + 8 * i));
    const __m256i pairs = _mm256_maddubs_epi16(w, one_ten);
    const __m256i quads = _mm256_madd_epi16(pairs, one_hundred);
    const __m256i whole =
        _mm256_add_epi64(_mm256_and_si256(quads, low_halves),
                         _mm256_mul_epu32(_mm256_srli_epi64(quads, 32), ten_thousand));
    const __m128i four = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(whole, gather));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_min_epu32(four, largest));
  }
}

template <>
NAGYSZAM_TARGET void Avx2::FromLimbs(const std::uint32_t* limbs, int n, std::uint8_t* cells,
                                     int m) noexcept {
  // Four limbs at a time: halves of four digits, then pairs, then digits,
  // each split by a multiply with a rounded-up reciprocal, exact below 10^8.
  const __m256i by_ten_thousand = _mm256_set1_epi32(static_cast<int>(0xD1B71759u));  // 2^45/10^4
  const __m256i ten_thousand = _mm256_set1_epi32(10000);
  const __m256i by_hundred = _mm256_set1_epi32(5243);  // 2^19 / 100
  const __m256i hundred = _mm256_set1_epi16(100);
  const __m256i by_ten = _mm256_set1_epi16(103);  // 2^10 / 10
  const __m256i ten = _mm256_set1_epi16(10);
  // Whole vectors of zeros above n: a loop of scalar stores would become a
  // slow-starting memset.
  for (int i = 0; i < m; i += 4) {
    __m256i digits = _mm256_setzero_si256();
    if (i < n) {
      // The last group reads only limbs below n; the others come in as zero.
      const __m128i take = _mm_cmpgt_epi32(_mm_set1_epi32(n - i), _mm_setr_epi32(0, 1, 2, 3));
      const __m256i v =
          _mm256_cvtepu32_epi64(_mm_maskload_epi32(reinterpret_cast<const int*>(limbs + i), take));
      const __m256i high4 = _mm256_srli_epi64(_mm256_mul_epu32(v, by_ten_thousand), 45);
      const __m256i low4 = _mm256_sub_epi64(v, _mm256_mul_epu32(high4, ten_thousand));
      const __m256i quads = _mm256_or_si256(low4, _mm256_slli_epi64(high4, 32));
      const __m256i high2 = _mm256_srli_epi16(_mm256_mulhi_epu16(quads, by_hundred), 3);
      const __m256i low2 = _mm256_sub_epi16(quads, _mm256_mullo_epi16(high2, hundred));
      const __m256i pairs = _mm256_or_si256(low2, _mm256_slli_epi32(high2, 16));
      const __m256i tens = _mm256_srli_epi16(_mm256_mullo_epi16(pairs, by_ten), 10);
      const __m256i units = _mm256_sub_epi16(pairs, _mm256_mullo_epi16(tens, ten));
      digits = _mm256_or_si256(units, _mm256_slli_epi16(tens, 8));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cells + 8 * i), digits);
  }
}

template <>
NAGYSZAM_TARGET void Avx2::Columns(const std::uint32_t* a, int na, const std::uint32_t* b, int nb,
                                   std::uint64_t* column) noexcept {
  // Four columns at a time, summed in a register: column k + t takes
  // a[i] * b[k + t - i], and the b limbs outside 0..nb-1 read as zero. With
  // na + nb <= 33 a column adds at most 16 products below 10^16.
  for (int k = 0; k < na + nb - 1; k += 4) {
    __m256i sum = _mm256_setzero_si256();
    for (int i = std::max(0, k - nb + 1), last = std::min(na - 1, k + 3); i <= last; ++i) {
      const __m256i terms =
          _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k - i)));
      sum = _mm256_add_epi64(sum, _mm256_mul_epu32(_mm256_set1_epi64x(a[i]), terms));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(column + k), sum);
  }
}

template <>
NAGYSZAM_TARGET_ALL int Avx2::Multiply(const NemNegEgesz& a, const NemNegEgesz& b,
                                       NemNegEgesz& p) noexcept {
  return limbs::Multiply<Avx2>(a, b, p);
}

template <>
NAGYSZAM_TARGET_ALL Lengths Avx2::DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                         NemNegEgesz& r) noexcept {
  return limbs::DivMod<Avx2>(a, b, q, r);
}

}  // namespace nagyszam::kernels

#endif
