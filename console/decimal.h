// The shortest decimal form of a number ("0" for zero, no fill), for every
// place that prints one: the integer writes, the run-time error report and
// the terminal's cursor moves.
#pragma once

#include <array>
#include <cstdint>

namespace nagyszam {

// Room for "-4294967295".
using DecimalText = std::array<std::uint8_t, 11>;

// Writes the form into text from its start, "-" first when negative;
// returns its length.
int FormatDecimal(std::uint32_t magnitude, bool negative, DecimalText& text) noexcept;

}  // namespace nagyszam
