// The AVX2 kernels on limbs: conversions between cells and base 10^8 limbs
// four words at a time, product columns summed in registers and carried
// four at a time, and Multiply and DivMod compiled for AVX2. A limb sits in
// a 64-bit lane, where _mm256_mul_epu32 multiplies its low half.
#include "numbers/avx2.h"
#include "numbers/avx512.h"

#if NAGYSZAM_AVX2

#include <utility>

#include "numbers/divide.h"
#include "numbers/multiply.h"

namespace nagyszam::kernels {

namespace {

using namespace avx2;
using limbs::kBase;

NAGYSZAM_TARGET inline __m256i LoadSlots(const std::uint64_t* x) noexcept {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x));
}

NAGYSZAM_TARGET inline void StoreSlots(std::uint64_t* x, __m256i v) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(x), v);
}

// Four limbs (each below 10^8) as their 32 cells: halves of four digits,
// then pairs, then digits, each split by a multiply with a rounded-up
// reciprocal, exact below 10^8. Each split x = h * 10^k + l puts h in the
// upper half of the lane as x + h * (2^bits - 10^k).
NAGYSZAM_TARGET inline __m256i LimbsToCells(__m256i v) noexcept {
  const __m256i high4 = _mm256_srli_epi64(_mm256_mul_epu32(v, Read(kLimb.by_ten_thousand)), 45);
  const __m256i quads = _mm256_add_epi64(v, _mm256_mul_epu32(high4, Read(kLimb.less_ten_thousand)));
  const __m256i high2 = _mm256_srli_epi16(_mm256_mulhi_epu16(quads, Read(kLimb.by_hundred)), 3);
  const __m256i pairs =
      _mm256_add_epi32(quads, _mm256_mullo_epi32(high2, Read(kLimb.less_hundred)));
  const __m256i tens = _mm256_mulhi_epu16(pairs, Read(kLimb.by_ten));
  return _mm256_add_epi16(pairs, _mm256_mullo_epi16(tens, Read(kLimb.less_ten)));
}

// Four words of cells as four limbs, as WordToLimb does one: pairs,
// quadruples, whole. Bytes above 9 can make more than 10^8 - 1: clamped.
NAGYSZAM_TARGET inline __m256i CellsToLimbs(__m256i cells) noexcept {
  const __m256i pairs = _mm256_maddubs_epi16(cells, Read(kLimb.pair_weights));
  const __m256i quads = _mm256_madd_epi16(pairs, Read(kLimb.quad_weights));
  const __m256i whole =
      _mm256_add_epi64(_mm256_and_si256(quads, Read(kLimb.low_halves)),
                       _mm256_mul_epu32(_mm256_srli_epi64(quads, 32), Read(kLimb.ten_thousand)));
  // The high halves are zero.
  return _mm256_min_epu32(whole, Read(kLimb.largest));
}

// Each even lane plus the one above times B: pieces of 16 digits in lanes
// 0 and 2.
NAGYSZAM_TARGET inline __m256i Pieces(__m256i limbs) noexcept {
  return _mm256_add_epi64(limbs,
                          _mm256_mul_epu32(_mm256_shuffle_epi32(limbs, 0x4E), Read(kLimb.base)));
}

// Lane 0 from the previous group's lane 3 (kept in `last`, rotated), the
// other lanes from the lane below: the carries of four columns move up.
NAGYSZAM_TARGET inline __m256i FromBelow(__m256i v, __m256i& last) noexcept {
  const __m256i rotated = _mm256_permute4x64_epi64(v, 0x93);
  const __m256i moved = _mm256_blend_epi32(rotated, last, 0x03);
  last = rotated;
  return moved;
}

}  // namespace

template <>
NAGYSZAM_TARGET void Avx2::ToLimbs(const std::uint8_t* cells, int n, std::uint64_t* out) noexcept {
  for (int g = 0; 4 * g < n; ++g) StoreSlots(out + 4 * g, CellsToLimbs(LoadV(cells, g)));
}

