// Limbs of eight decimal digits (base 10^8), one limb per word of eight
// cells: the conversions both kernel sets build on, and exact division by a
// constant. Internal to the library.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam::limbs {

// The shared limb code compiles for a kernel set's instructions only where
// it is inlined into that set's functions. GCC's flatten inlines it all the
// way down; clang's only the calls written in the flattened function, so
// for clang every helper on the way is forced in.
#if defined(__clang__)
#define NAGYSZAM_INLINED [[gnu::always_inline]]
#else
#define NAGYSZAM_INLINED
#endif

constexpr int kCount = kernels::kWords;  // limbs of a number
// 33 limbs (a number times 10^7) rounded up to whole groups of four.
constexpr int kRoom = (kCount + 1 + 3) / 4 * 4;
constexpr std::uint32_t kBase = 100'000'000;
// Columns of signed limbs above -2^31 B, shifted up by kShift B and down by
// kShift in the column above, come out at or above zero (Carry).
constexpr std::uint64_t kShift = std::uint64_t{1} << 31;
// A limb to each 64-bit slot, so that vector code multiplies them in place.
using Limbs = std::array<std::uint64_t, kRoom>;

// Eight cells, units in the low byte, as one number: pairs p0..p3 by a
// multiply-add on packed lanes, then p0 + 10^4 p2 and 100 p1 + 10^6 p3 side
// by side, each as the high half of one product (p0 + 2^32 p2 times
// 2^32 + 10^4, p1 + 2^32 p3 times 100 2^32 + 10^6), one step shorter than
// quadruples first. With bytes up to 255 nothing passes its lane: a pair is
// below 2805, the low halves stay below 2^32, and so does the limb (2.8e9).
constexpr std::uint32_t WordToLimb(std::uint64_t w) noexcept {
  w = (w & 0x00FF00FF00FF00FF) + ((w >> 8) & 0x00FF00FF00FF00FF) * 10;
  const std::uint64_t even = w & 0x0000FFFF0000FFFF, odd = (w >> 16) & 0x0000FFFF0000FFFF;
  return static_cast<std::uint32_t>(((even * (std::uint64_t{1} << 32 | 10'000)) >> 32) +
                                    ((odd * (std::uint64_t{100} << 32 | 1'000'000)) >> 32));
}

// Word i of cells as a limb, as the kernels read it: bytes above 9 can make
// more than 10^8 - 1, clamped.
NAGYSZAM_INLINED inline std::uint64_t LimbAt(const std::uint8_t* cells, int i) noexcept {
  return std::min(WordToLimb(kernels::Load(cells, i)), kBase - 1);
}

// The digits of every number below 10^4, units in the low byte.
inline constexpr std::array<std::uint32_t, 10000> kQuads = [] {
  std::array<std::uint32_t, 10000> quads{};
  for (std::uint32_t x = 0; x < 10000; ++x) {
    quads[x] = x % 10 | (x / 10 % 10) << 8 | (x / 100 % 10) << 16 | (x / 1000) << 24;
  }
  return quads;
}();

// The way back, four digits at a time from a table.
constexpr std::uint64_t LimbToWord(std::uint64_t v) noexcept {
  return kQuads[v % 10000] | std::uint64_t{kQuads[v / 10000 % 10000]} << 32;
}

static_assert(WordToLimb(0x0908070605040302) == 98765432);
static_assert(WordToLimb(0xFFFFFFFFFFFFFFFF) == 255u * 11111111u);
static_assert(WordToLimb(0xFF000000FF000000) == 255u * 10001000u);
static_assert(LimbToWord(98765432) == 0x0908070605040302);

// product = the nc column sums (each below 2^58) carried into limbs;
// returns their count, or -1 when they need more than 32. Each column is
// low + mid * B + top * B^2 with top below B: the parts split independently
// and only a carry of at most 2 runs along.
NAGYSZAM_INLINED inline int Normalise(const std::uint64_t* column, int nc,
                                      std::uint64_t* product) noexcept {
  std::uint64_t carry = 0, mid1 = 0, top1 = 0, top2 = 0;  // mid and top of the columns below
  for (int k = 0; k < nc; ++k) {
    const std::uint64_t upper = column[k] / kBase;
    const std::uint64_t s = column[k] - upper * kBase + mid1 + top2 + carry;
    carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
    product[k] = s - carry * kBase;
    top2 = top1;
    mid1 = upper % kBase;
    top1 = upper / kBase;
  }
  const std::uint64_t s = mid1 + top2 + carry;
  carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
  product[nc] = s - carry * kBase;
  // Limb nc + 1 (top1 + carry) is zero: the product is below B^(nc + 1).
  if (nc < kCount) return nc + 1;
  return product[kCount] == 0 ? kCount : -1;
}

// p = sum over the digits b_i of b of (a * b_i) shifted by i cells, where a
// partial product that loses its final carry, a shift that would pass cell
// 255 and a sum that needs a 257th digit each set Hiba and keep what they
// have: the carry is dropped, the partial product is added unshifted, the
// sum keeps its low 256 digits. For products past 256 digits.
void MultiplyByPasses(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept;

__extension__ using Wide = unsigned __int128;

// x / y with x % y in rest, for x below y * 2^64 (the quotient fits 64
// bits): one hardware division on x86-64, the compiler's elsewhere; both
// exact.
NAGYSZAM_INLINED inline std::uint64_t DivideWide(Wide x, std::uint64_t y,
                                                 std::uint64_t& rest) noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
  std::uint64_t quotient = 0;
  __asm__("divq %4"
          : "=a"(quotient), "=d"(rest)
          : "a"(static_cast<std::uint64_t>(x)), "d"(static_cast<std::uint64_t>(x >> 64)), "rm"(y)
          : "cc");
  return quotient;
#else
  rest = static_cast<std::uint64_t>(x % y);
  return static_cast<std::uint64_t>(x / y);
#endif
}

// Division by a d from 2 to kBase - 1 of numbers below 2^55: the high half
// of a multiply by the rounded-up reciprocal, shifted, gives the exact
// quotient, since with n < 2^55 and d at most 2^bits the rounding error
// times n stays below 2^(55 + bits) <= 2^shift.
constexpr int kDividendBits = 55;
static_assert(2 * std::uint64_t{kBase} * kBase < std::uint64_t{1} << kDividendBits);

struct Divisor {
  std::uint64_t d;
  std::uint64_t magic;  // ceil(2^(64 + shift) / d), below 2^64
  int shift;
};

constexpr Divisor MakeDivisor(std::uint64_t d) noexcept {
  const int shift = std::max(kDividendBits + static_cast<int>(std::bit_width(d - 1)), 64) - 64;
  // One 128 by 64 bit division: the quotient fits 64 bits for d >= 2.
  const Wide power = Wide{1} << (64 + shift);
  std::uint64_t quotient = 0, rest = 0;
  if (std::is_constant_evaluated()) {
    quotient = static_cast<std::uint64_t>(power / d);
    rest = static_cast<std::uint64_t>(power % d);
  } else {
    quotient = DivideWide(power, d, rest);
  }
  return {d, quotient + (rest != 0 ? 1 : 0), shift};
}

constexpr std::uint64_t Divide(std::uint64_t n, const Divisor& by, std::uint64_t& rest) noexcept {
  const auto q = static_cast<std::uint64_t>((Wide{by.magic} * n) >> 64) >> by.shift;
  rest = n - q * by.d;
  return q;
}

constexpr bool DivisionExact(std::uint64_t d) noexcept {
  const Divisor by = MakeDivisor(d);
  constexpr std::uint64_t kLast = (std::uint64_t{1} << kDividendBits) - 1;
  for (const std::uint64_t n :
       {std::uint64_t{0}, d - 1, d, kLast, kLast / d * d, kLast / d * d - 1}) {
    std::uint64_t rest = 0;
    if (Divide(n, by, rest) != n / d || rest != n % d) return false;
  }
  return true;
}
static_assert(DivisionExact(2) && DivisionExact(7) && DivisionExact(kBase - 1) &&
              DivisionExact((1 << 26) + 1));

}  // namespace nagyszam::limbs
