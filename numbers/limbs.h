// Numbers as 32 limbs of eight decimal digits (base 10^8), one limb per
// word of digit cells, for the operations whose digit-by-digit cost grows
// with the square of the length. Internal to the library.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  // The second index is reduced too, so no value can read past the table.
  return kQuads[v % 10000] | std::uint64_t{kQuads[v / 10000 % 10000]} << 32;
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

// Words of digit cells to limbs and back, n at a time. With SSE2 two
// words go through the same steps as WordToLimb and LimbToWord at once, on
// 16-, 32- and 64-bit lanes.
inline void WordsToLimbs(const std::uint8_t* cells, int n, std::uint32_t* out) noexcept {
  int i = 0;
#if defined(__SSE2__)
  const __m128i low_bytes = _mm_set1_epi16(0x00FF);
  const __m128i ten = _mm_set1_epi16(10);
  const __m128i hundred_one = _mm_set1_epi32(100 << 16 | 1);
  const __m128i low_halves = _mm_set1_epi64x(0xFFFFFFFF);
  const __m128i ten_thousand = _mm_set1_epi32(10000);
  for (; i + 2 <= n; i += 2) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + 8 * i));
    const __m128i pairs =
        _mm_add_epi16(_mm_and_si128(w, low_bytes), _mm_mullo_epi16(_mm_srli_epi16(w, 8), ten));
    const __m128i quads = _mm_madd_epi16(pairs, hundred_one);
    const __m128i v = _mm_add_epi64(_mm_and_si128(quads, low_halves),
                                    _mm_mul_epu32(_mm_srli_epi64(quads, 32), ten_thousand));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i),
                     _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 1, 2, 0)));
  }
#endif
  for (; i < n; ++i) {
    std::uint64_t w;
    std::memcpy(&w, cells + 8 * i, sizeof w);
    out[i] = WordToLimb(w);
  }
}

inline void LimbsToWords(const std::uint32_t* limbs, int n, std::uint8_t* cells) noexcept {
  int i = 0;
#if defined(__SSE2__)
  const __m128i by_ten_thousand = _mm_set1_epi32(static_cast<int>(0xD1B71759u));  // 2^45 / 10^4
  const __m128i ten_thousand = _mm_set1_epi32(10000);
  const __m128i by_hundred = _mm_set1_epi32(5243);  // 2^19 / 100
  const __m128i hundred = _mm_set1_epi16(100);
  const __m128i by_ten = _mm_set1_epi16(103);  // 2^10 / 10
  const __m128i ten = _mm_set1_epi16(10);
  for (; i + 2 <= n; i += 2) {
    const __m128i v = _mm_unpacklo_epi32(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(limbs + i)), _mm_setzero_si128());
    const __m128i high4 = _mm_srli_epi64(_mm_mul_epu32(v, by_ten_thousand), 45);
    const __m128i low4 = _mm_sub_epi64(v, _mm_mul_epu32(high4, ten_thousand));
    const __m128i quads = _mm_or_si128(low4, _mm_slli_epi64(high4, 32));
    const __m128i high2 = _mm_srli_epi16(_mm_mulhi_epu16(quads, by_hundred), 3);
    const __m128i low2 = _mm_sub_epi16(quads, _mm_mullo_epi16(high2, hundred));
    const __m128i pairs = _mm_or_si128(low2, _mm_slli_epi32(high2, 16));
    const __m128i tens = _mm_srli_epi16(_mm_mullo_epi16(pairs, by_ten), 10);
    const __m128i units = _mm_sub_epi16(pairs, _mm_mullo_epi16(tens, ten));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + 8 * i),
                     _mm_or_si128(units, _mm_slli_epi16(tens, 8)));
  }
#endif
  for (; i < n; ++i) {
    const std::uint64_t w = LimbToWord(limbs[i]);
    std::memcpy(cells + 8 * i, &w, sizeof w);
  }
}

// Converts only the words up to the top digit; returns the limb count, 0
// for zero. The limbs above are zero.
inline int ToLimbs(const NemNegEgesz& x, Limbs& out) noexcept {
  int n = kCount;
  while (n > 0 && cells::Load(x, n - 1) == 0) --n;
  out.fill(0);  // whole, so the compiler stores it in a few wide moves
  WordsToLimbs(x.data(), n, out.data());
  return n;
}

// Writes the low n limbs and clears every cell above them.
inline void FromLimbs(const Limbs& x, int n, NemNegEgesz& out) noexcept {
  LimbsToWords(x.data(), n, out.data());
  for (int i = n; i < kCount; ++i) cells::Store(out, i, 0);
}

inline void FromLimbs(const Limbs& x, NemNegEgesz& out) noexcept {
  FromLimbs(x, kCount, out);
}

// Division by a fixed divisor d below kBase of numbers below d * kBase.
// Where the compiler has 128-bit products, a multiply by the rounded-up
// reciprocal and a shift give the exact quotient: with n < 2^54 and d at
// most 2^bits, the rounding error times n stays below 2^(54 + bits).
// Elsewhere a floating-point reciprocal gives it to within one and the
// remainder test corrects it.
constexpr int kDividendBits = 54;
static_assert(std::uint64_t{kBase} * kBase < std::uint64_t{1} << kDividendBits);

#if defined(__SIZEOF_INT128__)
__extension__ using Wide = unsigned __int128;

struct Divisor {
  std::uint64_t d;
  std::uint64_t magic;  // ceil(2^shift / d), below 2^55
  int shift;
};

constexpr Divisor MakeDivisor(std::uint64_t d) noexcept {
  int bits = 0;
  while ((std::uint64_t{1} << bits) < d) ++bits;
  const int shift = kDividendBits + bits;
  const Wide power = Wide{1} << shift;
  return {d, static_cast<std::uint64_t>(power / d + (power % d != 0 ? 1 : 0)), shift};
}

constexpr std::uint64_t Divide(std::uint64_t n, const Divisor& by, std::uint64_t& rest) noexcept {
  const auto q = static_cast<std::uint64_t>((Wide{by.magic} * n) >> by.shift);
  rest = n - q * by.d;
  return q;
}
#else
struct Divisor {
  std::uint64_t d;
  double inverse;
};

constexpr Divisor MakeDivisor(std::uint64_t d) noexcept {
  return {d, 1.0 / static_cast<double>(d)};
}

constexpr std::uint64_t Divide(std::uint64_t n, const Divisor& by, std::uint64_t& rest) noexcept {
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
#endif

// Spot checks of the reciprocal at the ends of its range.
constexpr bool DivisionExact(std::uint64_t d) noexcept {
  const Divisor by = MakeDivisor(d);
  for (const std::uint64_t n :
       {std::uint64_t{0}, d - 1, d, d * kBase - 1, d * kBase - d, d * (kBase - 1) + d / 2}) {
    std::uint64_t rest = 0;
    if (Divide(n, by, rest) != n / d || rest != n % d) return false;
  }
  return true;
}
static_assert(DivisionExact(1) && DivisionExact(3) && DivisionExact(7) && DivisionExact(9));
static_assert(DivisionExact(kBase - 1) && DivisionExact(1 << 26) && DivisionExact((1 << 26) + 1));

}  // namespace nagyszam::limbs