template <>
NAGYSZAM_TARGET void Avx2::Clear(std::uint8_t* cells) noexcept {
  FillFrom(cells, 0, _mm256_setzero_si256());
}

template <>
NAGYSZAM_TARGET int Avx2::FromLimbs(const std::uint64_t* limbs, int n,
                                    std::uint8_t* cells) noexcept {
  const int groups = (n + 3) / 4;
  __m256i top = _mm256_setzero_si256();
  for (int g = 0; g < groups; ++g) {
    // The low two groups and a part group limb by limb, each as it was
    // stored (the divisions write from the top down, one limb at a time,
    // which a wide load could not take from the store just made), none
    // from n on; the groups above were stored long before.
    const auto limb = [&](int i) { return i < n ? static_cast<long long>(limbs[i]) : 0; };
    const __m256i group =
        g >= 2 && 4 * g + 4 <= n
            ? LoadSlots(limbs + 4 * g)
            : _mm256_setr_epi64x(limb(4 * g), limb(4 * g + 1), limb(4 * g + 2), limb(4 * g + 3));
    StoreV(cells, g, top = LimbsToCells(group));
  }
  FillFrom(cells, groups, _mm256_setzero_si256());
  if (groups == 0 || Any(top)) return groups == 0 ? 0 : LengthAt(top, groups);
  return LengthIn(cells, UsedVectors<Scan::kOne>(cells, cells));  // zero limbs on top
}

namespace {

// Calls f(0), ..., f(kN - 1) with compile-time arguments, so that loops over
// groups of limbs keep their vectors in registers.
template <int kN, class F>
NAGYSZAM_TARGET inline void Unrolled(F f) noexcept {
  [&]<int... kI>(std::integer_sequence<int, kI...>) NAGYSZAM_TARGET {
    (f(std::integral_constant<int, kI>{}), ...);
  }
  (std::make_integer_sequence<int, kN>{});
}

// Carries four column sums c (each below 2^58) into four limbs below 2B
// (one at B or more needs CarryLast); `q` and `q2` hold the carries out of
// the group below. Column c = q * B + r, from its top bits: with h = c /
// 2^26 (below 2^32) and the reciprocal rounded down, q is never over and at
// most two short, so r is below 3B; r is c - q * B exactly, whatever q is.
// Then r + the carry from below (under 3B + 2^58 / B < 2^32) = q2 * B + r2,
// exactly with the reciprocal rounded up (exact below 5.9 * 10^9), and q2
// is below 32.
struct Carries {
  __m256i q, q2;
};

NAGYSZAM_TARGET inline __m256i CarryGroup(__m256i c, Carries& carries) noexcept {
  const __m256i base = Read(kLimb.base);
  const __m256i reciprocal_down = Read(kLimb.reciprocal_down);
  const __m256i reciprocal_up = Read(kLimb.reciprocal_up);
  const __m256i q =
      _mm256_srli_epi64(_mm256_mul_epu32(_mm256_srli_epi64(c, 26), reciprocal_down), 32);
  const __m256i r = _mm256_sub_epi64(c, _mm256_mul_epu32(q, base));
  const __m256i s = _mm256_add_epi64(r, FromBelow(q, carries.q));
  const __m256i q2 = _mm256_srli_epi64(_mm256_mul_epu32(s, reciprocal_up), 58);
  const __m256i r2 = _mm256_sub_epi64(s, _mm256_mul_epu32(q2, base));
  return _mm256_add_epi64(r2, FromBelow(q2, carries.q2));
}

// Lanes that hold B or more.
NAGYSZAM_TARGET inline __m256i Wide(__m256i limbs) noexcept {
  return _mm256_cmpgt_epi64(limbs, Read(kLimb.largest));
}

// The last carries of limbs[0..groups) (each below 2B, after CarryGroup):
// a limb of B or more passes one up, and so does a limb of B - 1 that
// receives one. As with the cells of Add, the limbs that generate a carry
// (G) and those that generate or pass one (X) are bits, and (G + X) ^ G ^ X
// marks the limbs that receive one. A carry out of the top is dropped.
NAGYSZAM_TARGET inline void CarryLast(__m256i* limbs, int groups) noexcept {
  const __m256i base = Read(kLimb.base), largest = Read(kLimb.largest);
  std::uint32_t generate = 0, reach = 0;
  for (int g = 0; g < groups; ++g) {
    const auto bits = [](__m256i lanes) NAGYSZAM_TARGET {
      return static_cast<std::uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(lanes)));
    };
    generate |= bits(_mm256_cmpgt_epi64(limbs[g], largest)) << 4 * g;
    reach |= bits(_mm256_cmpgt_epi64(limbs[g], _mm256_set1_epi64x(kBase - 2))) << 4 * g;
  }
  const std::uint32_t receive = (generate + reach) ^ generate ^ reach;
  const __m256i lane_bit = _mm256_setr_epi64x(1, 2, 4, 8);
  for (int g = 0; g < groups; ++g) {
    const __m256i in = _mm256_set1_epi64x(receive >> 4 * g & 15);
    __m256i limb =
        _mm256_sub_epi64(limbs[g], _mm256_cmpeq_epi64(_mm256_and_si256(in, lane_bit), lane_bit));
    limbs[g] = _mm256_sub_epi64(limb, _mm256_and_si256(_mm256_cmpgt_epi64(limb, largest), base));
  }
}

