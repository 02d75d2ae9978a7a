// Division, written once for both kernel sets: K supplies the conversions
// between cells and base 10^8 limbs and the carrying of column sums, and
// the code here compiles for K's instruction set. Seven ways, by the
// operands' lengths: short numbers in binary, by a divisor of one machine
// word or a longer one, numbers of up to 70 digits with quotients below
// 10^38 in binary too, a one-limb divisor by short division, a divisor of
// up to 18 digits in binary chunks, a one-limb quotient in one pass, the
// rest by long division. Each has read all it needs from a and b before it
// writes q or r, and when q and r are one object it ends up holding r.
// Internal to the library.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <type_traits>

#include "numbers/limbs.h"

namespace nagyszam::limbs {

using kernels::Lengths;
using kernels::Store;
using kernels::WordLength;

constexpr std::uint64_t kPiece = std::uint64_t{kBase} * kBase;  // 10^16, two limbs

// x / 10^16 and x % 10^16 for x below 10^16 2^64, by multiplies rather
// than a hardware division: 10^16 shifted up to its top bit, and that
// divisor's reciprocal, as in the three-by-two step below (here its
// two-by-one form). The estimate is one under, exact or one over, and the
// remainder tells which. DivMod 64/32 and its signed form 2% faster.
constexpr int kPieceShift = std::countl_zero(kPiece);
constexpr std::uint64_t kPieceHigh = kPiece << kPieceShift;
// floor((2^128 - 1) / kPieceHigh) - 2^64
constexpr auto kPieceReciprocal = static_cast<std::uint64_t>(~Wide{0} / kPieceHigh);

constexpr std::uint64_t SplitPiece(Wide x, std::uint64_t& rest) noexcept {
  const Wide u = x << kPieceShift;
  const auto u1 = static_cast<std::uint64_t>(u >> 64), u0 = static_cast<std::uint64_t>(u);
  const Wide estimate = Wide{kPieceReciprocal} * u1 + u;
  auto quotient = static_cast<std::uint64_t>(estimate >> 64) + 1;
  std::uint64_t left = u0 - quotient * kPieceHigh;
  if (left > static_cast<std::uint64_t>(estimate)) --quotient, left += kPieceHigh;
  if (left >= kPieceHigh) ++quotient, left -= kPieceHigh;
  rest = left >> kPieceShift;
  return quotient;
}

constexpr bool SplitsLikeDivision(Wide x) {
  std::uint64_t rest = 0;
  const std::uint64_t quotient = SplitPiece(x, rest);
  return quotient == x / kPiece && rest == x % kPiece;
}
// Around the multiples of 10^16 where the estimate's corrections turn, the
// ends of the range, and one that takes the second correction.
static_assert(SplitsLikeDivision(0) && SplitsLikeDivision(kPiece - 1) &&
              SplitsLikeDivision(kPiece) && SplitsLikeDivision(kPiece + 1));
static_assert(SplitsLikeDivision((Wide{kPiece - 1} << 64 | ~std::uint64_t{0})) &&
              SplitsLikeDivision(Wide{kPiece - 1} << 64) &&
              SplitsLikeDivision((Wide{kPiece - 1} << 64) - 1));
static_assert(SplitsLikeDivision(Wide{kPiece} * ~std::uint64_t{0}) &&
              SplitsLikeDivision(Wide{kPiece} * ~std::uint64_t{0} - 1) &&
              SplitsLikeDivision(Wide{kPiece} * 0x8000000000000000u - 1) &&
              SplitsLikeDivision(Wide{kPiece} * 0x8000000000000000u) &&
              SplitsLikeDivision(Wide{7192386207291705u} << 64 | 1783369788609060858u));

// x as five base 10^8 limbs: 16 digits at a time, by one SplitPiece
// each once x passes 64 bits (the top piece is below 3.5 * 10^6).
NAGYSZAM_INLINED inline void BinaryToLimbs(Wide x, std::uint64_t* limbs) noexcept {
  const auto high = static_cast<std::uint64_t>(x >> 64);
  std::uint64_t low = static_cast<std::uint64_t>(x), middle = 0, top = 0;
  if (high == 0) {
    // Below 2^64, three limbs: each straight from x, none waiting for
    // another.
    limbs[0] = low % kBase;
    limbs[1] = low / kBase % kBase;
    limbs[2] = low / kPiece;
    limbs[3] = limbs[4] = 0;
    return;
  }
  if (high < kPiece) {
    // Below 10^16 2^64, as every number of up to 35 digits: what is left
    // above the low piece fits one word.
    const std::uint64_t upper = SplitPiece(x, low);
    top = upper / kPiece;
    middle = upper % kPiece;
  } else {
    const Wide upper = Wide{high / kPiece} << 64 | SplitPiece(Wide{high % kPiece} << 64 | low, low);
    top = SplitPiece(upper, middle);
  }
  limbs[0] = low % kBase;
  limbs[1] = low / kBase;
  limbs[2] = middle % kBase;
  limbs[3] = middle / kBase;
  limbs[4] = top;
}

// x / y and x % y for y from 1 to 2^64 - 1: one hardware division, or two
// when the quotient does not fit 64 bits.
NAGYSZAM_INLINED inline Wide DivideByWord(Wide x, std::uint64_t y, std::uint64_t& rest) noexcept {
  const auto high = static_cast<std::uint64_t>(x >> 64), low = static_cast<std::uint64_t>(x);
  if (high == 0) {
    rest = low % y;
    return low / y;
  }
  if (high < y) return DivideWide(x, y, rest);
  return Wide{high / y} << 64 | DivideWide(Wide{high % y} << 64 | low, y, rest);
}

// x / y and x % y for y other than zero. From 2^64 up the quotient fits 64
// bits, and one hardware division estimates it, half of x by y's top 64
// bits: at most one over, so that one less is the quotient or one short,
// which the remainder tells.
NAGYSZAM_INLINED inline Wide DivideBy(Wide x, Wide y, Wide& rest) noexcept {
  const auto top = static_cast<std::uint64_t>(y >> 64);
  if (top == 0) {
    std::uint64_t remainder = 0;
    const Wide quotient = DivideByWord(x, static_cast<std::uint64_t>(y), remainder);
    rest = remainder;
    return quotient;
  }
  const int shift = std::countl_zero(top);
  std::uint64_t ignored = 0;
  std::uint64_t quotient =
      DivideWide(x >> 1, static_cast<std::uint64_t>((y << shift) >> 64), ignored) >> (63 - shift);
  if (quotient != 0) --quotient;
  rest = x - Wide{quotient} * y;
  if (rest >= y) ++quotient, rest -= y;
  return quotient;
}

// 10^0 .. 10^38, the powers of ten below 2^128.
inline constexpr std::array<Wide, 39> kTens = [] {
  std::array<Wide, 39> tens{};
  Wide ten = 1;
  for (Wide& t : tens) t = ten, ten *= 10;
  return tens;
}();

// Limb 4 of a number below 10^38, which fits 128 bits, is below this.
constexpr std::uint64_t kWideTop = 1'000'000;

// Limbs 0..4 as one number.
NAGYSZAM_INLINED inline Wide Join(const std::uint64_t* limbs) noexcept {
  return limbs[0] + limbs[1] * kBase + Wide{limbs[2] + limbs[3] * kBase} * kPiece +
         Wide{limbs[4]} * kTens[32];
}

// The digits of x, 0 for zero. A number of b bits has (b * 1233) >> 12
// digits or one more (1233 / 2^12 is log10 2 low by 5 * 10^-6, which stays
// under one digit's worth up to 128 bits), and one compare tells which.
// Straight from the binary result, this does not wait for its cells.
constexpr int DecimalLength(Wide x) noexcept {
  const auto high = static_cast<std::uint64_t>(x >> 64);
  const int bits = high != 0 ? 128 - std::countl_zero(high)
                             : 64 - std::countl_zero(static_cast<std::uint64_t>(x));
  const int guess = bits * 1233 >> 12;
  return guess + (x >= kTens[guess]);
}
static_assert(DecimalLength(Wide{0}) == 0 && DecimalLength(Wide{9}) == 1);
static_assert(DecimalLength(Wide{10}) == 2 && DecimalLength(kTens[38] - 1) == 38);
static_assert(DecimalLength(~Wide{0}) == 39);

// A quotient and remainder below 2^128, as the binary ways leave them;
// short_rest when the remainder is below 2^64.
struct Binary {
  Wide quotient, rest;
  bool short_rest;
};

// q and r from x: the remainder in three limbs when short. Each count is
// written out so that each conversion compiles for its own: 2 to 4% faster
// than one conversion of a count chosen at run time. The lengths, when
// asked to measure, come from the binary numbers, sooner than from the
// cells; otherwise zero.
template <class K>
NAGYSZAM_INLINED Lengths StoreBinary(const Binary& x, bool measure, NemNegEgesz& q,
                                     NemNegEgesz& r) noexcept {
  alignas(32) std::uint64_t limbs[8];
  BinaryToLimbs(x.quotient, limbs);
  K::FromLimbs(limbs, limbs[4] != 0 ? 5 : 4, q.data());
  BinaryToLimbs(x.rest, limbs);
  x.short_rest ? K::FromLimbs(limbs, 3, r.data()) : K::FromLimbs(limbs, 5, r.data());
  if (!measure) return {};
  return {DecimalLength(x.quotient), DecimalLength(x.rest)};
}

// The short division (the AVX2 and AVX-512 sets' ShortDivMod) past the
// cells: a = high 10^16 + low (each piece below 10^16) by d below 10^16,
// one hardware division. The quotient's three limbs go to out[0..2], the
// remainder's two to out[3..4]. Returns 0, with nothing written, when d is
// zero (the first test) or the quotient is zero or does not fit 64 bits;
// otherwise 1, or 2 when the remainder is zero.
NAGYSZAM_INLINED inline int DivideSmall(std::uint64_t high, std::uint64_t low, std::uint64_t d,
                                        std::uint64_t* out) noexcept {
  const Wide x = Wide{high} * kPiece + low;
  if (static_cast<std::uint64_t>(x >> 64) >= d) return 0;
  std::uint64_t rest = 0;
  const auto quotient = static_cast<std::uint64_t>(DivideByWord(x, d, rest));
  if (quotient == 0) return 0;
  // Each limb from a quotient by a constant that waits for no other.
  const std::uint64_t upper = quotient / kBase, top = quotient / kPiece;
  const std::uint64_t rest_upper = rest / kBase;
  out[0] = quotient - upper * kBase;
  out[1] = upper - top * kBase;
  out[2] = top;
  out[3] = rest - rest_upper * kBase;
  out[4] = rest_upper;
  return rest != 0 ? 1 : 2;
}

// Dividends below 10^38 and divisors below 10^19 fit 128 and 64 bits:
// binary division is exact, and the conversions take a few limbs each.
// DivideLonger below could do this too; apart, with the divisor's three
// limbs and no test of its top, the commonest short division is 8% faster.
// Returns false when the divisor's bytes, outside 0..9, make it 2^64 or
// more.
template <class K>
NAGYSZAM_INLINED bool DivideBinary(const NemNegEgesz& a, int na, const NemNegEgesz& b,
                                   Binary& out) noexcept {
  alignas(32) std::uint64_t la[8] = {}, lb[4];
  K::ToLimbs(a.data(), na, la);
  K::ToLimbs(b.data(), 3, lb);
  const Wide divisor = lb[0] + lb[1] * kBase + Wide{lb[2]} * kPiece;
  if (divisor >> 64 != 0) return false;
  std::uint64_t rest = 0;
  const Wide quotient = DivideByWord(Join(la), static_cast<std::uint64_t>(divisor), rest);
  out = {quotient, rest, true};
  return true;
}

// Longer divisors in binary too: numbers below 10^38 fit 128 bits. A
// dividend of up to 38 digits takes one division; one of 39 or 40 digits,
// by a divisor of 9 to 30 digits, two: its top 32 digits, then what is
// left of them times 10^8 plus its last 8 digits, below 10^38. Returns
// false when bytes outside 0..9 make an operand of up to 38 cells 10^38 or
// more.
template <class K>
NAGYSZAM_INLINED bool DivideLonger(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb,
                                   Binary& out) noexcept {
  alignas(32) std::uint64_t la[8] = {}, lb[8] = {};
  K::ToLimbs(a.data(), (ca + 7) / 8, la);
  K::ToLimbs(b.data(), (cb + 7) / 8, lb);
  if (lb[4] >= kWideTop || (ca <= 38 && la[4] >= kWideTop)) return false;
  const Wide y = Join(lb);
  Wide quotient = 0, rest = 0;
  if (ca <= 38) {
    quotient = DivideBy(Join(la), y, rest);
  } else {
    const std::uint64_t upper[5] = {la[1], la[2], la[3], la[4], 0};
    Wide upper_rest = 0;
    const Wide high = DivideBy(Join(upper), y, upper_rest);
    quotient = high * kBase + DivideBy(upper_rest * kBase + la[0], y, rest);
  }
  out = {quotient, rest, y >> 64 == 0};
  return true;
}

// For d = (d1 d0) with d1's top bit set: floor((2^192 - 1) / d) - 2^64,
// which turns each division by d below into multiplies. One hardware
// division for d1's own reciprocal, then d0 taken in, lowering it by at
// most four.
NAGYSZAM_INLINED inline std::uint64_t Reciprocal(Wide d) noexcept {
  const auto d1 = static_cast<std::uint64_t>(d >> 64), d0 = static_cast<std::uint64_t>(d);
  std::uint64_t ignored = 0;
  std::uint64_t v = DivideWide(Wide{~d1} << 64 | ~std::uint64_t{0}, d1, ignored);
  std::uint64_t p = d1 * v + d0;
  if (p < d0) {
    --v;
    if (p >= d1) --v, p -= d1;
    p -= d1;
  }
  const Wide t = Wide{v} * d0;
  const auto t1 = static_cast<std::uint64_t>(t >> 64);
  p += t1;
  if (p < t1) {
    --v;
    if ((Wide{p} << 64 | static_cast<std::uint64_t>(t)) >= d) --v;
  }
  return v;
}

// The top quotient word of (n2 n1 n0) by d = (d1 d0), d1's top bit set,
// for (n2 n1) below d, and the remainder in rest; v is d's Reciprocal. The
// multiply by v estimates the word at most one over or under, and the
// remainder's top word against the estimate's low one, then against d,
// puts it right.
NAGYSZAM_INLINED inline std::uint64_t DivideThreeByTwo(std::uint64_t n2, Wide low, Wide d,
                                                       std::uint64_t v, Wide& rest) noexcept {
  const auto d1 = static_cast<std::uint64_t>(d >> 64), d0 = static_cast<std::uint64_t>(d);
  const auto n1 = static_cast<std::uint64_t>(low >> 64), n0 = static_cast<std::uint64_t>(low);
  const Wide estimate = Wide{v} * n2 + (Wide{n2} << 64 | n1);
  auto quotient = static_cast<std::uint64_t>(estimate >> 64);
  const std::uint64_t r1 = n1 - quotient * d1;
  Wide left = (Wide{r1} << 64 | n0) - Wide{d0} * quotient - d;  // modulo 2^128
  ++quotient;
  if (static_cast<std::uint64_t>(left >> 64) >= static_cast<std::uint64_t>(estimate)) {
    --quotient;
    left += d;
  }
  if (left >= d) ++quotient, left -= d;
  rest = left;
  return quotient;
}

// Dividends of 41 to 70 digits in binary: below 10^70, four machine words,
// made from their top part (below 10^38) times 10^32 plus their last 32
// digits. The divisor is below 10^38 and the quotient below 10^38: two
// quotient words, each by one three-by-two step on the normalised operands
// (or by two hardware divisions when the divisor fits one word). Returns
// false when bytes outside 0..9 make an operand too large or the quotient
// 2^128 or more.
template <class K>
NAGYSZAM_INLINED bool DivideFourWords(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb,
                                      Binary& out) noexcept {
  alignas(32) std::uint64_t la[12], lb[8];
  la[8] = lb[4] = 0;  // past the limbs written when those end at 8 and 4
  K::ToLimbs(a.data(), (ca + 7) / 8, la);
  K::ToLimbs(b.data(), (cb + 7) / 8, lb);
  if (lb[4] >= kWideTop || la[8] >= kWideTop) return false;
  const std::uint64_t last[5] = {la[0], la[1], la[2], la[3], 0};
  const Wide y = Join(lb), high = Join(la + 4), low = Join(last);
  // x = high 10^32 + low as (x3 x2 x1 x0).
  const auto h1 = static_cast<std::uint64_t>(high >> 64), h0 = static_cast<std::uint64_t>(high);
  const auto p1 = static_cast<std::uint64_t>(kTens[32] >> 64);
  const auto p0 = static_cast<std::uint64_t>(kTens[32]);
  const Wide bottom = Wide{h0} * p0, cross1 = Wide{h0} * p1, cross2 = Wide{h1} * p0;
  const Wide middle =
      (bottom >> 64) + static_cast<std::uint64_t>(cross1) + static_cast<std::uint64_t>(cross2);
  Wide x_low = (middle << 64 | static_cast<std::uint64_t>(bottom)) + low;
  Wide x_high = Wide{h1} * p1 + (cross1 >> 64) + (cross2 >> 64) + (middle >> 64) + (x_low < low);
  Wide quotient = 0, rest = 0;
  const auto y1 = static_cast<std::uint64_t>(y >> 64);
  if (y1 == 0) {
    const auto word = static_cast<std::uint64_t>(y);
    if (x_high >= word) return false;  // the quotient would pass 2^128
    std::uint64_t word_rest = 0;
    const std::uint64_t upper =
        DivideWide(x_high << 64 | static_cast<std::uint64_t>(x_low >> 64), word, word_rest);
    quotient =
        Wide{upper} << 64 |
        DivideWide(Wide{word_rest} << 64 | static_cast<std::uint64_t>(x_low), word, word_rest);
    rest = word_rest;
  } else {
    // Shifted so that the divisor's top bit is set: the quotient is the
    // same, the remainder shifted as much.
    const int shift = std::countl_zero(y1);
    const Wide d = y << shift;
    if (shift != 0) {
      if (x_high >> (128 - shift) != 0) return false;
      x_high = x_high << shift | x_low >> (128 - shift);
      x_low <<= shift;
    }
    if (x_high >= d) return false;  // the quotient would pass 2^128
    const std::uint64_t v = Reciprocal(d);
    Wide upper_rest = 0;
    const std::uint64_t upper = DivideThreeByTwo(static_cast<std::uint64_t>(x_high >> 64),
                                                 x_high << 64 | x_low >> 64, d, v, upper_rest);
    const std::uint64_t lower =
        DivideThreeByTwo(static_cast<std::uint64_t>(upper_rest >> 64),
                         upper_rest << 64 | static_cast<std::uint64_t>(x_low), d, v, rest);
    quotient = Wide{upper} << 64 | lower;
    rest >>= shift;
  }
  out = {quotient, rest, y1 == 0};
  return true;
}

// Division by one limb d: the dividend in pieces of two limbs, 10^16 = f d
// + c. Each quotient piece is rest * f + (rest * c + piece) / d, where the
// rest from the pieces above is below d, so rest * c + piece stays below
// d^2 + 10^16 < 2^55: one multiply by an exact reciprocal.
template <class K>
NAGYSZAM_INLINED Lengths DivideShort(const NemNegEgesz& a, int na, std::uint64_t d, NemNegEgesz& q,
                                     NemNegEgesz& r) noexcept {
  if (d == 1) {
    // a / 1: a and zero (r last: when q and r are one object, it holds r).
    const int length = K::Length(a.data());
    q = a;
    K::Clear(r.data());
    return {length, 0};
  }
  // The limbs up to na rounded up to 4, zero past na.
  alignas(32) std::uint64_t u[kRoom], quotient[kRoom];
  K::ToLimbs(a.data(), na, u);
  const Divisor by = MakeDivisor(d);
  const std::uint64_t f = kPiece / d, c = kPiece % d;
  // The rests run two pieces a step, rest * (10^32 mod d) + (the pair mod
  // d), so that their chain of dependent multiplies is half as long; each
  // pair's pieces follow from the rest above it, beside the chain.
  const std::uint64_t c2 = c * c % d;
  std::uint64_t rest = 0;
  const int pairs = (na + 3) / 4;
  for (int k = pairs - 1; k >= 0; --k) {
    const std::uint64_t high = u[4 * k + 2] + u[4 * k + 3] * kBase;
    const std::uint64_t low = u[4 * k] + u[4 * k + 1] * kBase;
    std::uint64_t high_rest = 0, pair_rest = 0, middle = 0, ignored = 0;
    Divide(high, by, high_rest);
    Divide(high_rest * c + low, by, pair_rest);
    const std::uint64_t above = rest;
    Divide(rest * c2 + pair_rest, by, rest);
    const std::uint64_t upper = above * f + Divide(above * c + high, by, middle);
    const std::uint64_t lower = middle * f + Divide(middle * c + low, by, ignored);
    quotient[4 * k] = lower % kBase;
    quotient[4 * k + 1] = lower / kBase;
    quotient[4 * k + 2] = upper % kBase;
    quotient[4 * k + 3] = upper / kBase;
  }
  Lengths lengths{};
  lengths.quotient = K::FromLimbs(quotient, 4 * pairs, q.data());
  const std::uint64_t remainder[4] = {rest, 0, 0, 0};
  lengths.remainder = K::FromLimbs(remainder, 1, r.data());
  return lengths;
}

// a * b + c, in one rounding where the kernels have FMA.
template <class K>
NAGYSZAM_INLINED inline double MulAdd(double a, double b, double c) noexcept {
  if constexpr (std::is_same_v<K, kernels::Avx2> && NAGYSZAM_AVX2) return std::fma(a, b, c);
  return a * b + c;
}

// A limb (below 10^8) as a double, through a signed integer: one
// conversion, where an unsigned one first tests the top bit.
NAGYSZAM_INLINED inline double Real(std::uint64_t limb) noexcept {
  return static_cast<double>(static_cast<std::int64_t>(limb));
}

constexpr double kB = kBase;
// Below the true quotient limb by more than any rounding in an estimate
// (under 10^-5), and by less than 1: taken low, or exactly, never high.
constexpr double kMargin = 1.0 / 4096;

// The divisor's top three limbs as one double.
template <class K>
NAGYSZAM_INLINED inline double DivisorTop(std::uint64_t high, std::uint64_t middle,
                                          std::uint64_t low) noexcept {
  return MulAdd<K>(MulAdd<K>(Real(high), kB, Real(middle)), kB, Real(low));
}

// The first quotient limb's estimate, from the dividend's top three limbs.
template <class K>
NAGYSZAM_INLINED inline double FirstEstimate(std::int64_t y, std::int64_t w2, std::int64_t low2,
                                             double divisor_top) noexcept {
  return MulAdd<K>(static_cast<double>(y), kB * kB,
                   MulAdd<K>(static_cast<double>(w2), kB, static_cast<double>(low2))) /
             divisor_top -
         kMargin;
}

// Whether a limb estimated (at or above zero) as `last` may have been taken
// low by one: only when the estimate lay just below a whole number.
NAGYSZAM_INLINED inline bool Near(double last) noexcept {
  return last - std::floor(last) > 1 - 3 * kMargin;
}

// Division by a d of 9 to 18 digits, from 10^8 up to below 2^60: quotient
// limb i is (rest * B + limb i) / d with the rest from the limbs above it,
// one dependent step a limb. The dividend goes in chunks of four limbs, and
// the rests above the chunks come first, by a chain of one step a chunk:
// rest * (10^32 mod d) + (the chunk mod d), the chunk's own part taken
// beside the chain. Then every chunk's four steps run from its rest,
// beside the other chunks'. Returns false (nothing written) when the
// divisor's bytes, outside 0..9, make it 2^60 or more.
template <class K>
NAGYSZAM_INLINED bool DivideMedium(const NemNegEgesz& a, int na, const NemNegEgesz& b, int nb,
                                   NemNegEgesz& q, NemNegEgesz& r, Lengths& lengths) noexcept {
  alignas(32) std::uint64_t u[kRoom], lb[4], quotient[kRoom];
  K::ToLimbs(b.data(), 3, lb);
  const std::uint64_t d = lb[0] + lb[1] * kBase + lb[2] * kPiece;
  if (d >> 60 != 0) return false;
  const int chunks = (na + 3) / 4;
  K::ToLimbs(a.data(), na, u);
  // x mod d for x below d 2^64, the quotient fitting 64 bits.
  const auto mod = [d](Wide x) {
    std::uint64_t rest = 0;
    DivideWide(x, d, rest);
    return rest;
  };
  const std::uint64_t piece = kPiece % d, e = mod(Wide{piece} * piece);  // 10^16, 10^32 mod d
  std::uint64_t rest[kRoom / 4];  // of the limbs above chunk k
  std::uint64_t above = 0;
  for (int k = chunks - 1; k >= 0; --k) {
    rest[k] = above;
    // The chunk, its upper half weighed by 10^16 mod d: below d 10^16.
    const std::uint64_t high = u[4 * k + 2] + u[4 * k + 3] * kBase;
    const std::uint64_t own = mod(Wide{high} * piece + u[4 * k] + u[4 * k + 1] * kBase);
    above = mod(Wide{above} * e + own);
  }
  // Each quotient limb from a double estimate taken low: below the true
  // quotient by more than its rounding (under 10^-7, the quotient being
  // below 10^8) and by less than 1, so that it is the limb or one less.
  // The rest * B + limb - estimate * d, in [0, 2d) and so exact modulo
  // 2^64, tells which.
  constexpr double kLow = 1.0 / (1 << 20);
  const double inverse = 1 / static_cast<double>(d), weight = kB * inverse;
  for (int i = 3; i >= 0; --i) {
    for (int k = 0; k < chunks; ++k) {
      const std::uint64_t limb = u[4 * k + i];
      const double estimate =
          MulAdd<K>(Real(rest[k]), weight, MulAdd<K>(Real(limb), inverse, -kLow));
      const auto digit = static_cast<std::uint64_t>(static_cast<std::int64_t>(estimate));
      std::uint64_t left = rest[k] * kBase + limb - digit * d;
      const bool over = left >= d;
      quotient[4 * k + i] = digit + over;
      rest[k] = over ? left - d : left;
    }
  }
  // Below B^(na - nb + 1): whole groups up to there, so that FromLimbs
  // finds the length in its top group rather than by a scan.
  lengths.quotient = K::FromLimbs(quotient, (na - nb + 4) / 4 * 4, q.data());
  alignas(32) std::uint64_t limbs[8];
  BinaryToLimbs(above, limbs);
  lengths.remainder = K::FromLimbs(limbs, 3, r.data());
  return true;
}

// A remainder of at most four limbs, below the divisor, from the top of
// the running remainder that the division keeps exactly anyway: y (limbs
// nb - 2 up, one integer), w2 (limb nb - 3) and w1 (limb nb - 4), the last
// two uncarried, each having taken at most two products below 1.001 *
// 10^16. Cheaper than carrying w: no trip through memory, one group of
// cells. All 256 cells of r are written; returns the length.
template <class K>
NAGYSZAM_INLINED int SmallRemainder(std::int64_t y, std::int64_t w2, std::int64_t w1, int nb,
                                    NemNegEgesz& r) noexcept {
  // c = carry B + limb, the carry rounded down: c is above -2.01 * 10^16,
  // so c + 2^29 B (5.4 * 10^16) is at or above zero.
  constexpr std::uint64_t kOffset = std::uint64_t{1} << 29;
  const auto split = [](std::int64_t c, std::uint64_t& limb) {
    const std::uint64_t lifted = static_cast<std::uint64_t>(c) + kOffset * kBase;
    limb = lifted % kBase;
    return static_cast<std::int64_t>(lifted / kBase - kOffset);
  };
  std::uint64_t low = 0, middle = 0;  // limbs nb - 4 and nb - 3
  std::int64_t carry = 0;
  if (nb == 4) carry = split(w1, low);
  if (nb >= 3) carry = split(w2 + carry, middle);
  // The top two limbs: below B^2 once the carry is in, as the remainder
  // is below B^nb.
  const auto top = static_cast<std::uint64_t>(y + carry);
  const std::uint64_t high = top / kBase, next = top % kBase;
  // Limbs 0..3 at fixed places, zero from nb on: they stay in registers
  // and go to the cells as one group, with no trip through memory.
  std::uint64_t l0 = next, l1 = high, l2 = 0, l3 = 0;  // nb == 2
  if (nb == 3) l0 = middle, l1 = next, l2 = high;
  if (nb == 4) l0 = low, l1 = middle, l2 = next, l3 = high;
  const std::uint64_t limbs[4] = {l0, l1, l2, l3};
  return K::FromLimbs(limbs, 4, r.data());
}

// Long division by a divisor of nb >= 2 limbs, each quotient limb
// estimated in floating point from the top three limbs of the running
// remainder and of the divisor, then taken a little low: an estimate a
// hair too low leaves a remainder of the divisor or a little more, which
// the next quotient limb absorbs (it may pass B a little), so every
// remainder stays at zero or above.
//
// The products are not carried as they are subtracted: w starts as the
// dividend's limbs and each limb takes its products whole, four limbs to a
// vector; the remainder is carried once at the end. Only the top of the
// running remainder is needed as the division goes: Y, its limbs from
// j + nb - 1 up as one exact integer (computed modulo 2^64: its true value
// fits), and the two limbs below it. Those are read two steps ahead and get
// the products of the two steps between here, so that the next estimate
// waits only for Y and the digit.
template <class K>
NAGYSZAM_INLINED Lengths DivideLong(const NemNegEgesz& a, int na, const NemNegEgesz& b, int nb,
                                    NemNegEgesz& q, NemNegEgesz& r) noexcept {
  // Eight zero slots below each number, and four more above v (above w
  // only for the carry of a near remainder, which reads limb na).
  alignas(32) std::uint64_t below_w[8 + kRoom], below_v[8 + kRoom], digit[kRoom];
  std::uint64_t *const w = below_w + 8, *const v = below_v + 8;
  std::memset(below_w, 0, 8 * sizeof *w);
  std::memset(below_v, 0, 8 * sizeof *v);
  K::ToLimbs(a.data(), na, w);
  K::ToLimbs(b.data(), nb, v);
  std::memset(v + (nb + 3) / 4 * 4, 0, 4 * sizeof *v);
  // a and b are read: q takes each quotient limb's cells as it comes, in
  // the time the step waits for the next estimate.
  K::Clear(q.data());
  const double divisor_top = DivisorTop<K>(v[nb - 1], v[nb - 2], v[nb - 3]);
  const double inverse = 1 / divisor_top;
  const double y_weight = kB * kB * inverse, w2_weight = kB * inverse;
  const auto v2 = static_cast<std::int64_t>(v[nb - 1] * kBase + v[nb - 2]);
  const auto v3 = static_cast<std::int64_t>(v[nb - 3]), v4 = static_cast<std::int64_t>(v[nb - 4]);
  // In the estimate, the two limbs below Y lose digit * (v3, v4) in the
  // step that makes the digit and last_digit * (v4, v5) in the step after.
  const double weight = MulAdd<K>(static_cast<double>(v3), w2_weight, v4 * inverse);
  const double last_weight =
      MulAdd<K>(static_cast<double>(v4), w2_weight, Real(v[nb - 5]) * inverse);
  const int nq = na - nb + 1;
  auto y = static_cast<std::int64_t>(w[na - 1]);
  auto w2 = static_cast<std::int64_t>(w[na - 2]);
  // Limbs j + nb - 3 and j + nb - 4 of w, read before step j + 1 takes its
  // products (and so before step j's).
  auto low2 = static_cast<std::int64_t>(w[na - 3]), low3 = static_cast<std::int64_t>(w[na - 4]);
  // The first estimate by its own division, beside the one for the
  // inverse rather than after it.
  double estimate = FirstEstimate<K>(y, w2, low2, divisor_top);
  double last = 0;  // the last estimate, at or above zero
  std::int64_t last_digit = 0;
  std::uint64_t largest = 0;
  for (int j = nq - 1; j >= 0; --j) {
    last = std::max(estimate, 0.0);
    const auto d = static_cast<std::int64_t>(last);
    digit[j] = static_cast<std::uint64_t>(d);
    largest = std::max(largest, digit[j]);
    Store(q.data(), j, LimbToWord(digit[j]));  // wrong cells for B or more: rewritten below
    const double lower = MulAdd<K>(static_cast<double>(low2), w2_weight,
                                   MulAdd<K>(static_cast<double>(low3), inverse, -kMargin)) -
                         static_cast<double>(last_digit) * last_weight;
    const std::int64_t next2 = low2 - last_digit * v4;
    low2 = static_cast<std::int64_t>(w[j + nb - 4]);
    low3 = static_cast<std::int64_t>(w[j + nb - 5]);
    K::SubtractProducts(w, j, static_cast<std::uint64_t>(d), v, nb);
    y = static_cast<std::int64_t>(static_cast<std::uint64_t>(y) * kBase +
                                  static_cast<std::uint64_t>(w2) -
                                  static_cast<std::uint64_t>(d) * static_cast<std::uint64_t>(v2));
    w2 = next2 - d * v3;
    last_digit = d;
    estimate =
        MulAdd<K>(static_cast<double>(y), y_weight, MulAdd<K>(-std::floor(last), weight, lower));
  }
  // The remainder is w carried. Below the divisor, it has nb limbs, and
  // the limbs of w above cancel out: the low nb carried modulo B^nb are the
  // remainder. Each column is shifted up by 2^31 B and down by 2^31 in the
  // one above, so that every column is at or above zero: a limb taken low
  // leaves a remainder below (1 + 2^-11) times the divisor, so a quotient
  // limb stays below B + 2^-11 B + 1, and a limb of w, which takes at most
  // 16 products, stays above -1.61 * 10^17 > -2^31 B.
  //
  // The last limb taken low by one leaves a remainder of the divisor or
  // more, possible only when its estimate lay just below a whole number:
  // that remainder (below 10^256) may need one more limb, and is corrected.
  const bool near = Near(last);
  Lengths lengths{};
  bool corrected = false;
  if (!near && nb <= 4) {
    // Not near: the remainder is below the divisor. Limb nb - 4 (limb 0
    // when it is used) took only step 0's products.
    lengths.remainder = SmallRemainder<K>(y, w2, low2 - last_digit * v4, nb, r);
  } else {
    if (near) std::memset(w + (na + 3) / 4 * 4, 0, 4 * sizeof *w);
    lengths.remainder = K::Carry(w, near ? std::min(na + 1, kCount) : nb, kShift, r.data());
  }
  if (near) {
    NemNegEgesz divisor;
    K::FromLimbs(v, nb, divisor.data());
    if (const kernels::Outcome less = K::Subtract(r.data(), divisor.data(), r.data()); !less.over) {
      lengths.remainder = less.length;
      largest = std::max(largest, ++digit[0]);
      corrected = true;
    }
  }
  // When q and r are one object it holds r. Quotient limbs of B or more
  // (after a limb taken low) carry on.
  if (&q == &r) return lengths;
  if (largest >= kBase) {
    lengths.quotient = K::Carry(digit, nq, 0, q.data());
    return lengths;
  }
  if (corrected) Store(q.data(), 0, LimbToWord(digit[0]));
  // Each quotient limb's cells are in q now: the length comes from them
  // rather than from converting the top limb again at the end.
  int top = nq - 1;
  while (top > 0 && digit[top] == 0) --top;
  lengths.quotient = WordLength(kernels::Load(q.data(), top), top);
  return lengths;
}

// A dividend of as many limbs as the divisor, n >= 3: one quotient limb,
// the long division's first estimate, exact when not near a whole number;
// the remainder a - digit * b carried in the pass that takes the products.
// Returns false (nothing written) when near.
template <class K>
NAGYSZAM_INLINED bool DivideOnce(const NemNegEgesz& a, const NemNegEgesz& b, int n, NemNegEgesz& q,
                                 NemNegEgesz& r, Lengths& lengths) noexcept {
  // The estimate from the top three limbs of each; the kernel converts the
  // rest as it subtracts.
  const auto limb = [n](const NemNegEgesz& x, int below) { return LimbAt(x.data(), n - below); };
  const double divisor_top = DivisorTop<K>(limb(b, 1), limb(b, 2), limb(b, 3));
  const auto top = [&](int below) { return static_cast<std::int64_t>(limb(a, below)); };
  const double estimate = std::max(FirstEstimate<K>(top(1), top(2), top(3), divisor_top), 0.0);
  if (Near(estimate)) return false;
  const auto digit = static_cast<std::uint64_t>(estimate);
  // The kernel reads a and b before it writes r, and q comes after: when q
  // and r are one object it holds r.
  lengths.remainder = K::SubtractMultiple(a.data(), b.data(), digit, n, r.data());
  if (&q != &r) {
    const std::uint64_t quotient[1] = {digit};
    lengths.quotient = K::FromLimbs(quotient, 1, q.data());
  }
  return true;
}

// q, r = a / b, a % b for lengths ca >= cb >= 1. The lengths of q and r
// are returned when asked to measure; otherwise they may be zero.
template <class K>
NAGYSZAM_INLINED Lengths Divide(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb,
                                NemNegEgesz& q, NemNegEgesz& r, bool measure) noexcept {
  Lengths lengths{};
  const int na = (ca + 7) / 8, nb = (cb + 7) / 8;
  Binary binary{};
  // Up to 40 digits the shapes the first two binary ways leave cost the
  // long division less.
  if ((ca <= 38 && cb <= 19 && DivideBinary<K>(a, na, b, binary)) ||
      ((ca <= 38 || (ca <= 40 && cb >= 9 && cb <= 30)) && DivideLonger<K>(a, ca, b, cb, binary)) ||
      (ca > 40 && ca <= 70 && cb >= 9 && cb <= 38 && ca - cb <= 37 &&
       DivideFourWords<K>(a, ca, b, cb, binary))) {
    return StoreBinary<K>(binary, measure, q, r);
  }
  if (nb == 1) {
    alignas(32) std::uint64_t d[4];
    K::ToLimbs(b.data(), 1, d);
    return DivideShort<K>(a, na, d[0], q, r);
  }
  // Below nine limbs the long division's few steps cost less.
  if (cb <= 18 && na > 8 && DivideMedium<K>(a, na, b, nb, q, r, lengths)) return lengths;
  if (na == nb && nb >= 3 && DivideOnce<K>(a, b, nb, q, r, lengths)) return lengths;
  return DivideLong<K>(a, na, b, nb, q, r);
}

}  // namespace nagyszam::limbs
