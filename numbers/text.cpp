// Decimal text in and out. A number is built in a local copy and written to
// the caller's only once the whole text proved valid, so a failure leaves
// the output as it was.
#include <algorithm>

#include "numbers/numbers.h"

namespace nagyszam {

namespace {

constexpr bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// Digits only, at least one and at most 256 of them.
bool ParseDigits(std::string_view text, NemNegEgesz& out) noexcept {
  if (text.empty() || text.size() > MaxDecimalDigits ||
      !std::all_of(text.begin(), text.end(), IsDigit)) {
    Hiba = true;
    return false;
  }
  NemNegEgesz x{};
  // The last character is the units digit, cell 0.
  for (std::size_t i = 0; i < text.size(); ++i) {
    x[i] = static_cast<std::uint8_t>(text[text.size() - 1 - i] - '0');
  }
  out = x;
  return true;
}

// The digits of x from the most significant down, after the sign text; a
// cell that holds no digit, or too small a buffer, writes nothing.
std::size_t FormatDigits(const NemNegEgesz& x, bool negative, std::span<char> out) noexcept {
  const int top = TopIndex(x);
  const bool valid = std::all_of(x.begin(), x.end(), [](std::uint8_t d) { return d <= 9; });
  const std::size_t length = (negative ? 1 : 0) + static_cast<std::size_t>(top) + 1;
  if (!valid || length > out.size()) {
    Hiba = true;
    return 0;
  }
  std::size_t n = 0;
  if (negative) out[n++] = '-';
  for (int i = top; i >= 0; --i) out[n++] = static_cast<char>('0' + x[i]);
  return n;
}

}  // namespace

void ParseNemNegEgesz(std::string_view text, NemNegEgesz& out) noexcept {
  ParseDigits(text, out);
}

void ParseEgesz(std::string_view text, Egesz& out) noexcept {
  Elojel sign = Elojel::Pozitiv;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    if (text.front() == '-') sign = Elojel::Negativ;
    text.remove_prefix(1);
  }
  NemNegEgesz magnitude;
  if (!ParseDigits(text, magnitude)) return;
  out.Magnitude = magnitude;
  out.Top = static_cast<std::uint8_t>(TopIndex(magnitude));
  // Zero is EgeszNulla, as every library result: "-0" too.
  out.Sign = out.Top == 0 && magnitude[0] == 0 ? Elojel::Pozitiv : sign;
}

std::size_t FormatNemNegEgesz(const NemNegEgesz& x, std::span<char> out) noexcept {
  return FormatDigits(x, false, out);
}

std::size_t FormatEgesz(const Egesz& x, std::span<char> out) noexcept {
  const bool zero =
      std::all_of(x.Magnitude.begin(), x.Magnitude.end(), [](std::uint8_t d) { return d == 0; });
  return FormatDigits(x.Magnitude, x.Sign == Elojel::Negativ && !zero, out);
}

}  // namespace nagyszam
