// Multiplication and division on limbs of eight decimal digits (base 10^8),
// one limb per word of eight cells, written once for both kernel sets: K
// supplies the scans and the conversions, and the loops here compile for
// K's instruction set. Every number's work is bounded by its used limbs.
// Internal to the library.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam::limbs {

constexpr int kCount = kernels::kWords;  // limbs of a number
constexpr int kRoom = 36;                // 33 limbs (a number times 10^7) rounded up to 4
constexpr std::uint32_t kBase = 100'000'000;
using Limbs = std::array<std::uint32_t, kRoom>;

// Eight cells, units in the low byte, as one number: pairs, then
// quadruples, then the whole, each step a multiply-add on packed lanes. With
// bytes up to 255 each lane stays below its width (2805, 283305, 2.8e9).
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

// The way back, four digits at a time from a table.
constexpr std::uint64_t LimbToWord(std::uint32_t v) noexcept {
  return kQuads[v % 10000] | std::uint64_t{kQuads[v / 10000 % 10000]} << 32;
}

static_assert(WordToLimb(0x0908070605040302) == 98765432);
static_assert(WordToLimb(0xFFFFFFFFFFFFFFFF) == 255u * 11111111u);
static_assert(LimbToWord(98765432) == 0x0908070605040302);

// p = sum over the digits b_i of b of (a * b_i) shifted by i cells, where a
// partial product that loses its final carry, a shift that would pass cell
// 255 and a sum that needs a 257th digit each set Hiba and keep what they
// have: the carry is dropped, the partial product is added unshifted, the
// sum keeps its low 256 digits. For products past 256 digits.
void MultiplyByPasses(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept;

// product = the nc column sums carried into limbs; returns their count, or
// -1 when they need more than 32. Each column is low + mid * B + top * B^2
// with top at most 16: the parts split independently and only a carry of at
// most 2 runs along.
inline int Normalise(const std::uint64_t* column, int nc, std::uint32_t* product) noexcept {
  std::uint32_t carry = 0, mid1 = 0, top1 = 0, top2 = 0;  // mid and top of the columns below
  for (int k = 0; k < nc; ++k) {
    const std::uint64_t upper = column[k] / kBase;
    const auto low = static_cast<std::uint32_t>(column[k] - upper * kBase);
    const std::uint32_t s = low + mid1 + top2 + carry;
    carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
    product[k] = s - carry * kBase;
    top2 = top1;
    mid1 = static_cast<std::uint32_t>(upper % kBase);
    top1 = static_cast<std::uint32_t>(upper / kBase);
  }
  const std::uint32_t s = mid1 + top2 + carry;
  carry = (s >= kBase ? 1u : 0u) + (s >= 2 * kBase ? 1u : 0u);
  product[nc] = s - carry * kBase;
  // Limb nc + 1 (top1 + carry) is zero: the product is below B^(nc + 1).
  if (nc < kCount) return nc + 1;
  return product[kCount] == 0 ? kCount : -1;
}

template <class K>
void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  const int na = (K::Length(a.data()) + 7) / 8;
  const int nb = (K::Length(b.data()) + 7) / 8;
  if (na == 0 || nb == 0) {
    p = Nulla;
    return;
  }
  // With na + nb - 1 > 32 the top limbs alone make at least 10^256. A
  // product that fits is what the pass rules build too: none of them fires.
  if (na + nb - 1 <= kCount) {
    // b's limbs with four zeros below and at least three above.
    alignas(16) std::uint32_t lb[4 + kRoom + 4];
    std::memset(lb, 0, 16);
    Limbs la, product;
    K::ToLimbs(a.data(), na, la.data());
    K::ToLimbs(b.data(), nb, lb + 4);
    std::memset(lb + 4 + (nb + 3) / 4 * 4, 0, 16);
    std::uint64_t column[kRoom];
    K::Columns(la.data(), na, lb + 4, nb, column);
    const int n = Normalise(column, na + nb - 1, product.data());
    if (n >= 0) {
      K::FromLimbs(product.data(), n, p.data(), kCount);
      return;
    }
  }
  MultiplyByPasses(a, b, p);
}

