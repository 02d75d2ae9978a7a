// The AVX2 set's kernels on cells, 64 cells to a 512-bit vector, for
// processors that have AVX-512 (run only there, picked at start-up): four
// vectors to a number, and a compare gives its 64 cells' verdicts as one
// mask register, so the carries of Add and Subtract (avx2_cells.cpp) run
// through 64-bit masks with no spreading back into bytes.
#include "numbers/avx512.h"

#if NAGYSZAM_AVX2

#include <algorithm>

namespace nagyszam::kernels::avx512 {

namespace {

NAGYSZAM_TARGET512 inline std::uint64_t NonZero(__m512i v) noexcept {
  return _mm512_test_epi8_mask(v, v);
}

// Groups up to the highest non-zero one of x | y.
NAGYSZAM_TARGET512 inline int UsedGroups(const std::uint8_t* x, const std::uint8_t* y) noexcept {
  const auto any = [x, y](int g) NAGYSZAM_TARGET512 {
    return NonZero(_mm512_or_si512(LoadG(x, g), LoadG(y, g))) != 0;
  };
  if (any(3)) return 4;
  if (any(2)) return 3;
  if (any(1)) return 2;
  return any(0) ? 1 : 0;
}

// The length of x, whose groups from n up are zero and whose group n - 1
// is top: usually that one holds the highest digit.
NAGYSZAM_TARGET512 inline int LengthFrom(const std::uint8_t* x, int n, __m512i top) noexcept {
  std::uint64_t used = n > 0 ? NonZero(top) : 0;
  while (used == 0 && n > 1) used = NonZero(LoadG(x, --n - 1));
  return used == 0 ? 0 : 64 * n - std::countl_zero(used);
}

// y = x with cells below k (below 256) set to fill and cell k moved by step
// (+1 or -1), the cells above copied.
NAGYSZAM_TARGET512 inline void Step(const std::uint8_t* x, std::uint8_t* y, int k, __m512i fill,
                                    __m512i step) noexcept {
  const int at = k / 64;
  FillBelow(y, at, fill);
  const std::uint64_t here = std::uint64_t{1} << k % 64;
  const __m512i group = LoadG(x, at);
  const __m512i moved = _mm512_mask_add_epi8(group, here, group, step);
  StoreG(y, at, _mm512_mask_mov_epi8(moved, here - 1, fill));
  CopyFrom(x, y, at + 1);
}

// The lowest cell of x that is not `skip`, or 256.
NAGYSZAM_TARGET512 inline int Lowest(const std::uint8_t* x, __m512i skip) noexcept {
  for (int g = 0; g < kGroups; ++g) {
    const std::uint64_t other = _mm512_cmpneq_epi8_mask(LoadG(x, g), skip);
    if (other != 0) return 64 * g + std::countr_zero(other);
  }
  return kCells;
}

// The length of the number whose four groups are g.
NAGYSZAM_TARGET512 inline int LengthOfGroups(const __m512i* g) noexcept {
  std::uint64_t used = 0;
  if (used = NonZero(g[3]); used != 0) return 256 - std::countl_zero(used);
  if (used = NonZero(g[2]); used != 0) return 192 - std::countl_zero(used);
  if (used = NonZero(g[1]); used != 0) return 128 - std::countl_zero(used);
  used = NonZero(g[0]);
  return used != 0 ? 64 - std::countl_zero(used) : 0;
}

// Step for k in the first group, from x's four groups g: loaded once for
// the length and the copy, where Step loads them again (the steps 21 to
// 28 % faster, the signed ones 22 to 31 %).
NAGYSZAM_TARGET512 inline void StepInFirst(const __m512i* g, std::uint8_t* y, int k, __m512i fill,
                                           __m512i step) noexcept {
  const std::uint64_t here = std::uint64_t{1} << k;
  const __m512i moved = _mm512_mask_add_epi8(g[0], here, g[0], step);
  StoreG(y, 0, _mm512_mask_mov_epi8(moved, here - 1, fill));
  StoreG(y, 1, g[1]);
  StoreG(y, 2, g[2]);
  StoreG(y, 3, g[3]);
}

}  // namespace

// Four loads a number where the AVX2 Equal takes eight: 18 % faster, 11 %
// signed (whose magnitudes' loads mostly span two cache lines).
NAGYSZAM_TARGET512 bool Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  __m512i differ = _mm512_xor_si512(LoadG(a, 0), LoadG(b, 0));
  for (int g = 1; g < kGroups; ++g) {
    differ = _mm512_ternarylogic_epi64(differ, LoadG(a, g), LoadG(b, g), 0xF6);  // d | (a ^ b)
  }
  return _mm512_test_epi64_mask(differ, differ) == 0;
}

NAGYSZAM_TARGET512 bool Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  // As the AVX2 Greater: the highest differing word, read as one integer,
  // and the top group first.
  std::uint32_t same = _mm512_cmpeq_epi64_mask(LoadG(a, kGroups - 1), LoadG(b, kGroups - 1));
  if (same != 0xFF) {
    const int w = 8 * (kGroups - 1) + 31 - std::countl_zero(~same & 0xFF);
    return Load(a, w) > Load(b, w);
  }
  same <<= 8 * (kGroups - 1);
  for (int g = 0; g < kGroups - 1; ++g) {
    same |= std::uint32_t{_mm512_cmpeq_epi64_mask(LoadG(a, g), LoadG(b, g))} << 8 * g;
  }
  if (same == ~std::uint32_t{0}) return false;
  const int w = 31 - std::countl_zero(~same);
  return Load(a, w) > Load(b, w);
}

