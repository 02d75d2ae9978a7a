#include "numbers/plain_reference.h"

#include <algorithm>

namespace nagyszam::reference {

std::int16_t TopIndex(const NemNegEgesz& x) {
  std::int16_t i = 255;
  while (i > 0 && x[i] == 0) --i;
  return i;
}

bool Equal(const NemNegEgesz& a, const NemNegEgesz& b) {
  const std::int16_t ta = TopIndex(a);
  if (ta != TopIndex(b)) return false;
  std::int16_t i = ta;
  while (i > 0 && a[i] == b[i]) --i;
  return a[i] == b[i];
}

bool Greater(const NemNegEgesz& a, const NemNegEgesz& b) {
  const std::int16_t ta = TopIndex(a);
  const std::int16_t tb = TopIndex(b);
  if (ta != tb) return ta > tb;
  std::int16_t i = ta;
  while (i > 0 && a[i] == b[i]) --i;
  return a[i] > b[i];
}

void Succ(const NemNegEgesz& x, NemNegEgesz& y, bool& hiba) {
  int carry = 1;
  int i = 0;
  while (i <= 255 && carry != 0) {
    const int s = x[i] + carry;
    y[i] = static_cast<std::uint8_t>(s % 10);
    carry = s / 10;
    ++i;
  }
  for (; i <= 255; ++i) y[i] = x[i];
  if (carry != 0) hiba = true;
}

void Pred(const NemNegEgesz& x, NemNegEgesz& y, bool& hiba) {
  if (!Greater(x, Nulla)) {
    hiba = true;
    return;
  }
  int borrow = 1;
  int i = 0;
  while (i <= 255 && borrow != 0) {
    y[i] = static_cast<std::uint8_t>((x[i] + 10 - borrow) % 10);
    borrow = x[i] - borrow < 0 ? 1 : 0;
    ++i;
  }
  for (; i <= 255; ++i) y[i] = x[i];
}

void Add(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& s, bool& hiba) {
  const int t = std::max(TopIndex(a), TopIndex(b));
  int carry = 0;
  for (int i = 0; i <= t; ++i) {
    const int sum = a[i] + b[i] + carry;
    s[i] = static_cast<std::uint8_t>(sum % 10);
    carry = sum / 10;
  }
  if (t == 255 && carry == 1) {
    hiba = true;
    return;
  }
  if (t < 255) {
    s[t + 1] = static_cast<std::uint8_t>(carry);
    for (int i = t + 2; i <= 255; ++i) s[i] = 0;
  }
}

namespace {

int PosMod(int a, int m) {
  return a < 0 ? (a + m) % m : a % m;
}

}  // namespace

void Subtract(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& d, bool& hiba) {
  if (Greater(a, b)) {
    const int t = std::max(TopIndex(a), TopIndex(b));
    int borrow = 0;
    for (int i = 0; i <= t; ++i) {
      const int diff = a[i] - b[i] - borrow;
      d[i] = static_cast<std::uint8_t>(PosMod(diff, 10));
      borrow = 1 - (diff + 10) / 10;
    }
    for (int i = t + 1; i <= 255; ++i) d[i] = 0;
  } else if (Equal(a, b)) {
    d = Nulla;
  } else {
    hiba = true;
  }
}

void ShiftDigits(NemNegEgesz& x, std::int16_t n, bool& hiba) {
  const int k = TopIndex(x);
  if (k + n > 255) {
    hiba = true;
    return;
  }
  for (int i = k; i >= 0; --i) x[i + n] = x[i];
  for (int i = 0; i < n; ++i) x[i] = 0;
}

void Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p, bool& hiba) {
  p = Nulla;
  const int ta = TopIndex(a);
  const int tb = TopIndex(b);
  for (int i = 0; i <= tb; ++i) {
    NemNegEgesz partial = Nulla;
    int carry = 0;
    for (int j = 0; j <= ta; ++j) {
      const int v = a[j] * b[i] + carry;
      partial[j] = static_cast<std::uint8_t>(v % 10);
      carry = v / 10;
    }
    if (ta < 255) {
      partial[ta + 1] = static_cast<std::uint8_t>(carry);
    } else if (carry != 0) {
      hiba = true;  // the carry has no cell: dropped
    }
    ShiftDigits(partial, static_cast<std::int16_t>(i), hiba);
    NemNegEgesz sum;
    Add(p, partial, sum, hiba);
    p = sum;
  }
}

void DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q, NemNegEgesz& r,
            bool& hiba) {
  if (Equal(b, Nulla)) {
    hiba = true;
    q = Nulla;
    r = Nulla;
    return;
  }
  if (Greater(b, a)) {
    q = Nulla;
    r = a;
    return;
  }
  NemNegEgesz rest = a;
  q = Nulla;
  do {
    NemNegEgesz t1;
    Succ(q, t1, hiba);
    q = t1;
    NemNegEgesz t2;
    Subtract(rest, b, t2, hiba);
    rest = t2;
  } while (!Greater(b, rest));
  r = rest;
}

}  // namespace nagyszam::reference
