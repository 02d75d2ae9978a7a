// The portable kernels: plain C++ on words of eight cells, in which a byte
// carry or borrow of a 64-bit add or subtract moves like a decimal one
// (cells.h). Cell 8w + k is byte k of word w, so on a little-endian machine
// a word compares like its eight digits.
#include "numbers/cells.h"
#include "numbers/limbs.h"

namespace nagyszam::kernels {

template <>
int Portable::Length(const std::uint8_t* x) noexcept {
  for (int w = kWords - 1; w >= 0; --w) {
    const std::uint64_t v = Load(x, w);
    if (v != 0) return 8 * w + 8 - std::countl_zero(v) / 8;
  }
  return 0;
}

template <>
bool Portable::Equal(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  std::uint64_t differ = 0;
  for (int w = 0; w < kWords; ++w) differ |= Load(a, w) ^ Load(b, w);
  return differ == 0;
}

template <>
bool Portable::Greater(const std::uint8_t* a, const std::uint8_t* b) noexcept {
  for (int w = kWords - 1; w >= 0; --w) {
    const std::uint64_t va = Load(a, w);
    const std::uint64_t vb = Load(b, w);
    if (va != vb) return va > vb;
  }
  return false;
}

template <>
bool Portable::Add(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* s) noexcept {
  std::uint64_t carry = 0;
  for (int w = 0; w < kWords; ++w) {
    const WordResult sum = AddWord(Load(a, w), Load(b, w), carry);
    Store(s, w, sum.value);
    carry = sum.carry;
  }
  return carry != 0;
}

template <>
bool Portable::Subtract(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* d) noexcept {
  // Decided before any cell is written, so d may be a or b.
  if (Greater(b, a)) return false;
  std::uint64_t borrow = 0;
  for (int w = 0; w < kWords; ++w) {
    const WordResult diff = SubtractWord(Load(a, w), Load(b, w), borrow);
    Store(d, w, diff.value);
    borrow = diff.carry;
  }
  return true;
}

template <>
bool Portable::StepUp(const std::uint8_t* x, std::uint8_t* y) noexcept {
  std::uint64_t carry = 1;
  int w = 0;
  for (; w < kWords && carry != 0; ++w) {
    const WordResult s = AddWord(Load(x, w), 0, carry);
    Store(y, w, s.value);
    carry = s.carry;
  }
  for (; w < kWords; ++w) Store(y, w, Load(x, w));
  return carry != 0;
}

template <>
bool Portable::StepDown(const std::uint8_t* x, std::uint8_t* y) noexcept {
  if (Length(x) == 0) return false;
  std::uint64_t borrow = 1;
  int w = 0;
  for (; w < kWords && borrow != 0; ++w) {
    const WordResult d = SubtractWord(Load(x, w), 0, borrow);
    Store(y, w, d.value);
    borrow = d.carry;
  }
  for (; w < kWords; ++w) Store(y, w, Load(x, w));
  return true;
}

template <>
void Portable::ToLimbs(const std::uint8_t* cells, int n, std::uint32_t* out) noexcept {
  for (int i = 0; i < n; ++i)
    out[i] = std::min(limbs::WordToLimb(Load(cells, i)), limbs::kBase - 1);
}

template <>
void Portable::FromLimbs(const std::uint32_t* limbs, int n, std::uint8_t* cells, int m) noexcept {
  for (int i = 0; i < n; ++i) Store(cells, i, limbs::LimbToWord(limbs[i]));
  for (int i = n; i < m; ++i) Store(cells, i, 0);
}

template <>
void Portable::Columns(const std::uint32_t* a, int na, const std::uint32_t* b, int nb,
                       std::uint64_t* column) noexcept {
  // With na + nb <= 33 a column adds at most 16 products below 10^16.
  for (int k = 0; k < na + nb - 1; ++k) column[k] = 0;
  for (int i = 0; i < na; ++i) {
    for (int j = 0; j < nb; ++j) column[i + j] += std::uint64_t{a[i]} * b[j];
  }
}

template <>
void Portable::Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p) noexcept {
  limbs::Multiply<Portable>(a, b, p);
}

template <>
void Portable::DivMod(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& q,
                      NemNegEgesz& r) noexcept {
  limbs::DivMod<Portable>(a, b, q, r);
}

}  // namespace nagyszam::kernels
