// Numbers as 32 limbs of eight decimal digits (base 10^8), one limb per
// word of digit cells, for the operations whose digit-by-digit cost grows
// with the square of the length. Internal to the library.
#pragma once

#include <array>
#include <cstdint>

#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam::limbs {

constexpr int kCount = cells::kWords;
constexpr std::uint32_t kBase = 100'000'000;
using Limbs = std::array<std::uint32_t, kCount>;

// Eight digits, units in the low byte, as one number: pairs, then
// quadruples, then the whole, each step a multiply-add on packed lanes.
constexpr std::uint32_t WordToLimb(std::uint64_t w) noexcept {
  w = (w & 0x00FF00FF00FF00FF) + ((w >> 8) & 0x00FF00FF00FF00FF) * 10;
  w = (w & 0x0000FFFF0000FFFF) + ((w >> 16) & 0x0000FFFF0000FFFF) * 100;
  return static_cast<std::uint32_t>((w & 0xFFFFFFFF) + (w >> 32) * 10000);
}

// The digits of every number below 10^4, units in the low byte.
inline constexpr std::array<std::uint32_t, 10000> kQuads = [] {
  std::array<std::uint32_t, 10000> quads{};
  for (std::uint32_t x = 0; x < 10000; ++x) {
    quads[x] = x % 10 | (x / 10 % 10) << 8 | (x / 100 % 10) << 16 | (x / 1000) << 24;
  }
  return quads;
}();

// The way back, four digits at a time from a table: cheaper than dividing
// out each digit.
constexpr std::uint64_t LimbToWord(std::uint32_t v) noexcept {
  return kQuads[v % 10000] | std::uint64_t{kQuads[v / 10000]} << 32;
}

static_assert(WordToLimb(0x0908070605040302) == 98765432);
static_assert(LimbToWord(98765432) == 0x0908070605040302);
static_assert(LimbToWord(kBase - 1) == 9 * cells::kOnes && LimbToWord(0) == 0);

// Significant limbs: 0 for zero.
constexpr int Length(const Limbs& x) noexcept {
  int n = kCount;
  while (n > 0 && x[n - 1] == 0) --n;
  return n;
}

// Converts only the words up to the top digit; returns the limb count, 0
// for zero. The limbs above are zero.
inline int ToLimbs(const NemNegEgesz& x, Limbs& out) noexcept {
  int n = kCount;
  while (n > 0 && cells::Load(x, n - 1) == 0) --n;
  for (int i = 0; i < n; ++i) out[i] = WordToLimb(cells::Load(x, i));
  for (int i = n; i < kCount; ++i) out[i] = 0;
  return n;
}

// Writes the low n limbs and clears every cell above them.
inline void FromLimbs(const Limbs& x, int n, NemNegEgesz& out) noexcept {
  for (int i = 0; i < n; ++i) cells::Store(out, i, LimbToWord(x[i]));
  for (int i = n; i < kCount; ++i) cells::Store(out, i, 0);
}

inline void FromLimbs(const Limbs& x, NemNegEgesz& out) noexcept {
  FromLimbs(x, kCount, out);
}

// Splits a product below kBase^2 into limbs without a dependent division
// chain: every product splits on its own, only a 0-or-1 carry runs along.
struct Split {
  std::uint32_t low, high;
};
constexpr Split SplitProduct(std::uint64_t p) noexcept {
  const auto high = static_cast<std::uint32_t>(p / kBase);
  return {static_cast<std::uint32_t>(p - std::uint64_t{high} * kBase), high};
}

// Division by a fixed divisor d below kBase of numbers below d * kBase,
// through a floating-point reciprocal: the estimate is off by at most one
// and an exact remainder test corrects it.
struct Divisor {
  std::uint64_t d;
  double inverse;
};
constexpr Divisor MakeDivisor(std::uint64_t d) noexcept {
  return {d, 1.0 / static_cast<double>(d)};
}

inline std::uint64_t Divide(std::uint64_t n, const Divisor& by, std::uint64_t& rest) noexcept {
  // Through int64: the signed conversions are single instructions.
  auto q = static_cast<std::uint64_t>(
      static_cast<std::int64_t>(static_cast<double>(static_cast<std::int64_t>(n)) * by.inverse));
  auto r = static_cast<std::int64_t>(n - q * by.d);
  if (r < 0) {
    --q;
    r += static_cast<std::int64_t>(by.d);
  } else if (r >= static_cast<std::int64_t>(by.d)) {
    ++q;
    r -= static_cast<std::int64_t>(by.d);
  }
  rest = static_cast<std::uint64_t>(r);
  return q;
}

}  // namespace nagyszam::limbs