// p = a * b for a of kA and b of kB groups of four limbs, both known here
// so that the columns stay in registers and no branch splits the sums. The
// product has at most 32 limbs: columns from 32 on take no products.
// Returns p's length, or 0 when not kMeasured.
template <int kA, int kB, bool kMeasured = true>
NAGYSZAM_TARGET int ProductOf(const std::uint8_t* a, const std::uint8_t* b,
                              std::uint8_t* p) noexcept {
  constexpr int kGroups = std::min(kA + kB, kVectors);
  // window[h][s] = b[4h - s .. 4h - s + 3], zero outside b's limbs: what
  // the limbs a[4m + s] meet in column group h + m.
  __m256i window[kB + 1][4];
  __m256i below = _mm256_setzero_si256();
  Unrolled<kB + 1>([&](auto h) NAGYSZAM_TARGET {
    const __m256i group = h < kB ? CellsToLimbs(LoadV(b, h)) : _mm256_setzero_si256();
    const __m256i middle = _mm256_permute2x128_si256(below, group, 0x21);
    window[h][0] = group;
    window[h][1] = _mm256_alignr_epi8(group, middle, 8);
    window[h][2] = middle;
    window[h][3] = _mm256_alignr_epi8(middle, below, 8);
    below = group;
  });
  // Four columns to a register. A column adds at most 16 products below
  // 10^16: under 2^58.
  __m256i column[kGroups];
  Unrolled<kGroups>([&](auto g) NAGYSZAM_TARGET { column[g] = _mm256_setzero_si256(); });
  Unrolled<kA>([&](auto m) NAGYSZAM_TARGET {
    const __m256i limbs_a = CellsToLimbs(LoadV(a, m));
    const __m256i factor[4] = {
        _mm256_permute4x64_epi64(limbs_a, 0x00), _mm256_permute4x64_epi64(limbs_a, 0x55),
        _mm256_permute4x64_epi64(limbs_a, 0xAA), _mm256_permute4x64_epi64(limbs_a, 0xFF)};
    Unrolled<kB + 1>([&](auto h) NAGYSZAM_TARGET {
      Unrolled<4>([&](auto s) NAGYSZAM_TARGET {
        // window[kB][0] is zero.
        if constexpr (m + h < kGroups && (h < kB || s > 0)) {
          column[m + h] =
              _mm256_add_epi64(column[m + h], _mm256_mul_epu32(factor[s], window[h][s]));
        }
      });
    });
  });
  Carries carries{_mm256_setzero_si256(), _mm256_setzero_si256()};
  __m256i wide = _mm256_setzero_si256();
  Unrolled<kGroups>([&](auto g) NAGYSZAM_TARGET {
    column[g] = CarryGroup(column[g], carries);
    wide = _mm256_or_si256(wide, Wide(column[g]));
  });
  if (Any(wide)) CarryLast(column, kGroups);
  // a's top limb is at 4kA - 4 or above and b's at 4kB - 4: the product's
  // top limb is in one of the last two groups, and the length comes from
  // their zero cells, 64 at a time (0 for a zero product of two groups).
  __m256i last[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
  Unrolled<kGroups>([&](auto g) NAGYSZAM_TARGET {
    const __m256i cells = LimbsToCells(column[g]);
    StoreV(p, g, cells);
    if constexpr (g + 2 >= kGroups) last[g + 2 - kGroups] = cells;
  });
  FillFrom(p, kGroups, _mm256_setzero_si256());
  if constexpr (!kMeasured) return 0;
  const __m256i zero = _mm256_setzero_si256();
  const std::uint64_t used =
      ~Bits(_mm256_cmpeq_epi8(last[0], zero), _mm256_cmpeq_epi8(last[1], zero));
  return 32 * kGroups - std::countl_zero(used);
}

// The product for a of ga >= gb groups and b of gb: counts kA, then kB, up
// to them, one compare a step.
template <int kA, int kB = 1>
NAGYSZAM_TARGET int ProductWith(const std::uint8_t* a, int ga, const std::uint8_t* b, int gb,
                                std::uint8_t* p) noexcept {
  if constexpr (kA < kVectors) {
    if (ga > kA) return ProductWith<kA + 1, kB>(a, ga, b, gb, p);
  }
  if constexpr (kB < kA && kA + kB <= kVectors) {
    if (gb > kB) return ProductWith<kA, kB + 1>(a, ga, b, gb, p);
  }
  return ProductOf<kA, kB>(a, b, p);
}

}  // namespace

