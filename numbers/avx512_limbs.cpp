// The AVX-512 set's Multiply, and two of the AVX2 set's limb kernels that
// it hands over, the product and the one-step division's remainder: 64
// cells (eight limbs) to a 512-bit vector, half the instructions, for
// processors that have AVX-512 (run only there, picked at start-up). The
// same steps as the AVX2 ones (avx2_limbs.cpp), each on eight lanes. The
// other kernels gained nothing measurable this way.
#include "numbers/avx512.h"

#if NAGYSZAM_AVX2

#include <algorithm>
#include <utility>

#include "numbers/divide.h"
#include "numbers/limbs.h"

namespace nagyszam::kernels::avx512 {

namespace {

using limbs::kBase;

// Eight words of cells as eight limbs: pairs, quadruples, whole; bytes
// above 9 clamped, as the AVX2 conversion does.
NAGYSZAM_TARGET512 inline __m512i CellsToLimbs(__m512i cells) noexcept {
  const __m512i pairs = _mm512_maddubs_epi16(cells, _mm512_set1_epi16(10 << 8 | 1));
  const __m512i quads = _mm512_madd_epi16(pairs, _mm512_set1_epi32(100 << 16 | 1));
  const __m512i whole =
      _mm512_add_epi64(_mm512_and_si512(quads, _mm512_set1_epi64(0xFFFFFFFF)),
                       _mm512_mul_epu32(_mm512_srli_epi64(quads, 32), _mm512_set1_epi64(10000)));
  return _mm512_min_epu64(whole, _mm512_set1_epi64(kBase - 1));
}

// Eight limbs (each below 10^8) as their 64 cells, by the AVX2 conversion's
// splits: halves of four digits, pairs, digits.
NAGYSZAM_TARGET512 inline __m512i LimbsToCells(__m512i v) noexcept {
  const __m512i high4 =
      _mm512_srli_epi64(_mm512_mul_epu32(v, _mm512_set1_epi64(0xD1B71759u)), 45);  // 2^45 / 10^4
  const __m512i quads = _mm512_add_epi64(v, _mm512_mul_epu32(high4, _mm512_set1_epi64(-10000u)));
  const __m512i high2 = _mm512_srli_epi16(_mm512_mulhi_epu16(quads, _mm512_set1_epi32(5243)), 3);
  const __m512i pairs =
      _mm512_add_epi32(quads, _mm512_mullo_epi32(high2, _mm512_set1_epi32(65536 - 100)));
  const __m512i tens = _mm512_mulhi_epu16(pairs, _mm512_set1_epi16(6554));
  // The factor from the AVX2 set's table, which GCC cannot see into: from
  // a literal it turns the multiply into five shifts and subtractions,
  // which made short products and the one-step division 8% slower.
  const __m512i less_ten = _mm512_broadcast_i64x4(avx2::Read(avx2::kLimb.less_ten));
  return _mm512_add_epi16(pairs, _mm512_mullo_epi16(tens, less_ten));
}

// Lane 0 from the group below's lane 7, the others from the lane below.
NAGYSZAM_TARGET512 inline __m512i FromBelow(__m512i v, __m512i& last) noexcept {
  const __m512i moved = _mm512_alignr_epi64(v, last, 7);
  last = v;
  return moved;
}

// c / B for columns below 2^58, from c's top bits by a reciprocal
// multiply: at most two short there, at most one below 10^16.
NAGYSZAM_TARGET512 inline __m512i FirstSplit(__m512i c) noexcept {
  return _mm512_srli_epi64(
      _mm512_mul_epu32(_mm512_srli_epi64(c, 26), _mm512_set1_epi64(2882303761)), 32);
}

struct Carries {
  __m512i q, q2;
};

// The AVX2 CarryGroup on eight columns: limbs below 2B out, exact for
// columns below 2^58.
NAGYSZAM_TARGET512 inline __m512i CarryGroup(__m512i c, Carries& carries) noexcept {
  const __m512i base = _mm512_set1_epi64(kBase);
  const __m512i q = FirstSplit(c);
  const __m512i r = _mm512_sub_epi64(c, _mm512_mul_epu32(q, base));
  const __m512i s = _mm512_add_epi64(r, FromBelow(q, carries.q));
  const __m512i q2 = _mm512_srli_epi64(_mm512_mul_epu32(s, _mm512_set1_epi64(2882303762)), 58);
  const __m512i r2 = _mm512_sub_epi64(s, _mm512_mul_epu32(q2, base));
  return _mm512_add_epi64(r2, FromBelow(q2, carries.q2));
}

// The last carries, as in the AVX2 CarryLast: with the limbs that generate
// a carry (G) and those that generate or pass one (X) as bits, (G + X) ^ G
// ^ X marks those that receive one. A carry out of the top is dropped.
NAGYSZAM_TARGET512 inline void CarryLast(__m512i* limbs, int groups) noexcept {
  const __m512i base = _mm512_set1_epi64(kBase), largest = _mm512_set1_epi64(kBase - 1);
  std::uint32_t generate = 0, reach = 0;
  for (int g = 0; g < groups; ++g) {
    generate |= std::uint32_t{_mm512_cmpgt_epu64_mask(limbs[g], largest)} << 8 * g;
    reach |= std::uint32_t{_mm512_cmpgt_epu64_mask(limbs[g], _mm512_set1_epi64(kBase - 2))}
             << 8 * g;
  }
  const std::uint32_t receive = (generate + reach) ^ generate ^ reach;
  for (int g = 0; g < groups; ++g) {
    const __m512i limb = _mm512_mask_add_epi64(limbs[g], static_cast<__mmask8>(receive >> 8 * g),
                                               limbs[g], _mm512_set1_epi64(1));
    limbs[g] = _mm512_mask_sub_epi64(limb, _mm512_cmpgt_epu64_mask(limb, largest), limb, base);
  }
}

template <int kN, class F>
NAGYSZAM_TARGET512 inline void Unrolled(F f) noexcept {
  [&]<int... kI>(std::integer_sequence<int, kI...>) NAGYSZAM_TARGET512 {
    (f(std::integral_constant<int, kI>{}), ...);
  }
  (std::make_integer_sequence<int, kN>{});
}

// p = a * b for a of kA and b of kB groups of eight limbs, the product at
// most 32 limbs. window[h][s] = b[8h - s .. 8h - s + 7] is what a[8m + s]
// meets in column group h + m; each limb of a is broadcast from memory
// into its multiplies. Always inlined: Multiply takes the one-group
// product in its own frame (see there); the others come through ProductOf.
template <int kA, int kB>
NAGYSZAM_TARGET512 __attribute__((always_inline)) inline int ProductInline(
    const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* p) noexcept {
  constexpr int kColumns = std::min(kA + kB, kGroups);
  // Unaligned stores: Windows compilers do not always align the stack to
  // 64 bytes.
  std::uint64_t la[8 * kA];
  Unrolled<kA>([&](auto m) NAGYSZAM_TARGET512 {
    _mm512_storeu_si512(la + 8 * m, CellsToLimbs(LoadG(a, m)));
  });
  // The limbs are read back from memory: a broadcast from there is a plain
  // load, where GCC, seeing the stored vector, took each limb out of it by
  // two or three shuffles. On Intel's cores shuffles of 512-bit vectors have
  // one port, which the windows below also need: products of 64 to 256
  // digits 11 to 14 % faster there.
  asm("" : "+m"(la));
  __m512i window[kB + 1][8];
  __m512i below = _mm512_setzero_si512();
  Unrolled<kB + 1>([&](auto h) NAGYSZAM_TARGET512 {
    const __m512i group = h < kB ? CellsToLimbs(LoadG(b, h)) : _mm512_setzero_si512();
    window[h][0] = group;
    Unrolled<7>([&](auto s) NAGYSZAM_TARGET512 {
      window[h][s + 1] = _mm512_alignr_epi64(group, below, 7 - s);
    });
    below = group;
  });
  // A column adds at most 16 products below 10^16: under 2^58.
  __m512i column[kColumns];
  Unrolled<kColumns>([&](auto g) NAGYSZAM_TARGET512 { column[g] = _mm512_setzero_si512(); });
  Unrolled<kA>([&](auto m) NAGYSZAM_TARGET512 {
    Unrolled<8>([&](auto s) NAGYSZAM_TARGET512 {
      const __m512i factor = _mm512_set1_epi64(static_cast<long long>(la[8 * m + s]));
      Unrolled<kB + 1>([&](auto h) NAGYSZAM_TARGET512 {
        // window[kB][0] is zero.
        if constexpr (m + h < kColumns && (h < kB || s > 0)) {
          column[m + h] = _mm512_add_epi64(column[m + h], _mm512_mul_epu32(factor, window[h][s]));
        }
      });
    });
  });
  Carries carries{_mm512_setzero_si512(), _mm512_setzero_si512()};
  __mmask8 wide = 0;
  Unrolled<kColumns>([&](auto g) NAGYSZAM_TARGET512 {
    column[g] = CarryGroup(column[g], carries);
    wide |= _mm512_cmpgt_epu64_mask(column[g], _mm512_set1_epi64(kBase - 1));
  });
  if (wide != 0) CarryLast(column, kColumns);
  // The top limb is in one of the last two groups (see the AVX2 product).
  std::uint64_t used[2] = {0, 0};
  Unrolled<kColumns>([&](auto g) NAGYSZAM_TARGET512 {
    const __m512i cells = LimbsToCells(column[g]);
    StoreG(p, g, cells);
    if constexpr (g + 2 >= kColumns) {
      used[g + 2 - kColumns] = ~_mm512_cmpeq_epi8_mask(cells, _mm512_setzero_si512());
    }
  });
  Unrolled<kGroups - kColumns>(
      [&](auto g) NAGYSZAM_TARGET512 { StoreG(p, kColumns + g, _mm512_setzero_si512()); });
  if (used[1] != 0) return 64 * kColumns - std::countl_zero(used[1]);
  if (used[0] != 0) return 64 * kColumns - 64 - std::countl_zero(used[0]);
  return 0;
}

template <int kA, int kB>
NAGYSZAM_TARGET512 int ProductOf(const std::uint8_t* a, const std::uint8_t* b,
                                 std::uint8_t* p) noexcept {
  return ProductInline<kA, kB>(a, b, p);
}

}  // namespace

NAGYSZAM_TARGET512 int Product(const std::uint8_t* a, int ga, const std::uint8_t* b, int gb,
                               std::uint8_t* p) noexcept {
  // The product commutes: a is the shorter, its limbs broadcast, and b, the
  // longer, gives the windows. Each limb of a costs a multiply per column
  // group, each group of b seven shifts on the shuffle port, and the
  // multiplies' port also has the conversions and the carries: the other
  // way round, products of 128 by 64 up to 224 by 30 digits took 4 to 13 %
  // longer.
  if (ga > gb) std::swap(a, b), std::swap(ga, gb);
  const int ka = (ga + 1) / 2, kb = (gb + 1) / 2;
  switch (ka * 8 + kb) {
    case 9:
      return ProductOf<1, 1>(a, b, p);
    case 10:
      return ProductOf<1, 2>(a, b, p);
    case 18:
      return ProductOf<2, 2>(a, b, p);
    case 11:
      return ProductOf<1, 3>(a, b, p);
    case 19:
      return ProductOf<2, 3>(a, b, p);
    default:
      return ProductOf<1, 4>(a, b, p);
  }
}

namespace {

// The 32-cell vectors up to x's highest non-zero one.
NAGYSZAM_TARGET512 inline int UsedVectors(const std::uint8_t* x) noexcept {
  for (int g = kGroups - 1; g >= 0; --g) {
    const __m512i group = LoadG(x, g);
    if (const std::uint64_t used = _mm512_test_epi8_mask(group, group); used != 0) {
      return 2 * g + 1 + (used >> 32 != 0);
    }
  }
  return 0;
}

// Multiply past one group each: a product of at most 32 limbs goes straight
// to its kernel, the 32-cell vectors each number uses found here, where the
// AVX2 set's long way would measure both again (products of 128 digits 3 %
// faster). A call of its own, so that Multiply keeps no stack frame.
NAGYSZAM_TARGET512 __attribute__((noinline)) int LongerProduct(const NemNegEgesz& a,
                                                               const NemNegEgesz& b, NemNegEgesz& p,
                                                               std::uint8_t* top) noexcept {
  const std::uint8_t *x = a.data(), *y = b.data();
  if (const int ga = UsedVectors(x), gb = UsedVectors(y); ga > 0 && gb > 0 && ga + gb <= 8) {
    return WithTop(Product(x, ga, y, gb, p.data()), top);
  }
  return top != nullptr ? avx2::LongProduct(a, b, p, top) : avx2::LongProduct(a, b, p);
}

// p = a * b for a and b of at most 32 cells each, whose cells come in
// `both`, a's in the low half and b's in the high one (taken from the
// loads that found them short: two fewer, 3% faster signed). Given top,
// writes p's top cell there and returns p's length, otherwise 0.
NAGYSZAM_TARGET512 int ShortProduct(__m512i both, std::uint8_t* p, std::uint8_t* top) noexcept {
  // Four limbs each, a's in lanes 0..3 and b's in lanes 4..7, converted at
  // once, and all eight columns of the product in one more vector.
  const __m512i limbs = CellsToLimbs(both);
  // All sixteen products in two multiplies: a in both halves, times b0 in
  // the low half and b1 in the high one, then b2 and b3. Lane i of a low
  // half belongs to column i, of a high half to column i + 1; four moves
  // line them up. Each column adds at most four products below 10^16.
  // Two multiplies and seven moves, where a multiply per limb of a took
  // four and eight: the signed short product 5% faster.
  const __m512i a_twice = _mm512_shuffle_i64x2(limbs, limbs, 0x44);
  const auto times = [&](int low, int high) NAGYSZAM_TARGET512 {
    const __m512i from = _mm512_setr_epi64(low, low, low, low, high, high, high, high);
    return _mm512_mul_epu32(a_twice, _mm512_permutexvar_epi64(from, limbs));
  };
  const __m512i by01 = times(4, 5), by23 = times(6, 7);
  const auto lanes = [&](__mmask8 keep, __m512i from, __m512i x) NAGYSZAM_TARGET512 {
    return _mm512_maskz_permutexvar_epi64(keep, from, x);
  };
  __m512i column = _mm512_add_epi64(
      _mm512_add_epi64(_mm512_maskz_mov_epi64(0x0F, by01),
                       lanes(0x1E, _mm512_setr_epi64(0, 4, 5, 6, 7, 0, 0, 0), by01)),
      _mm512_add_epi64(lanes(0x3C, _mm512_setr_epi64(0, 0, 0, 1, 2, 3, 0, 0), by23),
                       lanes(0x78, _mm512_setr_epi64(0, 0, 0, 4, 5, 6, 7, 0), by23)));
  Carries carries{_mm512_setzero_si512(), _mm512_setzero_si512()};
  column = CarryGroup(column, carries);
  if (_mm512_cmpgt_epu64_mask(column, _mm512_set1_epi64(kBase - 1)) != 0) CarryLast(&column, 1);
  // Below 10^64: the carry out of lane 7 is zero.
  const __m512i cells = LimbsToCells(column);
  StoreG(p, 0, cells);
  FillFrom(p, 1, _mm512_setzero_si512());
  if (top == nullptr) return 0;
  // The top cell straight from the mask (one bit scan; used | 1 gives 0
  // for zero), where Top from the length waited for two more steps: 4%
  // faster signed.
  const std::uint64_t used = _mm512_test_epi8_mask(cells, cells);
  const int high = std::countl_zero(used | 1) ^ 63;
  *top = static_cast<std::uint8_t>(high);
  return high + (used != 0);
}

}  // namespace

NAGYSZAM_TARGET512 int Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
                                std::uint8_t* top) noexcept {
  const std::uint8_t *x = a.data(), *y = b.data();
  // Cells 32..63 first, alone: a longer number nearly always has a digit
  // there. Then cells 64..255 in one look, which decides the one-group
  // product and which the longer ones pay for too (see there).
  const __m512i first_a = LoadG(x, 0), first_b = LoadG(y, 0);
  const __m512i low = _mm512_or_si512(first_a, first_b);
  if (_mm512_test_epi64_mask(low, low) >> 4 == 0) {
    const __m512i above =
        _mm512_or_si512(_mm512_or_si512(LoadG(x, 1), LoadG(y, 1)),
                        _mm512_or_si512(_mm512_or_si512(LoadG(x, 2), LoadG(y, 2)),
                                        _mm512_or_si512(LoadG(x, 3), LoadG(y, 3))));
    if (_mm512_test_epi64_mask(above, above) == 0) {
      return ShortProduct(_mm512_inserti64x4(first_a, _mm512_castsi512_si256(first_b), 1), p.data(),
                          top);
    }
  } else if (const __m512i above =
                 _mm512_or_si512(_mm512_or_si512(LoadG(x, 1), LoadG(y, 1)),
                                 _mm512_or_si512(_mm512_or_si512(LoadG(x, 2), LoadG(y, 2)),
                                                 _mm512_or_si512(LoadG(x, 3), LoadG(y, 3))));
             _mm512_test_epi64_mask(above, above) == 0) {
    // Both below 10^64: one group each, the kernel the long way would pick
    // after measuring both (the same product), without the measuring and
    // the long way's large frame: 64x64 digits 9 to 12 % faster. Inlined,
    // it keeps the groups loaded above and skips a call that realigned the
    // stack: 3 % faster, 5 % signed. The three groups above the first in
    // one look rather than cells 64..127 first: the signed 64-digit product
    // 2 % faster, the longer ones 1 % slower.
    return WithTop(ProductInline<1, 1>(x, y, p.data()), top);
  }
  return LongerProduct(a, b, p, top);
}

