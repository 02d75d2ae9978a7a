// The run-time error report that stops the program on an output error.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nagyszam {

// Calling levels shown at most; deeper ones are left out.
constexpr int MaxReportLocations = 32;

using ReportBuffer = std::array<std::uint8_t, 64 + MaxReportLocations * 16>;

// Fills locations with the calling levels, from the one whose return
// address is failing upward, as offsets from the program's load address;
// returns how many it wrote (at least 1 when max > 0).
int CallingLocations(const void* failing, std::uint32_t* locations, int max) noexcept;

// "Runtime error N at $XXXXXXXX", then "  $XXXXXXXX" for each location (the
// first repeats the failing one), then an empty line; CR LF line ends.
// locations[0] is the failing location. Returns the report's length.
std::size_t FormatRuntimeError(std::uint16_t code, const std::uint32_t* locations, int count,
                               ReportBuffer& out) noexcept;

}  // namespace nagyszam
