// The limb kernels' constants, out of sight of the files that use them (see
// avx2.h).
#include "numbers/avx2.h"

#if NAGYSZAM_AVX2

#include "numbers/limbs.h"

namespace nagyszam::kernels::avx2 {

namespace {

constexpr Lanes Splat64(std::uint64_t x) noexcept {
  return {{x, x, x, x}};
}
constexpr Lanes Splat32(std::uint32_t x) noexcept {
  return Splat64(x | std::uint64_t{x} << 32);
}
constexpr Lanes Splat16(std::uint16_t x) noexcept {
  return Splat32(x | std::uint32_t{x} << 16);
}

constexpr std::uint64_t kBase = limbs::kBase;

}  // namespace

const LimbConstants kLimb = {
    // Limbs to cells: each split x = h * 10^k + l by a reciprocal rounded
    // up, and h moved up as x + h * (2^bits - 10^k).
    .by_ten_thousand = Splat32(0xD1B71759u),  // 2^45 / 10^4
    .less_ten_thousand = Splat32(-10000u),    // 2^32 - 10^4
    .by_hundred = Splat32(5243),              // 2^19 / 100
    .less_hundred = Splat32(65536 - 100),
    .by_ten = Splat16(6554),  // 2^16 / 10
    .less_ten = Splat16(256 - 10),
    // Cells to limbs: pairs, quadruples, whole.
    .pair_weights = Splat16(10 << 8 | 1),
    .quad_weights = Splat32(100 << 16 | 1),
    .low_halves = Splat64(0xFFFFFFFF),
    .ten_thousand = Splat32(10000),
    // Carries.
    .base = Splat64(kBase),
    .largest = Splat64(kBase - 1),
    .reciprocal_down = Splat64(2882303761),  // floor(2^58 / B)
    .reciprocal_up = Splat64(2882303762),    // ceil(2^58 / B)
};

}  // namespace nagyszam::kernels::avx2

#endif
