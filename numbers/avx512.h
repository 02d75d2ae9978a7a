// Shared by the AVX-512 kernel files: 64 cells to a vector, four vectors to
// a number. Built beside the AVX2 set and run only when the CPU has AVX-512
// F and BW (cells.h). Internal to the library.
#pragma once

#include "numbers/avx2.h"

#if NAGYSZAM_AVX2

#define NAGYSZAM_TARGET512 __attribute__((target("avx512f,avx512bw,bmi2")))
// With the 52-bit multiplies (IFMA) too, for what runs only when use_ifma
// is set.
#define NAGYSZAM_TARGET_IFMA __attribute__((target("avx512f,avx512bw,bmi2,avx512ifma")))

namespace nagyszam::kernels::avx512 {

// The AVX2 set's limb kernels that it hands over when use_avx512 is set,
// for the same arguments (avx512_limbs.cpp); the kernels on cells are
// declared with the Avx512 set (cells.h).
int Product(const std::uint8_t* a, int ga, const std::uint8_t* b, int gb, std::uint8_t* p) noexcept;
int SubtractMultiple(const std::uint8_t* a, const std::uint8_t* b, std::uint64_t digit, int n,
                     std::uint8_t* cells) noexcept;

constexpr int kGroups = 4;  // of 64 cells, in a number

NAGYSZAM_TARGET512 inline __m512i LoadG(const std::uint8_t* x, int g) noexcept {
  return _mm512_loadu_si512(x + 64 * g);
}

NAGYSZAM_TARGET512 inline void StoreG(std::uint8_t* x, int g, __m512i value) noexcept {
  _mm512_storeu_si512(x + 64 * g, value);
}

// Groups from..3 of x set to value, and groups 0..to-1: straight-line
// stores, where a loop would become a slow-starting memset.
// clang-format off
NAGYSZAM_TARGET512 inline void FillFrom(std::uint8_t* x, int from, __m512i value) noexcept {
  switch (from) {
    case 0: StoreG(x, 0, value); [[fallthrough]];
    case 1: StoreG(x, 1, value); [[fallthrough]];
    case 2: StoreG(x, 2, value); [[fallthrough]];
    case 3: StoreG(x, 3, value); [[fallthrough]];
    default: break;
  }
}

NAGYSZAM_TARGET512 inline void FillBelow(std::uint8_t* x, int to, __m512i value) noexcept {
  switch (to) {
    case 3: StoreG(x, 2, value); [[fallthrough]];
    case 2: StoreG(x, 1, value); [[fallthrough]];
    case 1: StoreG(x, 0, value); [[fallthrough]];
    default: break;
  }
}

// Groups from..3 of y copied from x, the same way.
NAGYSZAM_TARGET512 inline void CopyFrom(const std::uint8_t* x, std::uint8_t* y, int from) noexcept {
  switch (from) {
    case 0: StoreG(y, 0, LoadG(x, 0)); [[fallthrough]];
    case 1: StoreG(y, 1, LoadG(x, 1)); [[fallthrough]];
    case 2: StoreG(y, 2, LoadG(x, 2)); [[fallthrough]];
    case 3: StoreG(y, 3, LoadG(x, 3)); [[fallthrough]];
    default: break;
  }
}
// clang-format on

}  // namespace nagyszam::kernels::avx512

#endif
