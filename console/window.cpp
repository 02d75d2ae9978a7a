#include "console/window.h"

#include <algorithm>

namespace nagyszam {

namespace {

constexpr std::uint8_t Cr = 13;
constexpr std::uint8_t Lf = 10;
constexpr std::uint8_t Bs = 8;
constexpr std::uint8_t Bel = 7;
constexpr std::uint8_t Space = 32;

constexpr std::uint8_t ClampSide(int side) noexcept {
  return static_cast<std::uint8_t>(std::clamp(side, 1, MaxWindowSide));
}

void ScrollUp(Window& window, WindowChange& change) noexcept {
  change.Scrolled = true;
  change.LostRow = window.Cells[0];
  std::copy(window.Cells.begin() + 1, window.Cells.begin() + window.Height, window.Cells.begin());
  window.Cells[window.Height - 1].fill(Space);
}

}  // namespace

void StartWindow(int width, int height, Window& window) noexcept {
  window.Width = ClampSide(width);
  window.Height = ClampSide(height);
  ClearWindow(window);
}

void ClearWindow(Window& window) noexcept {
  for (WindowRow& row : window.Cells) row.fill(Space);
  window.Column = 1;
  window.Row = 1;
}

void ApplyByte(std::uint8_t byte, Window& window, WindowChange& change) noexcept {
  change.CellWritten = false;
  change.Scrolled = false;
  // Counted wider than a byte: the column and row may pass 255 before the wrap.
  int column = window.Column;
  int row = window.Row;
  switch (byte) {
    case Cr:
      column = 1;
      break;
    case Lf:
      ++row;
      break;
    case Bs:
      if (column > 1) --column;
      break;
    case Bel:
      break;
    default:
      window.Cells[row - 1][column - 1] = byte;
      change.CellWritten = true;
      change.WrittenByte = byte;
      change.WrittenColumn = static_cast<std::uint8_t>(column);
      change.WrittenRow = static_cast<std::uint8_t>(row);
      ++column;
      break;
  }
  if (column > window.Width) {
    column = 1;
    ++row;
  }
  // One byte moves at most one row down, so at most one scroll.
  if (row > window.Height) {
    ScrollUp(window, change);
    row = window.Height;
  }
  window.Column = static_cast<std::uint8_t>(column);
  window.Row = static_cast<std::uint8_t>(row);
}

bool PlaceWritePosition(std::uint8_t column, std::uint8_t row, Window& window) noexcept {
  if (column < 1 || column > window.Width || row < 1 || row > window.Height) return false;
  window.Column = column;
  window.Row = row;
  return true;
}

int ShownRowLength(const WindowRow& row, int width) noexcept {
  int length = width;
  while (length > 0 && (row[length - 1] == Space || row[length - 1] == 0)) --length;
  return length;
}

int ShownRowCount(const Window& window) noexcept {
  int count = window.Height;
  while (count > 0 && ShownRowLength(window.Cells[count - 1], window.Width) == 0) --count;
  return count;
}

}  // namespace nagyszam
