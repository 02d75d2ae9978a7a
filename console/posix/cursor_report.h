// The terminal's answer to ESC [ 6 n: ESC [ row ; column R, found among
// whatever else arrived with it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nagyszam {

struct CursorReport {
  std::size_t Start;   // where the answer begins in the bytes
  std::size_t Length;  // how many bytes it takes
  int Row;             // 1-based, as the terminal counts
  int Column;
};

// Finds the first complete answer; false when there is none.
bool FindCursorReport(const std::uint8_t* bytes, std::size_t length, CursorReport& report) noexcept;

// Removes the answer's bytes; returns the new length.
std::size_t CutCursorReport(std::uint8_t* bytes, std::size_t length,
                            const CursorReport& report) noexcept;

}  // namespace nagyszam
