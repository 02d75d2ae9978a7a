// Division on base 10^8 limbs, written once for both kernel sets: K supplies
// the scans and the conversions, and the loops here compile for K's
// instruction set. Internal to the library.
#pragma once

#include "numbers/limbs.h"

namespace nagyszam::limbs {

using kernels::Lengths;

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
inline std::int64_t AddSigned(std::int64_t* x, const std::uint64_t* v, int n, int sign) noexcept {
  std::int64_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const std::int64_t t = x[i] + sign * static_cast<std::int64_t>(v[i]) + carry;
    carry = t < 0 ? -1 : t >= kBase ? 1 : 0;
    x[i] = t - carry * kBase;
  }
  return carry;
}

// Whether carried limbs x[0..n) are at least v[0..n).
inline bool NotBelow(const std::int64_t* x, const std::uint64_t* v, int n) noexcept {
  for (int i = n - 1; i >= 0; --i) {
    const auto vi = static_cast<std::int64_t>(v[i]);
    if (x[i] != vi) return x[i] > vi;
  }
  return true;
}

// Limbs of x * 10^s (s in 0..7), n of them: the cells read s places up
// from a copy with zeros below and above.
template <class K>
void ShiftedLimbs(const NemNegEgesz& x, int s, int n, std::uint64_t* out) noexcept {
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
  for (int i = 0; i < nq; ++i) quotient[i] = static_cast<std::uint64_t>(digit[i]);
  for (int i = 0; i < nb; ++i) remainder[i] = static_cast<std::uint64_t>(u[i]);
  // The remainder times 10^s: its cells from s up.
  alignas(32) std::uint8_t cells[8 * kRoom];
  K::FromLimbs(remainder.data(), nb, cells, kRoom);
  K::FromLimbs(quotient.data(), nq, q.data(), kCount);
  std::memcpy(r.data(), cells + s, r.size());
}

// q = u / d over the n limbs of u; returns the remainder.
inline std::uint64_t DivideBySmall(const std::uint64_t* u, int n, std::uint64_t d,
                                   std::uint64_t* q) noexcept {
  const Divisor by = MakeDivisor(d);
  std::uint64_t rest = 0;
  for (int k = n - 1; k >= 0; --k) {
    q[k] = Divide(rest * kBase + u[k], by, rest);
  }
  return rest;
}

template <class K>
Lengths DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
               NemNegEgesz& r) noexcept {
  const int cb = K::Length(b.data());
  if (cb == 0) {
    Hiba = true;
    q = Nulla;
    r = Nulla;
    return {0, 0};
  }
  const int ca = K::Length(a.data());
  if (cb > 8) {
    DivideLong<K>(a, ca, b, cb, q, r);
    return {K::Length(q.data()), K::Length(r.data())};
  }
  // A one-limb divisor (at least 1, since its word is not zero): short
  // division, which also gives q = 0, r = a for a < b.
  const int na = (ca + 7) / 8;
  Limbs la, lb, lq;
  K::ToLimbs(a.data(), na, la.data());
  K::ToLimbs(b.data(), 1, lb.data());
  const std::uint64_t rest = DivideBySmall(la.data(), na, lb[0], lq.data());
  K::FromLimbs(lq.data(), na, q.data(), kCount);
  K::FromLimbs(&rest, 1, r.data(), kCount);
  return {K::Length(q.data()), K::Length(r.data())};
}

}  // namespace nagyszam::limbs
