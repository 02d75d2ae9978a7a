#include "numbers/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

namespace nagyszam::testing {

NemNegEgesz Num(std::string_view notation) {
  std::string digits;
  std::size_t pos = 0;
  while (pos < notation.size()) {
    std::size_t end = notation.find(' ', pos);
    if (end == std::string_view::npos) end = notation.size();
    const std::string piece(notation.substr(pos, end - pos));
    pos = end + 1;
    if (piece.empty()) continue;
    if (piece[0] == 'e') {
      digits.append(std::stoul(piece.substr(1)), '0');
    } else if (piece.size() > 2 && piece[1] == 'x') {
      digits.append(std::stoul(piece.substr(2)), piece[0]);
    } else {
      digits += piece;
    }
  }
  NemNegEgesz x = Nulla;
  const std::size_t n = digits.size();
  if (n > x.size()) std::abort();  // a table typo, not a test case
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = static_cast<std::uint8_t>(digits[n - 1 - i] - '0');
  }
  return x;
}

Egesz Signed(std::string_view notation, int top) {
  Egesz x{};
  x.Sign = notation[0] == '-' ? Elojel::Negativ : Elojel::Pozitiv;
  x.Magnitude = Num(notation.substr(1));
  x.Top = static_cast<std::uint8_t>(top < 0 ? TopIndex(x.Magnitude) : top);
  return x;
}

std::string Text(const NemNegEgesz& x) {
  std::string out;
  for (int i = MaxIndex; i >= 0; --i) {
    if (out.empty() && x[i] == 0 && i > 0) continue;
    if (x[i] <= 9) {
      out += static_cast<char>('0' + x[i]);
    } else {
      out += "<" + std::to_string(x[i]) + ">";
    }
  }
  return out;
}

std::string Describe(const Egesz& x) {
  const char sign = x.Sign == Elojel::Pozitiv ? '+' : x.Sign == Elojel::Negativ ? '-' : '?';
  return sign + Text(x.Magnitude) + " (Top " + std::to_string(x.Top) + ")";
}

void ToMpz(const NemNegEgesz& x, mpz_t out) {
  mpz_set_str(out, Text(x).c_str(), 10);
}

void SignedToMpz(const Egesz& x, mpz_t out) {
  ToMpz(x.Magnitude, out);
  if (x.Sign == Elojel::Negativ) mpz_neg(out, out);
}

NemNegEgesz FromMpz(const mpz_t v) {
  char buffer[300];
  if (mpz_sgn(v) < 0 || mpz_sizeinbase(v, 10) > 257) std::abort();
  mpz_get_str(buffer, 10, v);
  return Num(buffer);
}

int DigitCount(const mpz_t v) {
  if (mpz_sgn(v) == 0) return 0;
  // sizeinbase may overshoot by one.
  char buffer[700];
  if (mpz_sizeinbase(v, 10) > 600) std::abort();
  mpz_get_str(buffer, 10, v);
  return static_cast<int>(std::string(buffer).size()) - (mpz_sgn(v) < 0 ? 1 : 0);
}

int Operands::Uniform(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(engine_);
}

NemNegEgesz Operands::WithDigits(int count) {
  NemNegEgesz x = Nulla;
  for (int i = 0; i < count; ++i) x[i] = static_cast<std::uint8_t>(Uniform(0, 9));
  if (count > 0) x[count - 1] = static_cast<std::uint8_t>(Uniform(1, 9));
  return x;
}

namespace {

// Lengths where the limit and the cell groupings of a faster path sit.
int EdgeLength(Operands& source) {
  static constexpr int kLengths[] = {1, 2, 7, 8, 9, 16, 17, 127, 128, 129, 248, 255, 256};
  return kLengths[source.Uniform(0, std::size(kLengths) - 1)];
}

}  // namespace

NemNegEgesz Operands::Next() {
  NemNegEgesz x = Nulla;
  switch (Uniform(0, 9)) {
    case 0:
      return Num(std::to_string(Uniform(0, 9)));
    case 1:  // a power of ten
      x[Uniform(0, MaxIndex)] = 1;
      return x;
    case 2:  // all nines of some length
      for (int i = (Uniform(0, 1) == 0 ? EdgeLength(*this) : Uniform(1, 256)) - 1; i >= 0; --i) {
        x[i] = 9;
      }
      return x;
    case 3:  // runs of nines and zeros: long carry and borrow chains
      for (int i = 0, n = Uniform(1, 256); i < n; ++i) {
        x[i] = Uniform(0, 7) == 0 ? static_cast<std::uint8_t>(Uniform(0, 9))
                                  : static_cast<std::uint8_t>(Uniform(0, 1) * 9);
      }
      return x;
    case 4:
    case 5:
      return WithDigits(EdgeLength(*this));
    default:
      return WithDigits(Uniform(1, 256));
  }
}

NemNegEgesz Operands::Partner(const NemNegEgesz& a) {
  NemNegEgesz b = a;
  switch (Uniform(0, 7)) {
    case 0:
      return b;
    case 1: {  // a neighbour: differs in one low cell
      const int i = Uniform(0, MaxIndex);
      b[i] = static_cast<std::uint8_t>((b[i] + Uniform(1, 9)) % 10);
      return b;
    }
    case 2: {  // a length that makes a product land near 256 digits
      const int ta = TopIndex(a);
      const int want = std::max(1, 256 - ta - Uniform(0, 1));
      return WithDigits(want);
    }
    case 3:  // a complement: a + b has many carries
      for (auto& cell : b) cell = static_cast<std::uint8_t>(9 - cell);
      for (int i = MaxIndex; i > 0 && Uniform(0, 3) != 0; --i) b[i] = 0;
      return b;
    default:
      return Next();
  }
}

Egesz Operands::NextSigned() {
  Egesz x{};
  x.Magnitude = Next();
  x.Sign = Uniform(0, 1) == 0 ? Elojel::Negativ : Elojel::Pozitiv;
  // Entry can leave leading zeros in the written form.
  x.Top = static_cast<std::uint8_t>(std::min(255, TopIndex(x.Magnitude) + Uniform(0, 3) / 3));
  return x;
}

std::uint64_t Seed() {
  if (const char* text = std::getenv("NAGYSZAM_SEED")) return std::strtoull(text, nullptr, 10);
  return 20261206;
}

}  // namespace nagyszam::testing