// Division by a d below kBase of numbers below d * kBase: a multiply by the
// rounded-up reciprocal and a shift give the exact quotient, since with
// n < 2^54 and d at most 2^bits the rounding error times n stays below
// 2^(54 + bits).
constexpr int kDividendBits = 54;
static_assert(std::uint64_t{kBase} * kBase < std::uint64_t{1} << kDividendBits);
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

constexpr bool DivisionExact(std::uint64_t d) noexcept {
  const Divisor by = MakeDivisor(d);
  for (const std::uint64_t n :
       {std::uint64_t{0}, d - 1, d, d * kBase - 1, d * (kBase - 1) + d / 2}) {
    std::uint64_t rest = 0;
    if (Divide(n, by, rest) != n / d || rest != n % d) return false;
  }
  return true;
}
static_assert(DivisionExact(1) && DivisionExact(7) && DivisionExact(kBase - 1) &&
              DivisionExact((1 << 26) + 1));

// Floor division by the base for signed limbs below 10^18 in size, without
// a branch on the sign: shifted up by kShift bases, the division is unsigned.
constexpr std::int64_t kShift = std::int64_t{1} << 34;
constexpr std::int64_t FloorCarry(std::int64_t t) noexcept {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(t + kShift * kBase) / kBase) - kShift;
}
static_assert(FloorCarry(-1) == -1 && FloorCarry(-100000000) == -1 && FloorCarry(99999999) == 0);
static_assert(FloorCarry(-1000000000000000000) == -10000000000 && FloorCarry(100000000) == 1);

// Carries x[0..n) into limbs 0..kBase-1; returns the signed carry out.
inline std::int64_t Carry(std::int64_t* x, int n) noexcept {
  std::int64_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const std::int64_t t = x[i] + carry;
    carry = FloorCarry(t);
    x[i] = t - carry * kBase;
  }
  return carry;
}

// x += sign * v over n carried limbs; returns the carry out (-1, 0 or 1).
inline std::int64_t AddSigned(std::int64_t* x, const std::uint32_t* v, int n, int sign) noexcept {
  std::int64_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const std::int64_t t = x[i] + sign * std::int64_t{v[i]} + carry;
    carry = t < 0 ? -1 : t >= kBase ? 1 : 0;
    x[i] = t - carry * kBase;
  }
  return carry;
}

// Whether carried limbs x[0..n) are at least v[0..n).
inline bool NotBelow(const std::int64_t* x, const std::uint32_t* v, int n) noexcept {
  for (int i = n - 1; i >= 0; --i) {
    if (x[i] != v[i]) return x[i] > v[i];
  }
  return true;
}

// Limbs of x * 10^s (s in 0..7), n of them: the cells read s places up
// from a copy with zeros below and above.
template <class K>
void ShiftedLimbs(const NemNegEgesz& x, int s, int n, std::uint32_t* out) noexcept {
  alignas(32) std::uint8_t cells[8 * kRoom];
  std::memset(cells, 0, 8);
  std::memset(cells + 8 * kCount, 0, 8 * (kRoom - kCount));
  std::memcpy(cells + s, x.data(), x.size());
  K::ToLimbs(cells, n, out);
}

