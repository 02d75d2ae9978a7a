// The portable kernels: plain C++ on words of eight cells, in which a byte
// carry or borrow of a 64-bit add or subtract moves like a decimal one
// (cells.h). Cell 8w + k is byte k of word w, so on a little-endian machine
// a word compares like its eight digits.
#include "numbers/cells.h"
#include "numbers/divide.h"
#include "numbers/multiply.h"

namespace nagyszam::kernels {

namespace {

// Words up to the highest one below `from` where word(w) is non-zero. Four
// words a look first: a short number is zero in most of them.
template <class Word>
int Used(Word word, int from) noexcept {
  int w = from;
  while (w >= 4 && (word(w - 1) | word(w - 2) | word(w - 3) | word(w - 4)) == 0) w -= 4;
  while (w > 0 && word(w - 1) == 0) --w;
  return w;
}

int UsedWords(const std::uint8_t* x, const std::uint8_t* y) noexcept {
  return Used([x, y](int w) { return Load(x, w) | Load(y, w); }, kWords);
}

int UsedWords(const std::uint8_t* x, int from = kWords) noexcept {
  return Used([x](int w) { return Load(x, w); }, from);
}

// The length of cells whose words from `from` up are zero.
int LengthBelow(const std::uint8_t* x, int from) noexcept {
  const int w = UsedWords(x, from);
  return w == 0 ? 0 : WordLength(Load(x, w - 1), w - 1);
}

}  // namespace

template <>
int Portable::Length(const std::uint8_t* x) noexcept {
  return LengthBelow(x, kWords);
}

template <>
int Portable::Groups(const std::uint8_t* x) noexcept {
  return (UsedWords(x) + 3) / 4;
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
Outcome Portable::Add(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* s) noexcept {
  // The used words and the one a carry moves into; the rest is zero.
  const int n = std::min(UsedWords(a, b) + 1, kWords);
  std::uint64_t carry = 0;
  for (int w = 0; w < n; ++w) {
    const WordResult sum = AddWord(Load(a, w), Load(b, w), carry);
    Store(s, w, sum.value);
    carry = sum.carry;
  }
  for (int w = n; w < kWords; ++w) Store(s, w, 0);
  return {LengthBelow(s, n), carry != 0};
}

template <>
Outcome Portable::Subtract(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* d) noexcept {
  // Decided before any cell is written, so d may be a or b.
  if (Greater(b, a)) return {0, true};
  const int n = UsedWords(a, b);
  std::uint64_t borrow = 0;
  for (int w = 0; w < n; ++w) {
    const WordResult diff = SubtractWord(Load(a, w), Load(b, w), borrow);
    Store(d, w, diff.value);
    borrow = diff.carry;
  }
  for (int w = n; w < kWords; ++w) Store(d, w, 0);
  return {LengthBelow(d, n), false};
}

template <>
Outcome Portable::StepUp(const std::uint8_t* x, std::uint8_t* y, bool) noexcept {
  const int n = std::min(UsedWords(x) + 1, kWords);
  std::uint64_t carry = 1;
  int w = 0;
  for (; w < n && carry != 0; ++w) {
    const WordResult s = AddWord(Load(x, w), 0, carry);
    Store(y, w, s.value);
    carry = s.carry;
  }
  for (; w < kWords; ++w) Store(y, w, Load(x, w));
  return {LengthBelow(y, n), carry != 0};
}

template <>
Outcome Portable::StepDown(const std::uint8_t* x, std::uint8_t* y, bool) noexcept {
  const int n = UsedWords(x);
  if (n == 0) return {0, true};
  std::uint64_t borrow = 1;
  int w = 0;
  // x has a non-zero word: the borrow stops there.
  for (; borrow != 0; ++w) {
    const WordResult d = SubtractWord(Load(x, w), 0, borrow);
    Store(y, w, d.value);
    borrow = d.carry;
  }
  for (; w < kWords; ++w) Store(y, w, Load(x, w));
  return {LengthBelow(y, n), false};
}

template <>
void Portable::ToLimbs(const std::uint8_t* cells, int n, std::uint64_t* out) noexcept {
  for (int i = 0; i < (n + 3) / 4 * 4; ++i) {
    out[i] = limbs::LimbAt(cells, i);
  }
}

template <>
void Portable::Clear(std::uint8_t* cells) noexcept {
  for (int w = 0; w < kWords; ++w) Store(cells, w, 0);
}

template <>
int Portable::FromLimbs(const std::uint64_t* limbs, int n, std::uint8_t* cells) noexcept {
  for (int i = 0; i < n; ++i) Store(cells, i, limbs::LimbToWord(limbs[i]));
  for (int i = n; i < kWords; ++i) Store(cells, i, 0);
  return LengthBelow(cells, n);
}

template <>
int Portable::Product(const std::uint8_t* a, int ga, const std::uint8_t* b, int gb,
                      std::uint8_t* p) noexcept {
  // A column adds at most 16 products below 10^16.
  const int na = UsedWords(a, 4 * ga), nb = UsedWords(b, 4 * gb);
  limbs::Limbs la, lb, product;
  ToLimbs(a, na, la.data());
  ToLimbs(b, nb, lb.data());
  // Two rows of products at a time: each column is read and written once
  // for both. For an odd na the last pair's second row is limb na, which
  // ToLimbs wrote as zero (limbs up to na rounded up to 4).
  std::uint64_t column[limbs::kRoom] = {};
  for (int i = 0; i < na; i += 2) {
    column[i] += la[i] * lb[0];
    for (int j = 1; j < nb; ++j) column[i + j] += la[i] * lb[j] + la[i + 1] * lb[j - 1];
    column[i + nb] += la[i + 1] * lb[nb - 1];
  }
  return FromLimbs(product.data(), limbs::Normalise(column, na + nb - 1, product.data()), p);
}

template <>
void Portable::SubtractProducts(std::uint64_t* w, int j, std::uint64_t digit,
                                const std::uint64_t* v, int nb) noexcept {
  for (int i = 0; i < nb; ++i) w[j + i] -= digit * v[i];
}

template <>
int Portable::Carry(const std::uint64_t* column, int n, std::uint64_t shift,
                    std::uint8_t* cells) noexcept {
  limbs::Limbs limb{};
  std::uint64_t carry = 0;
  for (int k = 0; k < n; ++k) {
    const std::uint64_t c = column[k] + shift * limbs::kBase - (k > 0 ? shift : 0);
    const std::uint64_t t = c % limbs::kBase + carry;
    limb[k] = t % limbs::kBase;
    carry = c / limbs::kBase + t / limbs::kBase;
  }
  return FromLimbs(limb.data(), n, cells);
}

template <>
int Portable::SubtractMultiple(const std::uint8_t* a, const std::uint8_t* b, std::uint64_t digit,
                               int n, std::uint8_t* cells) noexcept {
  limbs::Limbs column;
  for (int k = 0; k < n; ++k) column[k] = limbs::LimbAt(a, k) - digit * limbs::LimbAt(b, k);
  return Carry(column.data(), n, limbs::kShift, cells);
}

template <>
int Portable::Multiply(const NemNegEgesz& a, const NemNegEgesz& b, NemNegEgesz& p,
                       std::uint8_t* top) noexcept {
  return WithTop(limbs::Multiply<Portable>(a, b, p), top);
}

template <>
Lengths Portable::DivMod(const NemNegEgesz& a, int ca, const NemNegEgesz& b, int cb, NemNegEgesz& q,
                         NemNegEgesz& r, bool measure) noexcept {
  return limbs::Divide<Portable>(a, ca, b, cb, q, r, measure);
}

}  // namespace nagyszam::kernels
