// Division on limbs: a short division for a one-limb divisor, otherwise
// long division with a two-limb quotient estimate (Knuth's algorithm D).
#include "numbers/limbs.h"
#include "numbers/numbers.h"

namespace nagyszam {

namespace {

using limbs::kBase;
using limbs::kCount;
using limbs::Limbs;

// q = u / d over the low n limbs of u; returns the remainder.
std::uint32_t DivideBySmall(const std::uint32_t* u, int n, std::uint32_t d,
                            std::uint32_t* q) noexcept {
  const limbs::Divisor by = limbs::MakeDivisor(d);
  std::uint64_t rest = 0;
  for (int k = n - 1; k >= 0; --k) {
    q[k] = static_cast<std::uint32_t>(limbs::Divide(rest * kBase + u[k], by, rest));
  }
  return static_cast<std::uint32_t>(rest);
}

// out = x * f over n limbs, f at most kBase / 2; returns the carry out.
std::uint32_t Scale(const std::uint32_t* x, int n, std::uint32_t f, std::uint32_t* out) noexcept {
  std::uint32_t high = 0;
  std::uint32_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const limbs::Split part = limbs::SplitProduct(std::uint64_t{x[i]} * f);
    const std::uint32_t s = part.low + high + carry;
    carry = s >= kBase ? 1 : 0;
    out[i] = s - carry * kBase;
    high = part.high;
  }
  return high + carry;
}

// window -= qhat * v over n + 1 limbs; returns whether it went below zero,
// in which case window[n] holds the top limb plus kBase.
bool SubtractMultiple(std::uint32_t* window, const std::uint32_t* v, int n,
                      std::uint32_t qhat) noexcept {
  std::int64_t borrow = 0;  // 0, 1 or 2
  std::uint32_t high = 0;
  for (int i = 0; i < n; ++i) {
    const limbs::Split part = limbs::SplitProduct(std::uint64_t{qhat} * v[i]);
    const std::int64_t t = std::int64_t{window[i]} - part.low - high - borrow;
    borrow = (t < 0 ? 1 : 0) + (t < -std::int64_t{kBase} ? 1 : 0);
    window[i] = static_cast<std::uint32_t>(t + borrow * kBase);
    high = part.high;
  }
  const std::int64_t top = std::int64_t{window[n]} - high - borrow;
  window[n] = static_cast<std::uint32_t>(top < 0 ? top + kBase : top);
  return top < 0;
}

// window += v over n limbs, the carry into window[n] dropped: it cancels the
// borrow of an estimate that was one too large.
void AddBack(std::uint32_t* window, const std::uint32_t* v, int n) noexcept {
  std::uint32_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t s = window[i] + v[i] + carry;
    carry = s >= kBase ? 1 : 0;
    window[i] = s - carry * kBase;
  }
  window[n] = 0;
}

// The quotient limb of a window whose top limbs are u2 u1 u0 by a divisor
// with top limbs vtop vnext: at most one too large, never too small.
std::uint32_t Estimate(std::uint64_t u2, std::uint64_t u1, std::uint64_t u0,
                       const limbs::Divisor& vtop, std::uint64_t vnext) noexcept {
  std::uint64_t rhat = 0;
  std::uint64_t qhat = limbs::Divide(u2 * kBase + u1, vtop, rhat);
  while (qhat >= kBase || qhat * vnext > rhat * kBase + u0) {
    --qhat;
    rhat += vtop.d;
    if (rhat >= kBase) break;
  }
  return static_cast<std::uint32_t>(qhat);
}

// q, r = a / b, a % b for a of na limbs and b of nb >= 2 limbs, a >= b.
// Returns the quotient's limb count.
int DivideLong(const Limbs& a, int na, const Limbs& b, int nb, Limbs& q, Limbs& r) noexcept {
  // Scaled so that the top divisor limb is at least half the base, which
  // keeps each estimate at most one too large after the two-limb test.
  const std::uint32_t f = kBase / (b[nb - 1] + 1);
  std::uint32_t u[kCount + 1];
  std::uint32_t v[kCount];
  u[na] = Scale(a.data(), na, f, u);
  Scale(b.data(), nb, f, v);
  const limbs::Divisor vtop = limbs::MakeDivisor(v[nb - 1]);
  const std::uint64_t vnext = v[nb - 2];
  for (int j = na - nb; j >= 0; --j) {
    std::uint32_t qhat = Estimate(u[j + nb], u[j + nb - 1], u[j + nb - 2], vtop, vnext);
    if (SubtractMultiple(u + j, v, nb, qhat)) {
      --qhat;
      AddBack(u + j, v, nb);
    }
    q[j] = qhat;
  }
  const int nq = na - nb + 1;
  if (f == 1) {
    for (int i = 0; i < nb; ++i) r[i] = u[i];
  } else if (nq <= 2) {
    // A short quotient: a - q * b costs less than undoing the scale, whose
    // divisions run one after another.
    std::uint32_t rest[kCount + 1];
    for (int i = 0; i < na; ++i) rest[i] = a[i];
    rest[na] = 0;
    for (int j = nq - 1; j >= 0; --j) SubtractMultiple(rest + j, b.data(), nb, q[j]);
    for (int i = 0; i < nb; ++i) r[i] = rest[i];
  } else {
    DivideBySmall(u, nb, f, r.data());
  }
  return nq;
}

}  // namespace

void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r) noexcept {
  Limbs lb;
  const int nb = limbs::ToLimbs(b, lb);
  if (nb == 0) {
    Hiba = true;
    q = Nulla;
    r = Nulla;
    return;
  }
  if (Greater(b, a)) {
    q = Nulla;
    r = a;
    return;
  }
  Limbs la;
  const int na = limbs::ToLimbs(a, la);
  Limbs lq;
  Limbs lr;
  int nq = na;
  if (nb == 1) {
    lr[0] = DivideBySmall(la.data(), na, lb[0], lq.data());
  } else {
    nq = DivideLong(la, na, lb, nb, lq, lr);
  }
  limbs::FromLimbs(lq, nq, q);
  limbs::FromLimbs(lr, nb, r);
}

}  // namespace nagyszam
