// The non-negative operations: the kernel set that runs (cells.h) does the
// digit work, these add the error flag.
#include "numbers/cells.h"
#include "numbers/numbers.h"

namespace nagyszam {

using kernels::Run;

std::int16_t TopIndex(const NemNegEgesz& x) noexcept {
  const int length = Run([&](auto k) { return k.Length(x.data()); });
  return static_cast<std::int16_t>(length > 0 ? length - 1 : 0);
}

std::int16_t PosMod(std::int16_t a, std::int16_t m) noexcept {
  // A zero modulus has no remainder; answer 0 rather than trap.
  if (m == 0) return 0;
  const std::int32_t dividend = a < 0 ? std::int32_t{a} + m : std::int32_t{a};
  return static_cast<std::int16_t>(dividend % m);
}

bool Equal(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  return Run([&](auto k) { return k.Equal(a.data(), b.data()); });
}

bool Greater(const NemNegEgesz& a, const NemNegEgesz& b) noexcept {
  return Run([&](auto k) { return k.Greater(a.data(), b.data()); });
}

void Succ(const NemNegEgesz& x, NemNegEgesz& y) noexcept {
  // All nines wrap to zero: a lost digit, reported like Add's.
  if (Run([&](auto k) { return k.StepUp(x.data(), y.data(), false); }).over) Hiba = true;
}

void Pred(const NemNegEgesz& x, NemNegEgesz& y) noexcept {
  // Zero has no predecessor: y stays as it was.
  if (Run([&](auto k) { return k.StepDown(x.data(), y.data(), false); }).over) Hiba = true;
}

void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s) noexcept {
  // The sum needs a 257th digit; s keeps the low 256.
  if (Run([&](auto k) { return k.Add(a.data(), b.data(), s.data()); }).over) Hiba = true;
}

void Subtract(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& d) noexcept {
  // No negative results here: d stays as it was.
  if (Run([&](auto k) { return k.Subtract(a.data(), b.data(), d.data()); }).over) Hiba = true;
}

void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  Run([&](auto k) { return k.Multiply(a, b, p, nullptr); });
}

void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r) noexcept {
  Run([&](auto k) {
    if (k.ShortDivMod(a, b, q, r, nullptr) != 0) return;
    const int cb = k.Length(b.data()), ca = k.Length(a.data());
    if (cb == 0) {
      // No division by zero: both outputs zero.
      Hiba = true;
      k.Clear(q.data());
      k.Clear(r.data());
    } else if (ca < cb) {
      // a < b: q = 0, r = a; when q and r are one object it holds r.
      r = a;
      if (&q != &r) k.Clear(q.data());
    } else {
      k.DivMod(a, ca, b, cb, q, r, false);
    }
  });
}

}  // namespace nagyszam
