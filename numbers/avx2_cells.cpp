// The AVX2 kernels on cells: 32 cells to a vector, eight vectors to a
// number, and only the vectors up to the operands' highest non-zero one are
// worked on; the rest of an output is cleared with whole-vector stores.
//
// Add and Subtract find every carry at once: a cell whose digit sum is ten
// or more generates a carry, one whose sum is nine passes an incoming carry
// on. With the generating cells as the bits of G and those that generate or
// pass as the bits of X, the binary sum G + X carries from bit to bit
// exactly where the decimal carries run, so (G + X) ^ G ^ X marks every cell
// that receives one. A vector's 32 cells make one mask, and the binary carry
// out of one mask goes into the next.
#include "numbers/avx2.h"

#if NAGYSZAM_AVX2

namespace nagyszam::kernels {

namespace {

using namespace avx2;

// Bit k of m as byte k of a vector: 0xFF where set.
NAGYSZAM_TARGET inline __m256i Spread(std::uint32_t m) noexcept {
  const __m256i pick = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2,
                                        2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
  const __m256i bit = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201));
  const __m256i bytes = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(m)), pick);
  return _mm256_cmpeq_epi8(_mm256_and_si256(bytes, bit), bit);
}

// The length of x, whose vectors from n up are zero and whose vector n - 1
// is top: usually that one holds the highest digit.
NAGYSZAM_TARGET inline int LengthFrom(const std::uint8_t* x, int n, __m256i top) noexcept {
  if (n > 0 && Any(top)) return LengthAt(top, n);
  int used = std::max(n - 1, 0);
  while (used > 0 && !Any(LoadV(x, used - 1))) --used;
  return LengthIn(x, used);
}

NAGYSZAM_TARGET inline int LengthOf(const std::uint8_t* x) noexcept {
  return LengthIn(x, UsedVectors<Scan::kOne>(x, x));
}

// a > b: the highest differing cell decides, and so does the highest
// differing word read as one integer (its high byte is its highest cell).
// The top vector alone decides when it differs, as numbers of the full
// width mostly do; below it every word's verdict at once, without a branch.
NAGYSZAM_TARGET inline bool GreaterThan(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  const __m256i top = _mm256_cmpeq_epi64(LoadV(a, kVectors - 1), LoadV(b, kVectors - 1));
  std::uint32_t same = static_cast<std::uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(top)));
  if (same != 0xF) {
    const int w = 4 * (kVectors - 1) + 31 - std::countl_zero(~same & 0xF);
    return Load(a, w) > Load(b, w);
  }
  same <<= 4 * (kVectors - 1);
  for (int v = 0; v < kVectors - 1; ++v) {
    const __m256i equal = _mm256_cmpeq_epi64(LoadV(a, v), LoadV(b, v));
    same |= static_cast<std::uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(equal))) << 4 * v;
  }
  if (same == ~std::uint32_t{0}) return false;
  const int w = 31 - std::countl_zero(~same);
  return Load(a, w) > Load(b, w);
}

NAGYSZAM_TARGET inline int UsedVectorsOf(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  return UsedVectors<Scan::kEither>(a, b);
}

}  // namespace

template <>
NAGYSZAM_TARGET int Avx2::Length(const std::uint8_t* x) noexcept {
  return LengthOf(x);
}

template <>
NAGYSZAM_TARGET int Avx2::Groups(const std::uint8_t* x) noexcept {
  return UsedVectors<Scan::kOne>(x, x);
}

template <>
NAGYSZAM_TARGET bool Avx2::Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  __m256i differ = _mm256_setzero_si256();
  for (int v = 0; v < kVectors; ++v) {
    differ = _mm256_or_si256(differ, _mm256_xor_si256(LoadV(a, v), LoadV(b, v)));
  }
  return !Any(differ);
}

template <>
NAGYSZAM_TARGET bool Avx2::Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  return GreaterThan(a, b);
}

template <>
NAGYSZAM_TARGET Outcome Avx2::Add(const std::uint8_t* a, const std::uint8_t* b,
                                  std::uint8_t* s) noexcept {
  const int n = UsedVectorsOf(a, b);
  const __m256i eight = _mm256_set1_epi8(8), nine = _mm256_set1_epi8(9);
  const __m256i ten = _mm256_set1_epi8(10), zero = _mm256_setzero_si256();
  unsigned char carry = 0;
  __m256i top = zero;
  for (int v = 0; v < n; ++v) {
    const __m256i sum = _mm256_add_epi8(LoadV(a, v), LoadV(b, v));
    const std::uint32_t generate = Bits(_mm256_cmpgt_epi8(sum, nine));
    const std::uint32_t reach = Bits(_mm256_cmpgt_epi8(sum, eight));  // generates or passes
    unsigned int carried = 0;
    carry = _addcarry_u32(carry, generate, reach, &carried);
    // 0..19 after the carry; min picks t - 10 where it does not wrap.
    const __m256i t = _mm256_sub_epi8(sum, Spread(carried ^ generate ^ reach));
    top = _mm256_min_epu8(t, _mm256_sub_epi8(t, ten));
    StoreV(s, v, top);
  }
  if (n == kVectors) return {LengthFrom(s, n, top), carry != 0};
  // A carry out of the top vector is the next one's lowest digit.
  StoreV(s, n, _mm256_setr_epi32(carry, 0, 0, 0, 0, 0, 0, 0));
  FillFrom(s, n + 1, zero);
  return {carry != 0 ? 32 * n + 1 : LengthFrom(s, n, top), false};
}

