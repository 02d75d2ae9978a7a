// Signed numbers: the sign is decided here, the digits by the magnitude
// operations. A zero magnitude is zero whatever sign it carries, and every
// zero this file produces is EgeszNulla. Signs and whatever else an
// operation needs from its operands are read before any output is written,
// so an output may be an operand.
#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam {

namespace {

using kernels::Run;

bool IsZero(const NemNegEgesz& x) noexcept {
  return Run([&](auto k) { return k.Length(x.data()) == 0; });
}

bool Negative(const Egesz& x) noexcept {
  return x.Sign == Elojel::Negativ;
}

// Sets Top from the magnitude and the sign, positive for zero.
void Finish(Egesz& out, bool negative) noexcept {
  const int length = Run([&](auto k) { return k.Length(out.Magnitude.data()); });
  out.Top = static_cast<std::uint8_t>(length > 0 ? length - 1 : 0);
  out.Sign = negative && length > 0 ? Elojel::Negativ : Elojel::Pozitiv;
}

// out = (-1)^na A + (-1)^nb B: the larger magnitude is the minuend, so the
// subtraction never fails. A negative zero operand gives what a positive
// one does.
void SignedSum(const NemNegEgesz& a, bool na, const NemNegEgesz& b, bool nb, Egesz& out) noexcept {
  bool negative = na;
  if (na == nb) {
    Add(a, b, out.Magnitude);
  } else if (!Run([&](auto k) { return k.Subtract(a.data(), b.data(), out.Magnitude.data()); })) {
    Run([&](auto k) { return k.Subtract(b.data(), a.data(), out.Magnitude.data()); });
    negative = nb;
  }
  Finish(out, negative);
}

}  // namespace

void ToEgesz(const NemNegEgesz& x, Egesz& out) noexcept {
  out.Magnitude = x;
  Finish(out, false);
}

bool EgeszEqual(const Egesz& a, const Egesz& b) noexcept {
  if (Negative(a) == Negative(b)) return Equal(a.Magnitude, b.Magnitude);
  return IsZero(a.Magnitude) && IsZero(b.Magnitude);
}

bool EgeszGreater(const Egesz& a, const Egesz& b) noexcept {
  if (Negative(a) == Negative(b)) {
    return Negative(a) ? Greater(b.Magnitude, a.Magnitude) : Greater(a.Magnitude, b.Magnitude);
  }
  // Signs differ: the positive one is greater unless both are zero.
  return !Negative(a) && !(IsZero(a.Magnitude) && IsZero(b.Magnitude));
}

void EgeszSucc(const Egesz& x, Egesz& out) noexcept {
  bool negative = Negative(x);
  if (!negative) {
    Succ(x.Magnitude, out.Magnitude);
  } else if (!Run([&](auto k) { return k.StepDown(x.Magnitude.data(), out.Magnitude.data()); })) {
    // -0 + 1 = 1
    out.Magnitude = Nulla;
    out.Magnitude[0] = 1;
    negative = false;
  }
  Finish(out, negative);
}

void EgeszPred(const Egesz& x, Egesz& out) noexcept {
  bool negative = Negative(x);
  if (negative) {
    Succ(x.Magnitude, out.Magnitude);
  } else if (!Run([&](auto k) { return k.StepDown(x.Magnitude.data(), out.Magnitude.data()); })) {
    // 0 - 1 = -1
    out.Magnitude = Nulla;
    out.Magnitude[0] = 1;
    negative = true;
  }
  Finish(out, negative);
}

void EgeszAdd(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SignedSum(a.Magnitude, Negative(a), b.Magnitude, Negative(b), out);
}

void EgeszSubtract(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SignedSum(a.Magnitude, Negative(a), b.Magnitude, !Negative(b), out);
}

void EgeszMultiply(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  const bool negative = Negative(a) != Negative(b);
  Multiply(a.Magnitude, b.Magnitude, out.Magnitude);
  Finish(out, negative);
}

void EgeszDivMod(const Egesz& a, const Egesz& b, Egesz& q, Egesz& r) noexcept {
  if (IsZero(b.Magnitude)) {
    Hiba = true;
    q = EgeszNulla;
    r = EgeszNulla;
    return;
  }
  if (IsZero(a.Magnitude)) {
    q = EgeszNulla;
    r = EgeszNulla;
    return;
  }
  if (Greater(b.Magnitude, a.Magnitude)) {
    // The remainder is the dividend as it was written, Top included.
    const Egesz dividend = a;
    q = EgeszNulla;
    r = dividend;
    return;
  }
  const bool na = Negative(a), nb = Negative(b);
  DivMod(a.Magnitude, b.Magnitude, q.Magnitude, r.Magnitude);
  Finish(q, na != nb);
  Finish(r, na);
}

}  // namespace nagyszam
