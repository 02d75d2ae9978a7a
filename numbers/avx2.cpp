// The AVX2 kernels: 32 cells to a vector, eight vectors to a number. Built
// for x86-64 with GCC or clang and run only when the CPU has AVX2 (cells.h).
//
// Add and Subtract find every carry at once: a cell whose digit sum is ten
// or more generates a carry, one whose sum is nine passes an incoming carry
// on. With the generating cells as the bits of G and the passing ones as P,
// the binary sum G + (G | P) carries from bit to bit exactly where the
// decimal carries run, so (G + (G | P)) ^ G ^ (G | P) marks every cell that
// receives one, and the sum's own carry out is the carry out of cell 255.
#include "numbers/cells.h"

#if NAGYSZAM_AVX2
#include <immintrin.h>

#include "numbers/limbs.h"

#define NAGYSZAM_TARGET __attribute__((target("avx2")))
// Multiply and DivMod inline the shared limb code, which then compiles for
// AVX2 too.
#define NAGYSZAM_TARGET_ALL __attribute__((target("avx2"), flatten))

namespace nagyszam::kernels {

namespace {

constexpr int kVectors = 8;

NAGYSZAM_TARGET inline __m256i LoadV(const std::uint8_t* x, int v) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + 32 * v));
}

NAGYSZAM_TARGET inline void StoreV(std::uint8_t* x, int v, __m256i value) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(x + 32 * v), value);
}

NAGYSZAM_TARGET inline std::uint32_t Bits(__m256i bytes) noexcept {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
}

// Bit k of m as byte k: 0xFF where set, 0 elsewhere.
NAGYSZAM_TARGET inline __m256i Spread(std::uint32_t m) noexcept {
  const __m256i pick = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2,
                                        2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
  const __m256i bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201));
  const __m256i bytes = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(m)), pick);
  return _mm256_cmpeq_epi8(_mm256_and_si256(bytes, bit), bit);
}

// The cells that receive a carry (or borrow), from the cells that generate
// and pass one; returns the carry out of cell 255.
NAGYSZAM_TARGET inline bool Carries(const std::uint32_t (&generate)[kVectors],
                                    const std::uint32_t (&pass)[kVectors],
                                    std::uint32_t (&receive)[kVectors]) noexcept {
  unsigned char carry = 0;
  for (int k = 0; k < kVectors / 2; ++k) {
    const unsigned long long g = generate[2 * k] | std::uint64_t{generate[2 * k + 1]} << 32;
    const unsigned long long x = g | pass[2 * k] | std::uint64_t{pass[2 * k + 1]} << 32;
    unsigned long long sum = 0;
    carry = _addcarry_u64(carry, g, x, &sum);
    const std::uint64_t in = sum ^ g ^ x;
    receive[2 * k] = static_cast<std::uint32_t>(in);
    receive[2 * k + 1] = static_cast<std::uint32_t>(in >> 32);
  }
  return carry != 0;
}

}  // namespace

template <>
NAGYSZAM_TARGET int Avx2::Length(const std::uint8_t* x) noexcept {
  const __m256i zero = _mm256_setzero_si256();
  for (int v = kVectors - 1; v >= 0; --v) {
    const std::uint32_t nonzero = ~Bits(_mm256_cmpeq_epi8(LoadV(x, v), zero));
    if (nonzero != 0) return 32 * v + 32 - std::countl_zero(nonzero);
  }
  return 0;
}

template <>
NAGYSZAM_TARGET bool Avx2::Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  __m256i differ = _mm256_setzero_si256();
  for (int v = 0; v < kVectors; ++v) {
    differ = _mm256_or_si256(differ, _mm256_xor_si256(LoadV(a, v), LoadV(b, v)));
  }
  return _mm256_testz_si256(differ, differ) != 0;
}

template <>
NAGYSZAM_TARGET bool Avx2::Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  for (int v = kVectors - 1; v >= 0; --v) {
    const std::uint32_t differ = ~Bits(_mm256_cmpeq_epi8(LoadV(a, v), LoadV(b, v)));
    if (differ != 0) {
      const int i = 32 * v + 31 - std::countl_zero(differ);
      return a[i] > b[i];
    }
  }
  return false;
}

