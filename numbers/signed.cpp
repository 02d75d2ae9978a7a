// Signed numbers: the sign is decided here, the digits by the magnitude
// kernels, which also give the result's length, so Top costs no scan. A zero
// magnitude is zero whatever sign it carries, and every zero this file
// produces is EgeszNulla. Signs and whatever else an operation needs from
// its operands are read before any output is written, so an output may be
// an operand.
#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam {

namespace {

using kernels::Outcome;
using kernels::Run;

bool Negative(const Egesz& x) noexcept {
  return x.Sign == Elojel::Negativ;
}

std::uint8_t TopOf(int length) noexcept {
  return static_cast<std::uint8_t>(length > 0 ? length - 1 : 0);
}

void SetSign(Egesz& out, bool negative) noexcept {
  out.Sign = negative ? Elojel::Negativ : Elojel::Pozitiv;
}

// Sets Top from the magnitude's length and the sign, positive for zero.
void Finish(Egesz& out, int length, bool negative) noexcept {
  out.Top = TopOf(length);
  SetSign(out, negative && length > 0);
}

// Finish's second half, for the division: it sets the sign a non-zero
// result takes before its kernel writes the digits, where it waits for
// nothing (2 to 4% faster than after, from the kernel's length); the
// length then sets Top, and a zero result positive. (The product does the
// same, its kernel writing Top.)
void SetTop(Egesz& out, int length) noexcept {
  out.Top = TopOf(length);
  if (length == 0) out.Sign = Elojel::Pozitiv;
}

// out = (-1)^na A + (-1)^nb B: the larger magnitude is the minuend, so the
// subtraction never fails. A negative zero operand gives what a positive
// one does.
void SignedSum(const NemNegEgesz& a, bool na, const NemNegEgesz& b, bool nb, Egesz& out) noexcept {
  Run([&](auto k) {
    std::uint8_t* m = out.Magnitude.data();
    bool negative = na;
    Outcome result{};
    if (na == nb) {
      result = k.Add(a.data(), b.data(), m);
      if (result.over) Hiba = true;
    } else if (result = k.Subtract(a.data(), b.data(), m); result.over) {
      result = k.Subtract(b.data(), a.data(), m);
      negative = nb;
    }
    Finish(out, result.length, negative);
  });
}

// out = x + 1 for up, x - 1 otherwise.
void SignedStep(const Egesz& x, bool up, Egesz& out) noexcept {
  Run([&](auto k) {
    const std::uint8_t* in = x.Magnitude.data();
    std::uint8_t* m = out.Magnitude.data();
    bool negative = Negative(x);
    Outcome result{};
    if (negative != up) {
      result = k.StepUp(in, m, true);
      if (result.over) Hiba = true;
    } else if (result = k.StepDown(in, m, true); result.over) {
      // -0 + 1 = 1, 0 - 1 = -1
      out.Magnitude = Nulla;
      out.Magnitude[0] = 1;
      result.length = 1;
      negative = !up;
    }
    Finish(out, result.length, negative);
  });
}

}  // namespace

void ToEgesz(const NemNegEgesz& x, Egesz& out) noexcept {
  out.Magnitude = x;
  Finish(out, Run([&](auto k) { return k.Length(x.data()); }), false);
}

bool EgeszEqual(const Egesz& a, const Egesz& b) noexcept {
  return Run([&](auto k) {
    const std::uint8_t *ma = a.Magnitude.data(), *mb = b.Magnitude.data();
    if (Negative(a) == Negative(b)) return k.Equal(ma, mb);
    return k.Length(ma) == 0 && k.Length(mb) == 0;
  });
}

bool EgeszGreater(const Egesz& a, const Egesz& b) noexcept {
  return Run([&](auto k) {
    const std::uint8_t *ma = a.Magnitude.data(), *mb = b.Magnitude.data();
    if (Negative(a) == Negative(b)) return Negative(a) ? k.Greater(mb, ma) : k.Greater(ma, mb);
    // Signs differ: the positive one is greater unless both are zero.
    return !Negative(a) && !(k.Length(ma) == 0 && k.Length(mb) == 0);
  });
}

void EgeszSucc(const Egesz& x, Egesz& out) noexcept {
  SignedStep(x, true, out);
}

void EgeszPred(const Egesz& x, Egesz& out) noexcept {
  SignedStep(x, false, out);
}

void EgeszAdd(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SignedSum(a.Magnitude, Negative(a), b.Magnitude, Negative(b), out);
}

void EgeszSubtract(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SignedSum(a.Magnitude, Negative(a), b.Magnitude, !Negative(b), out);
}

void EgeszMultiply(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SetSign(out, Negative(a) != Negative(b));
  // The kernel writes Top: it can take it from the product's cells sooner
  // than from the length it returns.
  if (Run([&](auto k) { return k.Multiply(a.Magnitude, b.Magnitude, out.Magnitude, &out.Top); }) ==
      0) {
    out.Sign = Elojel::Pozitiv;
  }
}

namespace {

template <class K>
inline void DivideSigned(K k, const Egesz& a, const Egesz& b, Egesz& q, Egesz& r) noexcept {
  const NemNegEgesz &ma = a.Magnitude, &mb = b.Magnitude;
  const bool na = Negative(a), nb = Negative(b);
  // The kernel writes Top, q's and then r's: when they are one object
  // it holds r's.
  std::uint8_t* const tops[2] = {&q.Top, &r.Top};
  if (const int taken = k.ShortDivMod(ma, mb, q.Magnitude, r.Magnitude, tops); taken != 0) {
    // The signs after the digits here: nothing is written unless the
    // short way takes the division. r's after q's, as below; a zero
    // remainder positive.
    SetSign(q, na != nb);
    SetSign(r, na && taken == 1);
    return;
  }
  const int ca = k.Length(ma.data()), cb = k.Length(mb.data());
  if (cb == 0 || ca == 0) {
    // Zero divided, or a zero divisor (which sets Hiba): both EgeszNulla.
    if (cb == 0) Hiba = true;
    q = EgeszNulla;
    r = EgeszNulla;
  } else if (ca < cb || (ca == cb && k.Greater(mb.data(), ma.data()))) {
    // The remainder is the dividend as it was written, Top included.
    const Egesz dividend = a;
    q = EgeszNulla;
    r = dividend;
  } else {
    // r's after q's: when they are one object it holds r.
    SetSign(q, na != nb);
    SetSign(r, na);
    const kernels::Lengths lengths = k.DivMod(ma, ca, mb, cb, q.Magnitude, r.Magnitude, true);
    // The quotient is not zero (and when q is r, its length is not
    // measured): its sign stays.
    q.Top = TopOf(lengths.quotient);
    SetTop(r, lengths.remainder);
  }
}

// The sets without AVX-512 in calls of their own: inlined in one function
// with it, their frames were its too (the short division 4% slower).
template <class K>
__attribute__((noinline)) void DivideSignedApart(K k, const Egesz& a, const Egesz& b, Egesz& q,
                                                 Egesz& r) noexcept {
  DivideSigned(k, a, b, q, r);
}

}  // namespace

void EgeszDivMod(const Egesz& a, const Egesz& b, Egesz& q, Egesz& r) noexcept {
  if (kernels::use_avx512) return DivideSigned(kernels::Avx512{}, a, b, q, r);
  if (kernels::use_avx2) return DivideSignedApart(kernels::Avx2{}, a, b, q, r);
  DivideSignedApart(kernels::Portable{}, a, b, q, r);
}

}  // namespace nagyszam
