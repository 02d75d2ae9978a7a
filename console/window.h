// The console window model: the single truth for what the screen shows and
// where the cursor stands. Backends only render its changes.
#pragma once

#include <array>
#include <cstdint>

namespace nagyszam {

constexpr int MaxWindowSide = 255;

using WindowRow = std::array<std::uint8_t, MaxWindowSide>;

struct Window {
  std::uint8_t Width;                          // 1..255
  std::uint8_t Height;                         // 1..255
  std::uint8_t Column;                         // write position, 1..Width
  std::uint8_t Row;                            // 1..Height
  std::array<WindowRow, MaxWindowSide> Cells;  // [row - 1][column - 1]; spaces beyond the window
};

// What one byte did to the window, so a backend can show exactly that.
struct WindowChange {
  bool CellWritten;  // the cell at WrittenColumn, WrittenRow got WrittenByte
  std::uint8_t WrittenByte;
  std::uint8_t WrittenColumn;
  std::uint8_t WrittenRow;
  bool Scrolled;      // the window moved up one row; LostRow held its top row
  WindowRow LostRow;  // valid only when Scrolled
};

// A window of the given size (each side clamped to 1..255), all spaces,
// the write position at column 1, row 1.
void StartWindow(int width, int height, Window& window) noexcept;

// Every cell a space, the write position at column 1, row 1.
void ClearWindow(Window& window) noexcept;

// Applies one written byte: CR, LF, BS and BEL move or do nothing, every
// other byte fills the cell at the write position; a column past the last
// wraps at once and a row past the bottom scrolls the window.
void ApplyByte(std::uint8_t byte, Window& window, WindowChange& change) noexcept;

// Moves the write position; returns false and changes nothing when the
// position lies outside the window.
bool PlaceWritePosition(std::uint8_t column, std::uint8_t row, Window& window) noexcept;

// The number of cells in a row up to its last one that does not show as a
// blank (0 and space both show as one).
int ShownRowLength(const WindowRow& row, int width) noexcept;

// The number of rows up to the last one that shows anything but blanks.
int ShownRowCount(const Window& window) noexcept;

}  // namespace nagyszam