namespace {

// The short division up to its results: reads and checks a and b as
// ShortDivMod describes, then divides. Returns 0, having written nothing,
// for the shapes it does not take; otherwise out and the return as
// DivideSmall leaves them.
NAGYSZAM_TARGET512 inline int ShortQuotient(const NemNegEgesz& a, const NemNegEgesz& b,
                                            std::uint64_t* out) noexcept {
  // Both first groups and the OR of the rest, all read before any test.
  // Each cell of a first group against the largest it may hold (9 in
  // cells 0..31 of a and 0..15 of b, 0 above them): the short shapes,
  // digits only, cost one compare each. A zero b is DivideSmall's to refuse.
  constexpr long long kNines = 0x0909090909090909;
  const __m512i low_a = LoadG(a.data(), 0), low_b = LoadG(b.data(), 0);
  const __m512i above =
      _mm512_or_si512(_mm512_or_si512(LoadG(a.data(), 1), LoadG(b.data(), 1)),
                      _mm512_or_si512(_mm512_or_si512(LoadG(a.data(), 2), LoadG(b.data(), 2)),
                                      _mm512_or_si512(LoadG(a.data(), 3), LoadG(b.data(), 3))));
  const __m512i largest_a = _mm512_setr_epi64(kNines, kNines, kNines, kNines, 0, 0, 0, 0);
  const __m512i largest_b = _mm512_setr_epi64(kNines, kNines, 0, 0, 0, 0, 0, 0);
  if ((_mm512_cmpgt_epu8_mask(low_a, largest_a) | _mm512_cmpgt_epu8_mask(low_b, largest_b)) != 0 ||
      _mm512_test_epi64_mask(above, above) != 0) {
    return 0;
  }
  // a's four limbs in lanes 0..3 and b's two in lanes 4 and 5, converted
  // at once; each even lane plus the one above times B gives a's two
  // pieces of 16 digits in lanes 0 and 2 and b in lane 4.
  const __m512i limbs = CellsToLimbs(_mm512_inserti64x4(low_a, _mm512_castsi512_si256(low_b), 1));
  const __m512i pieces = _mm512_add_epi64(
      limbs,
      _mm512_mul_epu32(_mm512_shuffle_epi32(limbs, _MM_PERM_BADC), _mm512_set1_epi64(kBase)));
  const auto lane = [](__m128i x) NAGYSZAM_TARGET512 {
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(x));
  };
  return limbs::DivideSmall(lane(_mm512_extracti32x4_epi32(pieces, 1)),
                            lane(_mm512_castsi512_si128(pieces)),
                            lane(_mm512_extracti32x4_epi32(pieces, 2)), out);
}