template <>
NAGYSZAM_TARGET bool Avx2::Add(const std::uint8_t* a, const std::uint8_t* b,
                               std::uint8_t* s) noexcept {
  const __m256i nine = _mm256_set1_epi8(9);
  __m256i sum[kVectors];
  std::uint32_t generate[kVectors], pass[kVectors], receive[kVectors];
  for (int v = 0; v < kVectors; ++v) {
    sum[v] = _mm256_add_epi8(LoadV(a, v), LoadV(b, v));
    generate[v] = Bits(_mm256_cmpgt_epi8(sum[v], nine));
    pass[v] = Bits(_mm256_cmpeq_epi8(sum[v], nine));
  }
  const bool carry = Carries(generate, pass, receive);
  const __m256i ten = _mm256_set1_epi8(10);
  for (int v = 0; v < kVectors; ++v) {
    // 0..19 after the carry; min picks t - 10 where it does not wrap.
    const __m256i t = _mm256_sub_epi8(sum[v], Spread(receive[v]));
    StoreV(s, v, _mm256_min_epu8(t, _mm256_sub_epi8(t, ten)));
  }
  return carry;
}

template <>
NAGYSZAM_TARGET bool Avx2::Subtract(const std::uint8_t* a, const std::uint8_t* b,
                                    std::uint8_t* d) noexcept {
  const __m256i zero = _mm256_setzero_si256();
  __m256i diff[kVectors];
  std::uint32_t generate[kVectors], pass[kVectors], receive[kVectors];
  for (int v = 0; v < kVectors; ++v) {
    diff[v] = _mm256_sub_epi8(LoadV(a, v), LoadV(b, v));
    generate[v] = Bits(_mm256_cmpgt_epi8(zero, diff[v]));
    pass[v] = Bits(_mm256_cmpeq_epi8(diff[v], zero));
  }
  // A borrow out of cell 255 means a < b: nothing is written.
  if (Carries(generate, pass, receive)) return false;
  const __m256i ten = _mm256_set1_epi8(10);
  for (int v = 0; v < kVectors; ++v) {
    // -10..9 after the borrow; min picks t + 10 where t is negative.
    const __m256i t = _mm256_add_epi8(diff[v], Spread(receive[v]));
    StoreV(d, v, _mm256_min_epu8(t, _mm256_add_epi8(t, ten)));
  }
  return true;
}

namespace {

// y = x with cells below k set to fill and cell k moved by step (+1 or -1),
// the cells above copied.
NAGYSZAM_TARGET inline void Step(const std::uint8_t* x, std::uint8_t* y, int k, __m256i fill,
                                 __m256i step) noexcept {
  const __m256i index =
      _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                       22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
  for (int v = 0; v < kVectors; ++v) {
    // k relative to this vector, kept within -1..32 so that it fits a byte.
    const auto at = static_cast<char>(std::clamp(k - 32 * v, -1, 32));
    const __m256i below = _mm256_cmpgt_epi8(_mm256_set1_epi8(at), index);
    const __m256i here = _mm256_cmpeq_epi8(_mm256_set1_epi8(at), index);
    const __m256i moved = _mm256_add_epi8(LoadV(x, v), _mm256_and_si256(here, step));
    StoreV(y, v, _mm256_blendv_epi8(moved, fill, below));
  }
}

// The lowest cell of x that is not `skip`, or 256.
NAGYSZAM_TARGET inline int Lowest(const std::uint8_t* x, __m256i skip) noexcept {
  for (int v = 0; v < kVectors; ++v) {
    const std::uint32_t other = ~Bits(_mm256_cmpeq_epi8(LoadV(x, v), skip));
    if (other != 0) return 32 * v + std::countr_zero(other);
  }
  return 32 * kVectors;
}

}  // namespace

template <>
NAGYSZAM_TARGET bool Avx2::StepUp(const std::uint8_t* x, std::uint8_t* y) noexcept {
  // The carry runs through the nines and stops at the first other cell.
  const int k = Lowest(x, _mm256_set1_epi8(9));
  Step(x, y, k, _mm256_setzero_si256(), _mm256_set1_epi8(1));
  return k == 32 * kVectors;
}

template <>
NAGYSZAM_TARGET bool Avx2::StepDown(const std::uint8_t* x, std::uint8_t* y) noexcept {
  // The borrow runs through the zeros and stops at the first other cell.
  const int k = Lowest(x, _mm256_setzero_si256());
  if (k == 32 * kVectors) return false;
  Step(x, y, k, _mm256_set1_epi8(9), _mm256_set1_epi8(-1));
  return true;
}

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
NAGYSZAM_TARGET_ALL void Avx2::Multiply(const NemNegEgesz& a, const NemNegEgesz& b,
                                        NemNegEgesz& p) noexcept {
  limbs::Multiply<Avx2>(a, b, p);
}

template <>
NAGYSZAM_TARGET_ALL void Avx2::DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                      NemNegEgesz& r) noexcept {
  limbs::DivMod<Avx2>(a, b, q, r);
}

}  // namespace nagyszam::kernels

#endif
