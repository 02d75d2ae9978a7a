#include "numbers/numbers.h"

#include "numbers/cells.h"

namespace nagyszam {

bool Hiba = false;

bool TakeHiba() noexcept {
  const bool was = Hiba;
  Hiba = false;
  return was;
}

void StartNumbers() noexcept {
  Hiba = false;
}

#if NAGYSZAM_AVX2
namespace {

bool CpuHasAvx2() noexcept {
  // Also checks that the system saves the vector registers. The limb code
  // takes BMI2 and FMA with it, which every AVX2 processor so far has.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") &&
         __builtin_cpu_supports("fma");
}

bool CpuHasAvx512() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

bool CpuHasIfma() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512ifma");
}

}  // namespace

// Operations run before this is set (other static initialisers) take the
// portable kernels, which give the same results.
bool kernels::use_avx2 = CpuHasAvx2();
bool kernels::use_avx512 = kernels::use_avx2 && CpuHasAvx512();
bool kernels::use_ifma = kernels::use_avx512 && CpuHasIfma();
#endif

}  // namespace nagyszam
