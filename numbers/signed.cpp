// Signed numbers: the sign is decided here, the digits by the magnitude
// operations. A zero magnitude is zero whatever sign it carries, and every
// zero this file produces is EgeszNulla.
#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam {

namespace {

constexpr Elojel Opposite(Elojel s) noexcept {
  return s == Elojel::Pozitiv ? Elojel::Negativ : Elojel::Pozitiv;
}

// Keyboard entry can give "-0"; it counts as positive.
Elojel SignOf(const Egesz& x) noexcept {
  return cells::IsZero(x.Magnitude) ? Elojel::Pozitiv : x.Sign;
}

// Sets Top from the magnitude in place and turns any zero into EgeszNulla.
void Settle(Egesz& out) noexcept {
  out.Top = static_cast<std::uint8_t>(TopIndex(out.Magnitude));
  if (out.Top == 0 && out.Magnitude[0] == 0) out.Sign = Elojel::Pozitiv;
}

// out = (sa A) - (sb B), the larger magnitude always the minuend.
void SignedDifference(const NemNegEgesz& a, Elojel sa, const NemNegEgesz& b, Elojel sb,
                      Egesz& out) noexcept {
  if (sa != sb) {
    Add(a, b, out.Magnitude);
    out.Sign = sa;
  } else if (Greater(a, b)) {
    Subtract(a, b, out.Magnitude);
    out.Sign = sa;
  } else {
    Subtract(b, a, out.Magnitude);
    out.Sign = Opposite(sa);
  }
  Settle(out);
}

}  // namespace

void ToEgesz(const NemNegEgesz& x, Egesz& out) noexcept {
  out.Sign = Elojel::Pozitiv;
  out.Magnitude = x;
  Settle(out);
}

bool EgeszEqual(const Egesz& a, const Egesz& b) noexcept {
  return SignOf(a) == SignOf(b) && Equal(a.Magnitude, b.Magnitude);
}

bool EgeszGreater(const Egesz& a, const Egesz& b) noexcept {
  const Elojel sa = SignOf(a);
  const Elojel sb = SignOf(b);
  if (sa != sb) return sa == Elojel::Pozitiv;
  return sa == Elojel::Pozitiv ? Greater(a.Magnitude, b.Magnitude)
                               : Greater(b.Magnitude, a.Magnitude);
}

void EgeszSucc(const Egesz& x, Egesz& out) noexcept {
  out.Sign = SignOf(x);
  if (out.Sign == Elojel::Pozitiv) {
    Succ(x.Magnitude, out.Magnitude);
  } else {
    Pred(x.Magnitude, out.Magnitude);
  }
  Settle(out);
}

void EgeszPred(const Egesz& x, Egesz& out) noexcept {
  if (cells::IsZero(x.Magnitude)) {
    out.Magnitude = Nulla;
    out.Magnitude[0] = 1;
    out.Sign = Elojel::Negativ;
  } else if (x.Sign == Elojel::Negativ) {
    Succ(x.Magnitude, out.Magnitude);
    out.Sign = Elojel::Negativ;
  } else {
    Pred(x.Magnitude, out.Magnitude);
    out.Sign = Elojel::Pozitiv;
  }
  Settle(out);
}

void EgeszAdd(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SignedDifference(a.Magnitude, SignOf(a), b.Magnitude, Opposite(SignOf(b)), out);
}

void EgeszSubtract(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  SignedDifference(a.Magnitude, SignOf(a), b.Magnitude, SignOf(b), out);
}

void EgeszMultiply(const Egesz& a, const Egesz& b, Egesz& out) noexcept {
  Multiply(a.Magnitude, b.Magnitude, out.Magnitude);
  out.Sign = SignOf(a) == SignOf(b) ? Elojel::Pozitiv : Elojel::Negativ;
  Settle(out);
}

void EgeszDivMod(const Egesz& a, const Egesz& b, Egesz& q, Egesz& r) noexcept {
  if (cells::IsZero(b.Magnitude)) {
    Hiba = true;
    q = EgeszNulla;
    r = EgeszNulla;
    return;
  }
  if (cells::IsZero(a.Magnitude)) {
    q = EgeszNulla;
    r = EgeszNulla;
    return;
  }
  if (Greater(b.Magnitude, a.Magnitude)) {
    // The remainder is the dividend itself, written form (Top) included.
    q = EgeszNulla;
    r = a;
    return;
  }
  DivMod(a.Magnitude, b.Magnitude, q.Magnitude, r.Magnitude);
  q.Sign = a.Sign == b.Sign ? Elojel::Pozitiv : Elojel::Negativ;
  r.Sign = a.Sign;
  Settle(q);
  Settle(r);
}

}  // namespace nagyszam