template <>
NAGYSZAM_TARGET int Avx2::Product(const std::uint8_t* a, int ga, const std::uint8_t* b, int gb,
                                  std::uint8_t* p) noexcept {
  // Twice the limbs to an instruction, where the processor has them.
  if (use_avx512) return avx512::Product(a, ga, b, gb, p);
  // The product commutes: a is the longer, b gives the windows.
  if (ga < gb) std::swap(a, b), std::swap(ga, gb);
  return ProductWith<1>(a, ga, b, gb, p);
}

template <>
NAGYSZAM_TARGET void Avx2::SubtractProducts(std::uint64_t* w, int j, std::uint64_t digit,
                                            const std::uint64_t* v, int nb) noexcept {
  // Whole aligned groups of w, which the next step loads as they were
  // stored; v read four limbs from where each group starts.
  const __m256i factor = _mm256_set1_epi64x(static_cast<long long>(digit));
  for (int g = j / 4; 4 * g < j + nb; ++g) {
    StoreSlots(w + 4 * g, _mm256_sub_epi64(LoadSlots(w + 4 * g),
                                           _mm256_mul_epu32(factor, LoadSlots(v + 4 * g - j))));
  }
}

namespace {

// Carry's work for the columns column(g), group by group: all are read
// before any cell is written.
template <class Columns>
NAGYSZAM_TARGET inline int CarryColumns(Columns column, int n, std::uint64_t shift,
                                        std::uint8_t* cells) noexcept {
  // Lanes from n on, all in the last group, are dropped: the columns there
  // as zero, the limbs they receive as the part past 10^(8n).
  const int groups = (n + 3) / 4;
  const __m256i keep =
      _mm256_cmpgt_epi64(_mm256_set1_epi64x(n - 4 * (groups - 1)), _mm256_setr_epi64x(0, 1, 2, 3));
  const __m256i shifted = _mm256_set1_epi64x(static_cast<long long>(shift * kBase - shift));
  __m256i wide = _mm256_setzero_si256();
  Carries carries{wide, wide};
  __m256i limbs[kVectors];
  for (int g = 0; g < groups; ++g) {
    __m256i c = _mm256_add_epi64(column(g), shifted);
    if (g == 0) c = _mm256_add_epi64(c, _mm256_setr_epi64x(static_cast<long long>(shift), 0, 0, 0));
    if (g == groups - 1) c = _mm256_and_si256(c, keep);
    limbs[g] = CarryGroup(c, carries);
    if (g == groups - 1) limbs[g] = _mm256_and_si256(limbs[g], keep);
    wide = _mm256_or_si256(wide, Wide(limbs[g]));
  }
  if (Any(wide)) {
    CarryLast(limbs, groups);
    limbs[groups - 1] = _mm256_and_si256(limbs[groups - 1], keep);  // the part past 10^(8n) again
  }
  __m256i top = _mm256_setzero_si256();
  for (int g = 0; g < groups; ++g) StoreV(cells, g, top = LimbsToCells(limbs[g]));
  FillFrom(cells, groups, _mm256_setzero_si256());
  if (groups > 0 && Any(top)) return LengthAt(top, groups);
  return LengthIn(cells, UsedVectors<Scan::kOne>(cells, cells));  // zero limbs on top
}

}  // namespace