// ceil(2^52 / d): l times this, modulo 2^52, is the fraction l / d in 52
// bits, a little over.
constexpr long long FractionOf(std::uint64_t d) {
  return static_cast<long long>(((std::uint64_t{1} << 52) + d - 1) / d);
}

// A limb (below 10^8) as its eight cells, each from the limb alone, not
// from the cell above: lane k < 7 takes the fraction l / 10^(k+1) (52 bits,
// over by less than l 2^-52) times ten, whose integer part is cell k; lane
// 7 takes l / 10^7 straight. The error stays below a tenth of the smallest
// step between fractions, so each is exact below 10^8 (every limb was
// tried). Two multiplies deep, where the splits by 10^4, 10^2 and 10 are
// six.
NAGYSZAM_TARGET_IFMA inline __m128i CellsOfLimb(std::uint64_t l) noexcept {
  const __m512i fraction =
      _mm512_setr_epi64(FractionOf(10), FractionOf(100), FractionOf(1000), FractionOf(10000),
                        FractionOf(100000), FractionOf(1000000), FractionOf(10000000), 1);
  const __m512i times = _mm512_setr_epi64(10, 10, 10, 10, 10, 10, 10, FractionOf(10000000));
  const __m512i zero = _mm512_setzero_si512();
  const __m512i x = _mm512_set1_epi64(static_cast<long long>(l));
  return _mm512_cvtepi64_epi8(
      _mm512_madd52hi_epu64(zero, _mm512_madd52lo_epu64(zero, x, fraction), times));
}

