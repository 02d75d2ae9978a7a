// Shared by the AVX2 kernel files: 32 cells to a vector, eight vectors to a
// number. Built for x86-64 with GCC or clang and run only when the CPU has
// AVX2 (cells.h). Internal to the library.
#pragma once

#include "numbers/cells.h"

#if NAGYSZAM_AVX2
#include <immintrin.h>

#define NAGYSZAM_TARGET __attribute__((target("avx2")))
// Multiply and DivMod inline the shared limb code, which then compiles for
// AVX2 too.
#define NAGYSZAM_TARGET_ALL __attribute__((target("avx2,bmi2,fma"), flatten))

namespace nagyszam::kernels::avx2 {

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

// The byte masks of two vectors as one 64-bit mask.
NAGYSZAM_TARGET inline std::uint64_t Bits(__m256i low, __m256i high) noexcept {
  return Bits(low) | std::uint64_t{Bits(high)} << 32;
}

NAGYSZAM_TARGET inline bool Any(__m256i v) noexcept {
  return _mm256_testz_si256(v, v) == 0;
}

// A vector of four equal 64-bit lanes, in memory.
struct alignas(32) Lanes {
  std::uint64_t lane[4];
};

// The limb kernels' constants (avx2_constants.cpp). They live in a file of
// their own so that the kernels read them: a constant GCC can see it builds
// from an immediate, three instructions at every use, where a read folds
// into the instruction that takes it.
struct LimbConstants {
  Lanes by_ten_thousand, less_ten_thousand, by_hundred, less_hundred, by_ten, less_ten;
  Lanes pair_weights, quad_weights, low_halves, ten_thousand;
  Lanes base, largest, reciprocal_down, reciprocal_up;
};
extern const LimbConstants kLimb;

NAGYSZAM_TARGET inline __m256i Read(const Lanes& x) noexcept {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(x.lane));
}

// Vectors from..7 of x set to value, and vectors 0..to-1: straight-line
// stores, where a loop would become a slow-starting memset.
// clang-format off
NAGYSZAM_TARGET inline void FillFrom(std::uint8_t* x, int from, __m256i value) noexcept {
  switch (from) {
    case 0: StoreV(x, 0, value); [[fallthrough]];
    case 1: StoreV(x, 1, value); [[fallthrough]];
    case 2: StoreV(x, 2, value); [[fallthrough]];
    case 3: StoreV(x, 3, value); [[fallthrough]];
    case 4: StoreV(x, 4, value); [[fallthrough]];
    case 5: StoreV(x, 5, value); [[fallthrough]];
    case 6: StoreV(x, 6, value); [[fallthrough]];
    case 7: StoreV(x, 7, value); [[fallthrough]];
    default: break;
  }
}

NAGYSZAM_TARGET inline void FillBelow(std::uint8_t* x, int to, __m256i value) noexcept {
  switch (to) {
    case 8: StoreV(x, 7, value); [[fallthrough]];
    case 7: StoreV(x, 6, value); [[fallthrough]];
    case 6: StoreV(x, 5, value); [[fallthrough]];
    case 5: StoreV(x, 4, value); [[fallthrough]];
    case 4: StoreV(x, 3, value); [[fallthrough]];
    case 3: StoreV(x, 2, value); [[fallthrough]];
    case 2: StoreV(x, 1, value); [[fallthrough]];
    case 1: StoreV(x, 0, value); [[fallthrough]];
    default: break;
  }
}
// clang-format on

// What a scan looks at in vector v of x and y: x alone, or x | y (non-zero
// where either is).
enum class Scan { kOne, kEither };

template <Scan kScan>
NAGYSZAM_TARGET inline __m256i Scanned(const std::uint8_t* x, const std::uint8_t* y,
                                       int v) noexcept {
  if constexpr (kScan == Scan::kOne) return LoadV(x, v);
  return _mm256_or_si256(LoadV(x, v), LoadV(y, v));
}

// The number of vectors up to the highest non-zero scanned one: a binary
// search, so short numbers skip their zeros fast.
template <Scan kScan>
NAGYSZAM_TARGET inline int UsedVectors(const std::uint8_t* x, const std::uint8_t* y) noexcept {
  const auto vector = [x, y](int v) NAGYSZAM_TARGET { return Scanned<kScan>(x, y, v); };
  if (Any(vector(7))) return 8;  // a full-length number, at once
  const __m256i top_pair = _mm256_or_si256(vector(6), vector(7));
  if (Any(_mm256_or_si256(_mm256_or_si256(vector(4), vector(5)), top_pair))) {
    if (Any(top_pair)) return Any(vector(7)) ? 8 : 7;
    return Any(vector(5)) ? 6 : 5;
  }
  if (Any(_mm256_or_si256(vector(2), vector(3)))) return Any(vector(3)) ? 4 : 3;
  if (Any(vector(1))) return 2;
  return Any(vector(0)) ? 1 : 0;
}

// Cells up to the highest non-zero one, when that is in vector n - 1 and
// top is that vector; 32n - 32 when top is zero.
NAGYSZAM_TARGET inline int LengthAt(__m256i top, int n) noexcept {
  const std::uint32_t zero = Bits(_mm256_cmpeq_epi8(top, _mm256_setzero_si256()));
  return 32 * n - std::countl_zero(~zero);
}

// Cells up to the highest non-zero one in vectors below n, where vector
// n - 1 is the highest non-zero one (or n is 0).
NAGYSZAM_TARGET inline int LengthIn(const std::uint8_t* x, int n) noexcept {
  return n == 0 ? 0 : LengthAt(LoadV(x, n - 1), n);
}

// p = a * b for numbers not both of one vector: the shared limb code,
// compiled for AVX2. Returns p's length.
int LongProduct(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept;

// The same, writing p's top cell to top as well: a call of its own, so that
// the callers' short ways keep no stack frame (with the wrap there the
// signed short product was 10% slower), and apart from the one above, so
// that the unsigned long product carries no pointer through its work (2%
// slower).
int LongProduct(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
                std::uint8_t* top) noexcept;

}  // namespace nagyszam::kernels::avx2

#endif