template <>
NAGYSZAM_TARGET int Avx2::Carry(const std::uint64_t* column, int n, std::uint64_t shift,
                                std::uint8_t* cells) noexcept {
  return CarryColumns([column](int g) NAGYSZAM_TARGET { return LoadSlots(column + 4 * g); }, n,
                      shift, cells);
}

template <>
NAGYSZAM_TARGET int Avx2::SubtractMultiple(const std::uint8_t* a, const std::uint8_t* b,
                                           std::uint64_t digit, int n,
                                           std::uint8_t* cells) noexcept {
  if (use_avx512) return avx512::SubtractMultiple(a, b, digit, n, cells);
  // Converted first: converting each limb where the carry reads it measured
  // 12 to 17% slower with AVX2. The products go straight into the carry.
  alignas(32) std::uint64_t u[limbs::kCount], v[limbs::kCount];
  ToLimbs(a, n, u);
  ToLimbs(b, n, v);
  const std::uint64_t *pu = u, *pv = v;  // not the arrays, which a lambda would copy
  const __m256i factor = _mm256_set1_epi64x(static_cast<long long>(digit));
  const auto column = [pu, pv, factor](int g) NAGYSZAM_TARGET {
    return _mm256_sub_epi64(LoadSlots(pu + 4 * g), _mm256_mul_epu32(factor, LoadSlots(pv + 4 * g)));
  };
  return CarryColumns(column, n, limbs::kShift, cells);
}

namespace {

// Whether a and b both have at most 32 digits: vectors 1..7 all zero.
// Vector 1 first, alone: a longer number nearly always has a digit there,
// so that a long product pays only that look.
NAGYSZAM_TARGET inline bool BothShort(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  if (Any(_mm256_or_si256(LoadV(a, 1), LoadV(b, 1)))) return false;
  __m256i above = _mm256_or_si256(LoadV(a, 2), LoadV(b, 2));
  for (int v = 3; v < kVectors; ++v) {
    above = _mm256_or_si256(above, _mm256_or_si256(LoadV(a, v), LoadV(b, v)));
  }
  return !Any(above);
}

}  // namespace

NAGYSZAM_TARGET_ALL __attribute__((noinline)) int avx2::LongProduct(const NemNegEgesz& a,
                                                                    const NemNegEgesz& b,
                                                                    NemNegEgesz& p) noexcept {
  return limbs::Multiply<Avx2>(a, b, p);
}

__attribute__((noinline)) int avx2::LongProduct(const NemNegEgesz& a, const NemNegEgesz& b,
                                                NemNegEgesz& p, std::uint8_t* top) noexcept {
  return WithTop(LongProduct(a, b, p), top);
}