// The short division's end: q's cells (at most 32, the rest of the vector
// zero) and then r's stored, so that when they are one object it holds r;
// the top cells only when kTops: made where they are not wanted, their
// masks cost the unsigned division 4%.
template <bool kTops>
NAGYSZAM_TARGET512 inline void StoreShort(__m512i q_cells, __m512i r_cells, NemNegEgesz& q,
                                          NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  const __m512i zero = _mm512_setzero_si512();
  StoreG(q.data(), 0, q_cells);
  FillFrom(q.data(), 1, zero);
  StoreG(r.data(), 0, r_cells);
  FillFrom(r.data(), 1, zero);
  if constexpr (kTops) {
    const auto used = [](__m512i x) NAGYSZAM_TARGET512 {
      return static_cast<std::uint32_t>(_mm512_test_epi8_mask(x, x));
    };
    WriteTops(tops, used(q_cells), used(r_cells));
  }
}

// The short division with LimbsToCells: q's limbs in the low half, r's in
// the high half.
template <bool kTops>
NAGYSZAM_TARGET512 int ShortByLimbs(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                    NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  std::uint64_t out[5];
  const int taken = ShortQuotient(a, b, out);
  if (taken == 0) return 0;
  const auto limb = [&](int i) { return static_cast<long long>(out[i]); };
  const __m512i cells =
      LimbsToCells(_mm512_setr_epi64(limb(0), limb(1), limb(2), 0, limb(3), limb(4), 0, 0));
  const __m512i zero = _mm512_setzero_si512();
  StoreShort<kTops>(_mm512_inserti64x4(zero, _mm512_castsi512_si256(cells), 0),
                    _mm512_inserti64x4(zero, _mm512_extracti64x4_epi64(cells, 1), 0), q, r, tops);
  return taken;
}