NAGYSZAM_TARGET512 Outcome Add(const std::uint8_t* a, const std::uint8_t* b,
                               std::uint8_t* s) noexcept {
  const int n = UsedGroups(a, b);
  const __m512i one = _mm512_set1_epi8(1), eight = _mm512_set1_epi8(8);
  const __m512i nine = _mm512_set1_epi8(9), ten = _mm512_set1_epi8(10);
  unsigned char carry = 0;
  __m512i top = _mm512_setzero_si512();
  for (int g = 0; g < n; ++g) {
    const __m512i sum = _mm512_add_epi8(LoadG(a, g), LoadG(b, g));
    const std::uint64_t generate = _mm512_cmpgt_epi8_mask(sum, nine);
    const std::uint64_t reach = _mm512_cmpgt_epi8_mask(sum, eight);  // generates or passes
    unsigned long long carried = 0;
    carry = _addcarry_u64(carry, generate, reach, &carried);
    // 0..19 after the carry; min picks t - 10 where it does not wrap.
    const __m512i t = _mm512_mask_add_epi8(sum, carried ^ generate ^ reach, sum, one);
    top = _mm512_min_epu8(t, _mm512_sub_epi8(t, ten));
    StoreG(s, g, top);
  }
  if (n == kGroups) return {LengthFrom(s, n, top), carry != 0};
  // A carry out of the top group is the next one's lowest digit.
  StoreG(s, n, _mm512_maskz_mov_epi8(1, _mm512_set1_epi8(static_cast<char>(carry))));
  FillFrom(s, n + 1, _mm512_setzero_si512());
  return {carry != 0 ? 64 * n + 1 : LengthFrom(s, n, top), false};
}

NAGYSZAM_TARGET512 Outcome Subtract(const std::uint8_t* a, const std::uint8_t* b,
                                    std::uint8_t* d) noexcept {
  const int n = UsedGroups(a, b);
  // a < b writes nothing: the highest differing cell tells, usually in the
  // top used group.
  for (int g = n - 1; g >= 0; --g) {
    const std::uint64_t differ = _mm512_cmpneq_epi8_mask(LoadG(a, g), LoadG(b, g));
    if (differ == 0) continue;
    const int i = 64 * g + 63 - std::countl_zero(differ);
    if (a[i] < b[i]) return {0, true};
    break;
  }
  const __m512i one = _mm512_set1_epi8(1), ten = _mm512_set1_epi8(10);
  const __m512i zero = _mm512_setzero_si512();
  unsigned char borrow = 0;
  __m512i top = zero;
  for (int g = 0; g < n; ++g) {
    const __m512i diff = _mm512_sub_epi8(LoadG(a, g), LoadG(b, g));
    // A difference below zero generates a borrow, a zero one passes it on.
    const std::uint64_t generate = _mm512_movepi8_mask(diff);
    const std::uint64_t reach = _mm512_cmple_epi8_mask(diff, zero);
    unsigned long long borrowed = 0;
    borrow = _addcarry_u64(borrow, generate, reach, &borrowed);
    // -10..9 after the borrow; min picks t + 10 where t is negative.
    const __m512i t = _mm512_mask_sub_epi8(diff, borrowed ^ generate ^ reach, diff, one);
    top = _mm512_min_epu8(t, _mm512_add_epi8(t, ten));
    StoreG(d, g, top);
  }
  FillFrom(d, n, zero);
  return {LengthFrom(d, n, top), false};
}

NAGYSZAM_TARGET512 Outcome StepUp(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept {
  // The carry runs through the nines and stops at the first other cell.
  const __m512i g[kGroups] = {LoadG(x, 0), LoadG(x, 1), LoadG(x, 2), LoadG(x, 3)};
  if (const std::uint64_t other = _mm512_cmpneq_epi8_mask(g[0], _mm512_set1_epi8(9)); other != 0) {
    const int k = std::countr_zero(other);
    const int length = measure ? std::max(LengthOfGroups(g), k + 1) : 0;
    StepInFirst(g, y, k, _mm512_setzero_si512(), _mm512_set1_epi8(1));
    return {length, false};
  }
  const int k = Lowest(x, _mm512_set1_epi8(9));
  if (k == kCells) {
    FillFrom(y, 0, _mm512_setzero_si512());
    return {0, true};
  }
  const int length = measure ? std::max(LengthOfGroups(g), k + 1) : 0;
  Step(x, y, k, _mm512_setzero_si512(), _mm512_set1_epi8(1));
  return {length, false};
}

NAGYSZAM_TARGET512 Outcome StepDown(const std::uint8_t* x, std::uint8_t* y, bool measure) noexcept {
  // The borrow runs through the zeros and stops at the first other cell; the
  // result is shorter only when that is the top one and holds 1.
  const __m512i g[kGroups] = {LoadG(x, 0), LoadG(x, 1), LoadG(x, 2), LoadG(x, 3)};
  if (const std::uint64_t other = _mm512_test_epi8_mask(g[0], g[0]); other != 0) {
    const int k = std::countr_zero(other);
    const int n = measure ? LengthOfGroups(g) : 0;
    const int length = k == n - 1 && x[k] == 1 ? k : n;
    StepInFirst(g, y, k, _mm512_set1_epi8(9), _mm512_set1_epi8(-1));
    return {length, false};
  }
  const int k = Lowest(x, _mm512_setzero_si512());
  if (k == kCells) return {0, true};
  const int n = measure ? LengthOfGroups(g) : 0;
  const int length = k == n - 1 && x[k] == 1 ? k : n;
  Step(x, y, k, _mm512_set1_epi8(9), _mm512_set1_epi8(-1));
  return {length, false};
}

}  // namespace nagyszam::kernels::avx512

#endif
