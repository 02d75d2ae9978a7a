#include "console/runtime_error.h"

#include <algorithm>

#include "console/decimal.h"

namespace nagyszam {

namespace {

struct ReportWriter {
  ReportBuffer& Out;
  std::size_t Length;
};

void Put(ReportWriter& writer, const char* text) noexcept {
  while (*text != '\0') writer.Out[writer.Length++] = static_cast<std::uint8_t>(*text++);
}

void PutHex(ReportWriter& writer, std::uint32_t value) noexcept {
  constexpr char HexDigits[] = "0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4)
    writer.Out[writer.Length++] = static_cast<std::uint8_t>(HexDigits[(value >> shift) & 0xF]);
}

void PutDecimal(ReportWriter& writer, std::uint16_t value) noexcept {
  DecimalText digits;
  const int length = FormatDecimal(value, false, digits);
  for (int i = 0; i < length; ++i) writer.Out[writer.Length++] = digits[i];
}

}  // namespace

std::size_t FormatRuntimeError(std::uint16_t code, const std::uint32_t* locations, int count,
                               ReportBuffer& out) noexcept {
  ReportWriter writer{out, 0};
  count = std::clamp(count, 1, MaxReportLocations);
  const std::uint32_t failing = locations != nullptr ? locations[0] : 0;
  Put(writer, "Runtime error ");
  PutDecimal(writer, code);
  Put(writer, " at $");
  PutHex(writer, failing);
  Put(writer, "\r\n");
  for (int i = 0; i < count; ++i) {
    Put(writer, "  $");
    PutHex(writer, locations != nullptr ? locations[i] : 0);
    Put(writer, "\r\n");
  }
  Put(writer, "\r\n");
  return writer.Length;
}

}  // namespace nagyszam