template <>
NAGYSZAM_TARGET int Avx2::Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
                                   std::uint8_t* top) noexcept {
  // The common short case, one group each, goes straight to its product:
  // neither number is measured, and the long products' flattened function,
  // with its large stack frame, is not entered. Its length, about a
  // twentieth of its time, is taken only when asked for.
  if (BothShort(a.data(), b.data())) {
    return top != nullptr ? WithTop(ProductOf<1, 1>(a.data(), b.data(), p.data()), top)
                          : ProductOf<1, 1, false>(a.data(), b.data(), p.data());
  }
  return top != nullptr ? LongProduct(a, b, p, top) : LongProduct(a, b, p);
}

namespace {

// The short division; the top cells only when kTops, as the AVX-512 one.
template <bool kTops>
NAGYSZAM_TARGET int ShortDivision(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                  NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  // As the AVX-512 short division, on 32 cells to a vector: the first
  // vectors against the most each cell may hold (9 in cells 0..31 of a and
  // 0..15 of b, 0 above), the others ORed, all read before any test.
  constexpr long long kNines = 0x0909090909090909;
  const __m256i low_a = LoadV(a.data(), 0), low_b = LoadV(b.data(), 0);
  const __m256i largest_a = _mm256_set1_epi64x(kNines);
  const __m256i largest_b = _mm256_setr_epi64x(kNines, kNines, 0, 0);
  __m256i wrong = _mm256_or_si256(_mm256_xor_si256(_mm256_max_epu8(low_a, largest_a), largest_a),
                                  _mm256_xor_si256(_mm256_max_epu8(low_b, largest_b), largest_b));
  for (int v = 1; v < kVectors; ++v) {
    wrong = _mm256_or_si256(wrong, _mm256_or_si256(LoadV(a.data(), v), LoadV(b.data(), v)));
  }
  if (Any(wrong)) return 0;
  const __m256i pa = Pieces(CellsToLimbs(low_a)), pb = Pieces(CellsToLimbs(low_b));
  const auto word = [](long long x) { return static_cast<std::uint64_t>(x); };
  std::uint64_t out[5];
  const int taken =
      limbs::DivideSmall(word(_mm256_extract_epi64(pa, 2)), word(_mm256_extract_epi64(pa, 0)),
                         word(_mm256_extract_epi64(pb, 0)), out);
  if (taken == 0) return 0;
  const auto limb = [&](int i) { return static_cast<long long>(out[i]); };
  const __m256i cells_q = LimbsToCells(_mm256_setr_epi64x(limb(0), limb(1), limb(2), 0));
  const __m256i cells_r = LimbsToCells(_mm256_setr_epi64x(limb(3), limb(4), 0, 0));
  // q first: when q and r are one object it holds r.
  const __m256i zero = _mm256_setzero_si256();
  StoreV(q.data(), 0, cells_q);
  FillFrom(q.data(), 1, zero);
  StoreV(r.data(), 0, cells_r);
  FillFrom(r.data(), 1, zero);
  if constexpr (kTops) {
    WriteTops(tops, ~Bits(_mm256_cmpeq_epi8(cells_q, zero)),
              ~Bits(_mm256_cmpeq_epi8(cells_r, zero)));
  }
  return taken;
}

}  // namespace

NAGYSZAM_TARGET int avx2::ShortDivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                                      NemNegEgesz& r, std::uint8_t* const* tops) noexcept {
  return tops != nullptr ? ShortDivision<true>(a, b, q, r, tops)
                         : ShortDivision<false>(a, b, q, r, tops);
}

template <>
NAGYSZAM_TARGET_ALL Lengths Avx2::DivMod(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb,
                                         NemNegEgesz& q, NemNegEgesz& r, bool measure) noexcept {
  return limbs::Divide<Avx2>(a, ca, b, cb, q, r, measure);
}

}  // namespace nagyszam::kernels

#endif