// The same by IFMA: each limb straight from its register to its cells,
// where LimbsToCells waited for the five to be gathered into one vector and
// then split them in six steps: DivMod 20/10 8 to 15% faster.
template <bool kTops>
NAGYSZAM_TARGET_IFMA int ShortByIfma(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                     NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  std::uint64_t out[5];
  const int taken = ShortQuotient(a, b, out);
  if (taken == 0) return 0;
  const __m128i low = _mm_unpacklo_epi64(CellsOfLimb(out[0]), CellsOfLimb(out[1]));
  const __m256i quotient =
      _mm256_inserti128_si256(_mm256_castsi128_si256(low), CellsOfLimb(out[2]), 1);
  const __m128i rest = _mm_unpacklo_epi64(CellsOfLimb(out[3]), CellsOfLimb(out[4]));
  StoreShort<kTops>(_mm512_zextsi256_si512(quotient), _mm512_zextsi128_si512(rest), q, r, tops);
  return taken;
}

}  // namespace

NAGYSZAM_TARGET512 int ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                   NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  return tops != nullptr ? ShortByLimbs<true>(a, b, q, r, tops)
                         : ShortByLimbs<false>(a, b, q, r, tops);
}

NAGYSZAM_TARGET_IFMA int ShortDivModIfma(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                         NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  return tops != nullptr ? ShortByIfma<true>(a, b, q, r, tops)
                         : ShortByIfma<false>(a, b, q, r, tops);
}