// q, r = a / b, a % b for b of ca and cb > 8 used cells.
//
// Both are first multiplied by the power of ten that gives b's top limb
// eight digits, so two divisor limbs fix a quotient limb to within one.
// The running remainder's limbs then take whole products and are carried
// only once at the end: an estimate that is one off leaves a remainder just
// outside 0..b, which the next estimate absorbs (its quotient limb may be
// -1 or kBase) and a last step corrects. The limbs are below 10^8 whatever
// the cells hold, so every bound below holds for any bytes.
template <class K>
void DivideLong(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb, NemNegEgesz& q,
                NemNegEgesz& r) noexcept {
  const int s = 7 - (cb - 1) % 8;
  const int nb = (cb + s) / 8;
  const int na = std::max((ca + s + 7) / 8, nb);
  Limbs v, ua;
  ShiftedLimbs<K>(b, s, nb, v.data());
  ShiftedLimbs<K>(a, s, na, ua.data());
  std::int64_t u[kRoom];
  for (int i = 0; i < na; ++i) u[i] = ua[i];
  u[na] = 0;

  const double inverse =
      1.0 / (static_cast<double>(v[nb - 1]) * kBase + static_cast<double>(v[nb - 2]));
  std::int64_t digit[kRoom];
  for (int j = na - nb; j >= 0; --j) {
    std::int64_t* window = u + j;
    // Independent products, so the sum waits for one multiply only.
    const double top = static_cast<double>(window[nb]) * (double{kBase} * kBase) +
                       static_cast<double>(window[nb - 1]) * kBase +
                       static_cast<double>(window[nb - 2]);
    const double estimate = top * inverse;
    auto qj = static_cast<std::int64_t>(estimate);
    // Truncation is the floor except below zero.
    if (estimate < 0 && static_cast<double>(qj) != estimate) --qj;
    // Products below 2 * 10^16 each; a limb takes at most 32 of them. The
    // factor fits 32 bits, so the products are 32 by 32 bits.
    const auto m = static_cast<std::uint32_t>(qj >= 0 ? qj : -qj);
    if (qj >= 0) {
      for (int i = 0; i < nb; ++i) window[i] -= static_cast<std::int64_t>(std::uint64_t{m} * v[i]);
    } else {
      for (int i = 0; i < nb; ++i) window[i] += static_cast<std::int64_t>(std::uint64_t{m} * v[i]);
    }
    // The remainder is below 2b now, so its top limb folds into the next.
    window[nb - 1] += window[nb] * kBase;
    window[nb] = 0;
    digit[j] = qj;
  }

  // Remainder into 0..b, the quotient following.
  const int nq = na - nb + 1;
  std::int64_t over = Carry(u, nb);
  while (over < 0) {
    over += AddSigned(u, v.data(), nb, 1);
    --digit[0];
  }
  while (over > 0 || NotBelow(u, v.data(), nb)) {
    over += AddSigned(u, v.data(), nb, -1);
    ++digit[0];
  }
  Carry(digit, nq);
  Limbs quotient, remainder;
  for (int i = 0; i < nq; ++i) quotient[i] = static_cast<std::uint32_t>(digit[i]);
  for (int i = 0; i < nb; ++i) remainder[i] = static_cast<std::uint32_t>(u[i]);
  // The remainder times 10^s: its cells from s up.
  alignas(32) std::uint8_t cells[8 * kRoom];
  K::FromLimbs(remainder.data(), nb, cells, kRoom);
  K::FromLimbs(quotient.data(), nq, q.data(), kCount);
  std::memcpy(r.data(), cells + s, r.size());
}

// q = u / d over the n limbs of u; returns the remainder.
inline std::uint32_t DivideBySmall(const std::uint32_t* u, int n, std::uint32_t d,
                                   std::uint32_t* q) noexcept {
  const Divisor by = MakeDivisor(d);
  std::uint64_t rest = 0;
  for (int k = n - 1; k >= 0; --k) {
    q[k] = static_cast<std::uint32_t>(Divide(rest * kBase + u[k], by, rest));
  }
  return static_cast<std::uint32_t>(rest);
}

template <class K>
void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r) noexcept {
  const int cb = K::Length(b.data());
  if (cb == 0) {
    Hiba = true;
    q = Nulla;
    r = Nulla;
    return;
  }
  const int ca = K::Length(a.data());
  if (cb > 8) {
    DivideLong<K>(a, ca, b, cb, q, r);
    return;
  }
  // A one-limb divisor (at least 1, since its word is not zero): short
  // division, which also gives q = 0, r = a for a < b.
  const int na = (ca + 7) / 8;
  Limbs la, lb, lq;
  K::ToLimbs(a.data(), na, la.data());
  K::ToLimbs(b.data(), 1, lb.data());
  const std::uint32_t rest = DivideBySmall(la.data(), na, lb[0], lq.data());
  K::FromLimbs(lq.data(), na, q.data(), kCount);
  K::FromLimbs(&rest, 1, r.data(), kCount);
}

}  // namespace nagyszam::limbs
