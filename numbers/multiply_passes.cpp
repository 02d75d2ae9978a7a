// The long products of Multiply: one that may just fit, and the overflow
// path with every pass as the digit-by-digit method takes it, on limbs so
// that all 256 passes stay cheap. Rare, so the portable kernels serve both
// sets.
#include "numbers/multiply.h"

namespace nagyszam {

namespace {

using limbs::kBase;
using limbs::kCount;
using Row = std::array<std::uint64_t, kCount>;

constexpr std::uint32_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// partial = a * digit; returns whether a carry fell off the top.
bool ScaleByDigit(const Row& a, std::uint32_t digit, Row& partial) noexcept {
  std::uint64_t carry = 0;
  for (int i = 0; i < kCount; ++i) {
    const std::uint64_t v = std::uint64_t{a[i]} * digit + carry;
    partial[i] = v % kBase;
    carry = v / kBase;
  }
  return carry != 0;
}

// Index of the highest non-zero digit cell, 0 for zero.
int TopCell(const Row& x) noexcept {
  int n = kCount;
  while (n > 1 && x[n - 1] == 0) --n;  // zero: limb 0, one digit
  int digits = 1;
  while (digits < 8 && x[n - 1] >= kPowers[digits]) ++digits;
  return 8 * (n - 1) + digits - 1;
}

// x = x * 10^n, or false (x untouched) when a digit would pass cell 255.
bool Shift(Row& x, int n) noexcept {
  if (TopCell(x) + n > MaxIndex) return false;
  const int whole = n / 8;
  const std::uint32_t scale = kPowers[n % 8];
  std::uint64_t carry = 0;
  for (int i = 0; i < kCount - whole; ++i) {
    const std::uint64_t v = std::uint64_t{x[i]} * scale + carry;
    x[i] = v % kBase;
    carry = v / kBase;
  }
  for (int i = kCount - 1; i >= whole; --i) x[i] = x[i - whole];
  for (int i = 0; i < whole; ++i) x[i] = 0;
  return true;
}

// sum = sum + x modulo 10^256; returns whether it wrapped.
bool Accumulate(Row& sum, const Row& x) noexcept {
  std::uint64_t carry = 0;
  for (int i = 0; i < kCount; ++i) {
    const std::uint64_t v = sum[i] + x[i] + carry;
    carry = v >= kBase ? 1 : 0;
    sum[i] = v - carry * kBase;
  }
  return carry != 0;
}

}  // namespace

int limbs::WideProduct(const NemNegEgesz& a, int na, const NemNegEgesz& b, int nb,
                       NemNegEgesz& p) noexcept {
  Limbs la, lb, product;
  kernels::Portable::ToLimbs(a.data(), na, la.data());
  kernels::Portable::ToLimbs(b.data(), nb, lb.data());
  std::uint64_t column[kRoom] = {};
  for (int i = 0; i < na; ++i) {
    for (int j = 0; j < nb; ++j) column[i + j] += la[i] * lb[j];
  }
  if (Normalise(column, na + nb - 1, product.data()) < 0) return -1;
  return kernels::Portable::FromLimbs(product.data(), kCount, p.data());
}

void limbs::MultiplyByPasses(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  Row la{};
  kernels::Portable::ToLimbs(a.data(), kCount, la.data());
  Row sum{};
  bool failed = false;
  // p is written only at the end, so it may be a or b.
  for (int i = 0, top = TopIndex(b); i <= top; ++i) {
    // A zero digit's partial product is zero: it shifts and adds nothing.
    if (b[i] == 0) continue;
    Row partial;
    failed |= ScaleByDigit(la, b[i], partial);
    failed |= !Shift(partial, i);
    failed |= Accumulate(sum, partial);
  }
  kernels::Portable::FromLimbs(sum.data(), kCount, p.data());
  if (failed) Hiba = true;
}

}  // namespace nagyszam
