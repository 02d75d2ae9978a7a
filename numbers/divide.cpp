// Division on limbs: a short division for a one-limb divisor, otherwise
// long division in which each quotient limb is estimated in floating point
// from the top of the running remainder and the subtraction of its multiple
// of the divisor leaves the remainder's limbs uncarried.
#include <algorithm>
#include <cstring>

#include "numbers/limbs.h"
#include "numbers/numbers.h"

namespace nagyszam {

namespace {

using limbs::kBase;
using limbs::kCount;
using limbs::Limbs;

// q = u / d over the low n limbs of u; returns the remainder.
std::uint32_t DivideBySmall(const Limbs& u, int n, std::uint32_t d, Limbs& q) noexcept {
  const limbs::Divisor by = limbs::MakeDivisor(d);
  std::uint64_t rest = 0;
  for (int k = n - 1; k >= 0; --k) {
    q[k] = static_cast<std::uint32_t>(limbs::Divide(rest * kBase + u[k], by, rest));
  }
  return static_cast<std::uint32_t>(rest);
}

// The limbs of x * 10^s, s in 0..7: the digit cells read s places lower,
// straight from x except at the two ends. Returns their count (up to 33).
int ToShiftedLimbs(const NemNegEgesz& x, int s, std::uint32_t* out) noexcept {
  const int n = (TopIndex(x) + 1 + s + 7) / 8;
  if (s == 0) {
    limbs::WordsToLimbs(x.data(), n, out);
    return n;
  }
  out[0] = limbs::WordToLimb(cells::Load(x, 0) << (8 * s));
  limbs::WordsToLimbs(x.data() + 8 - s, std::min(n, kCount) - 1, out + 1);
  if (n > kCount) out[kCount] = limbs::WordToLimb(cells::Load(x, kCount - 1) >> (64 - 8 * s));
  return n;
}

// r = the n settled limbs of x divided by 10^s, whose low s digits are zero.
void FromShiftedLimbs(const std::int64_t* x, int n, int s, NemNegEgesz& r) noexcept {
  std::uint32_t narrow[kCount + 1];
  for (int i = 0; i < n; ++i) narrow[i] = static_cast<std::uint32_t>(x[i]);
  std::uint8_t digits[8 * (kCount + 1) + 8];
  limbs::LimbsToWords(narrow, n, digits);
  const int filled = 8 * n;
  if (filled < s + MaxIndex + 1) std::memset(digits + filled, 0, s + MaxIndex + 1 - filled);
  std::memcpy(r.data(), digits + s, r.size());
}

// Floor division by the base for signed limbs below 10^18 in size, without
// a branch on the sign: shifted up by kShift bases, the division is unsigned.
constexpr std::int64_t kShift = std::int64_t{1} << 34;
constexpr std::int64_t FloorCarry(std::int64_t t) noexcept {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(t + kShift * kBase) / kBase) - kShift;
}
static_assert(FloorCarry(-1) == -1 && FloorCarry(-100000000) == -1 && FloorCarry(99999999) == 0);
static_assert(FloorCarry(-1000000000000000000) == -10000000000 && FloorCarry(100000000) == 1);

// Carries x[0..n) into limbs 0..kBase-1; returns the signed carry out.
std::int64_t Settle(std::int64_t* x, int n) noexcept {
  std::int64_t carry = 0;
  for (int i = 0; i < n; ++i) {
    const std::int64_t t = x[i] + carry;
    carry = FloorCarry(t);
    x[i] = t - carry * kBase;
  }
  return carry;
}

// x += sign * v over n settled limbs; returns the carry out (-1, 0 or 1).
std::int64_t AddSigned(std::int64_t* x, const std::uint32_t* v, int n, int sign) noexcept {
  std::int64_t carry = 0;
  for (int i = 0; i < n; ++i) {
    std::int64_t t = x[i] + sign * std::int64_t{v[i]} + carry;
    carry = t < 0 ? -1 : t >= kBase ? 1 : 0;
    x[i] = t - carry * kBase;
  }
  return carry;
}

// Whether settled limbs x[0..n) are at least v[0..n).
bool NotBelow(const std::int64_t* x, const std::uint32_t* v, int n) noexcept {
  for (int i = n - 1; i >= 0; --i) {
    if (x[i] != v[i]) return x[i] > v[i];
  }
  return true;
}

// q, r = a / b, a % b for b of two or more limbs and a >= b.
//
// Both are first multiplied by the power of ten that gives b's top limb
// eight digits, so two divisor limbs fix a quotient limb to within one.
// The running remainder's limbs then take whole products and are carried
// only once at the end: an estimate that is one off leaves a remainder just
// outside 0..b, which the next estimate absorbs (its quotient limb may be
// -1 or kBase) and a last step corrects.
void DivideLong(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                NemNegEgesz& r) noexcept {
  const int tb = TopIndex(b);
  const int s = 7 - tb % 8;
  std::uint32_t v[kCount + 1];
  std::uint32_t ua[kCount + 1];
  const int nb = ToShiftedLimbs(b, s, v);
  const int na = ToShiftedLimbs(a, s, ua);
  std::int64_t u[kCount + 2];
  for (int i = 0; i < na; ++i) u[i] = ua[i];
  u[na] = 0;

  const double inverse =
      1.0 / (static_cast<double>(v[nb - 1]) * kBase + static_cast<double>(v[nb - 2]));
  std::int64_t digit[kCount + 1];
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
  std::int64_t over = Settle(u, nb);
  while (over < 0) {
    over += AddSigned(u, v, nb, 1);
    --digit[0];
  }
  while (over > 0 || NotBelow(u, v, nb)) {
    over += AddSigned(u, v, nb, -1);
    ++digit[0];
  }
  Settle(digit, nq);
  FromShiftedLimbs(digit, nq, 0, q);
  FromShiftedLimbs(u, nb, s, r);
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
  if (nb > 1) {
    DivideLong(a, b, q, r);
    return;
  }
  Limbs la;
  const int na = limbs::ToLimbs(a, la);
  Limbs lq;
  Limbs lr{};
  lr[0] = DivideBySmall(la, na, lb[0], lq);
  limbs::FromLimbs(lq, na, q);
  limbs::FromLimbs(lr, 1, r);
}

}  // namespace nagyszam