template <>
NAGYSZAM_TARGET Outcome Avx2::Subtract(const std::uint8_t* a, const std::uint8_t* b,
                                       std::uint8_t* d) noexcept {
  const int n = UsedVectorsOf(a, b);
  // a < b writes nothing: the highest differing cell tells, usually in the
  // top used vector, where a pass of borrows would take the whole length.
  for (int v = n - 1; v >= 0; --v) {
    const std::uint32_t differ = ~Bits(_mm256_cmpeq_epi8(LoadV(a, v), LoadV(b, v)));
    if (differ == 0) continue;
    const int i = 32 * v + 31 - std::countl_zero(differ);
    if (a[i] < b[i]) return {0, true};
    break;
  }
  const __m256i ten = _mm256_set1_epi8(10), zero = _mm256_setzero_si256();
  unsigned char borrow = 0;
  __m256i top = zero;
  for (int v = 0; v < n; ++v) {
    const __m256i diff = _mm256_sub_epi8(LoadV(a, v), LoadV(b, v));
    // A difference below zero generates a borrow, a zero one passes it on.
    const std::uint32_t generate = Bits(diff);
    const std::uint32_t reach = ~Bits(_mm256_cmpgt_epi8(diff, zero));
    unsigned int borrowed = 0;
    borrow = _addcarry_u32(borrow, generate, reach, &borrowed);
    // -10..9 after the borrow; min picks t + 10 where t is negative.
    const __m256i t = _mm256_add_epi8(diff, Spread(borrowed ^ generate ^ reach));
    top = _mm256_min_epu8(t, _mm256_add_epi8(t, ten));
    StoreV(d, v, top);
  }
  FillFrom(d, n, zero);
  return {LengthFrom(d, n, top), false};
}

namespace {

// y = x with cells below k (below 256) set to fill and cell k moved by step
// (+1 or -1), the cells above copied.
NAGYSZAM_TARGET inline void Step(const std::uint8_t* x, std::uint8_t* y, int k, __m256i fill,
                                 __m256i step) noexcept {
  const __m256i index =
      _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                       22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
  const int at = k / 32;
  FillBelow(y, at, fill);
  const __m256i cell = _mm256_set1_epi8(static_cast<char>(k % 32));
  const __m256i below = _mm256_cmpgt_epi8(cell, index);
  const __m256i here = _mm256_cmpeq_epi8(cell, index);
  const __m256i moved = _mm256_add_epi8(LoadV(x, at), _mm256_and_si256(here, step));
  StoreV(y, at, _mm256_blendv_epi8(moved, fill, below));
  for (int v = at + 1; v < kVectors; ++v) StoreV(y, v, LoadV(x, v));
}

// The lowest cell of x that is not `skip`, or 256.
NAGYSZAM_TARGET inline int Lowest(const std::uint8_t* x, __m256i skip) noexcept {
  for (int v = 0; v < kVectors; ++v) {
    const std::uint32_t other = ~Bits(_mm256_cmpeq_epi8(LoadV(x, v), skip));
    if (other != 0) return 32 * v + std::countr_zero(other);
  }
  return kCells;
}

}  // namespace

template <>
NAGYSZAM_TARGET Outcome Avx2::StepUp(const std::uint8_t* x, std::uint8_t* y,
                                     bool measure) noexcept {
  // The carry runs through the nines and stops at the first other cell.
  const int k = Lowest(x, _mm256_set1_epi8(9));
  if (k == kCells) {
    FillFrom(y, 0, _mm256_setzero_si256());
    return {0, true};
  }
  const int length = measure ? std::max(LengthOf(x), k + 1) : 0;
  Step(x, y, k, _mm256_setzero_si256(), _mm256_set1_epi8(1));
  return {length, false};
}

template <>
NAGYSZAM_TARGET Outcome Avx2::StepDown(const std::uint8_t* x, std::uint8_t* y,
                                       bool measure) noexcept {
  // The borrow runs through the zeros and stops at the first other cell; the
  // result is shorter only when that is the top one and holds 1.
  const int k = Lowest(x, _mm256_setzero_si256());
  if (k == kCells) return {0, true};
  const int n = measure ? LengthOf(x) : 0;
  const int length = k == n - 1 && x[k] == 1 ? k : n;
  Step(x, y, k, _mm256_set1_epi8(9), _mm256_set1_epi8(-1));
  return {length, false};
}

}  // namespace nagyszam::kernels

#endif