NAGYSZAM_TARGET512 int SubtractMultiple(const std::uint8_t* a, const std::uint8_t* b,
                                        std::uint64_t digit, int n, std::uint8_t* cells) noexcept {
  // Eight columns at a time, each limb converted where it is read and the
  // products going straight into the carry: nothing passes through memory,
  // and a and b are read before any cell is written. A column is at or
  // above -digit (B - 1); shifted up by that, and lane 0 by digit more,
  // which the carry of at most digit out of each column puts back, it is at
  // or above zero and below (digit + 1) B. One split by B leaves a limb
  // below B and that carry, and a limb plus the carry from below stays
  // under 2B - 1, which CarryLast takes. Lanes from n on, all in the last
  // group, are dropped: the columns there as zero, the limbs they receive
  // as the part past 10^(8n).
  const __m512i factor = _mm512_set1_epi64(static_cast<long long>(digit));
  const __m512i shifted = _mm512_set1_epi64(static_cast<long long>(digit * (kBase - 1)));
  const __m512i base = _mm512_set1_epi64(kBase), largest = _mm512_set1_epi64(kBase - 1);
  const int groups = (n + 7) / 8;
  const auto keep = static_cast<__mmask8>((1u << (n - 8 * (groups - 1))) - 1);
  __m512i limbs[kGroups];
  __m512i below = _mm512_setzero_si512();
  __mmask8 wide = 0;
  for (int g = 0; g < groups; ++g) {
    const __m512i column = _mm512_sub_epi64(CellsToLimbs(LoadG(a, g)),
                                            _mm512_mul_epu32(factor, CellsToLimbs(LoadG(b, g))));
    __m512i c = _mm512_add_epi64(column, shifted);
    if (g == 0) c = _mm512_mask_add_epi64(c, 1, c, factor);
    if (g == groups - 1) c = _mm512_maskz_mov_epi64(keep, c);
    // Below 10^16 the split is at most one short: put right.
    __m512i q = FirstSplit(c);
    __m512i r = _mm512_sub_epi64(c, _mm512_mul_epu32(q, base));
    const __mmask8 short_by_one = _mm512_cmpgt_epu64_mask(r, largest);
    q = _mm512_mask_add_epi64(q, short_by_one, q, _mm512_set1_epi64(1));
    r = _mm512_mask_sub_epi64(r, short_by_one, r, base);
    limbs[g] = _mm512_add_epi64(r, FromBelow(q, below));
    if (g == groups - 1) limbs[g] = _mm512_maskz_mov_epi64(keep, limbs[g]);
    wide |= _mm512_cmpgt_epu64_mask(limbs[g], largest);
  }
  if (wide != 0) {
    CarryLast(limbs, groups);
    limbs[groups - 1] = _mm512_maskz_mov_epi64(keep, limbs[groups - 1]);  // past 10^(8n) again
  }
  std::uint64_t used[kGroups] = {};
  for (int g = 0; g < groups; ++g) {
    const __m512i group = LimbsToCells(limbs[g]);
    StoreG(cells, g, group);
    used[g] = ~_mm512_cmpeq_epi8_mask(group, _mm512_setzero_si512());
  }
  FillFrom(cells, groups, _mm512_setzero_si512());
  for (int g = groups - 1; g >= 0; --g) {
    if (used[g] != 0) return 64 * g + 64 - std::countl_zero(used[g]);
  }
  return 0;
}

}  // namespace nagyszam::kernels::avx512

#endif
