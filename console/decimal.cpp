#include "console/decimal.h"

namespace nagyszam {

int FormatDecimal(std::uint32_t magnitude, bool negative, DecimalText& text) noexcept {
  // Digits come lowest first: gather them from the end, then move them up.
  int first = static_cast<int>(text.size());
  do {
    text[--first] = static_cast<std::uint8_t>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) text[--first] = '-';
  const int length = static_cast<int>(text.size()) - first;
  for (int i = 0; i < length; ++i) text[i] = text[first + i];
  return length;
}

}  // namespace nagyszam
