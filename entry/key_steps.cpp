#include "entry/key_steps.h"

#include "console/console.h"

namespace nagyszam {

namespace {

constexpr ShortText PromptClose = Cp852Text(u8" jegyű):");
constexpr ShortText BackOverCell{3, {KeyBackspace, ' ', KeyBackspace}};
constexpr ShortText NewRow{2, {KeyEnter, KeyLineFeed}};
constexpr ShortText TooLongMessage = Cp852Text(u8"Túl hosszú szám! Kérem újra!");
static_assert(TooLongMessage.Length == 28);

// Blanks one cell and leaves the cursor on it. Row 0 means the cell has
// scrolled out of the window: there is nothing left to blank.
void BlankCell(std::uint8_t column, std::uint8_t row) noexcept {
  if (row == 0) return;
  PlaceCursor(column, row);
  WriteChar(' ');
  PlaceCursor(column, row);
}

// Whether the window is one column wide, learnt from the console alone: a
// cursor placed beyond the window does not move.
bool OneColumnWide(std::uint8_t row) noexcept {
  PlaceCursor(2, row);
  if (CursorColumn() != 2) return true;
  PlaceCursor(1, row);
  return false;
}

}  // namespace

void WritePromptRow(ShortText prompt, ShortText leadIn) noexcept {
  WriteText(prompt);
  CheckOutput();
  WriteText(leadIn);
  CheckOutput();
  WriteSigned(DigitCapacity);
  CheckOutput();
  WriteText(PromptClose);
  CheckOutput();
  EndLine();
  CheckOutput();
}

std::uint8_t EchoKey(std::uint8_t k) noexcept {
  const std::uint8_t column = CursorColumn();
  const std::uint8_t row = CursorRow();
  WriteChar(k);
  // A write that failed moves nothing; only a write into the last column
  // lands the cursor in column 1 (of the next row, or of the bottom row once
  // the window has scrolled). From column 1 on the bottom row the two look
  // alike unless the window is one column wide.
  if (CursorColumn() != 1) return 0;
  if (column != 1 || CursorRow() != row) return column;
  return OneColumnWide(row) ? column : 0;
}

void RejectKey(std::uint8_t k) noexcept {
  if (!FillsOneCell(k)) return;
  const std::uint8_t column = CursorColumn();
  const std::uint8_t wrapColumn = EchoKey(k);
  if (wrapColumn != 0)
    BlankCell(wrapColumn, static_cast<std::uint8_t>(CursorRow() - 1));
  else
    BlankCell(column, CursorRow());
}

void EraseHeld(std::uint8_t wrapColumn) noexcept {
  // The console's BS stops at column 1, so a character that wrapped the
  // cursor has to be blanked where it stands, at the end of the row above.
  if (wrapColumn != 0 && CursorColumn() == 1)
    BlankCell(wrapColumn, static_cast<std::uint8_t>(CursorRow() - 1));
  else
    WriteText(BackOverCell);
}

void RunTooLongSteps(DigitBuffer& buffer) noexcept {
  WriteText(NewRow);
  WriteText(TooLongMessage);
  EndLine();
  buffer.Counter = -1;
  // The sign, if any, now stands rows above the cursor, not before it.
  buffer.SignWrapColumn = 0;
}

void TakeDigitPhaseKey(std::uint8_t k, DigitBuffer& buffer) noexcept {
  if (IsDigitKey(k)) {
    const std::uint8_t wrapColumn = EchoKey(k);
    if (buffer.Counter == DigitCapacity - 1) {
      RunTooLongSteps(buffer);
      return;
    }
    ++buffer.Counter;
    const auto i = static_cast<std::size_t>(buffer.Counter);
    buffer.Digits[i] = static_cast<std::uint8_t>(k - '0');
    buffer.WrapColumn[i] = wrapColumn;
  } else if (k == KeyEnter) {
    // Echoing a CR that cannot end the entry would send the cursor back over
    // what is shown.
    if (buffer.Counter >= 0) WriteChar(k);
  } else {
    RejectKey(k);
  }
}

bool EndsEntry(std::uint8_t k, const DigitBuffer& buffer) noexcept {
  if (k != KeyEnter && !IsDigitKey(k)) return false;
  const std::uint16_t error = TakeOutputError();
  return k == KeyEnter && error == 0 && buffer.Counter >= 0;
}

void StoreDigits(const DigitBuffer& buffer, NemNegEgesz& cells) noexcept {
  EndLine();
  CheckOutput();
  const std::int16_t n = buffer.Counter;
  for (std::int16_t i = 0; i <= n; ++i)
    cells[static_cast<std::size_t>(i)] = buffer.Digits[static_cast<std::size_t>(n - i)];
  for (std::int16_t i = static_cast<std::int16_t>(n + 1); i <= MaxIndex; ++i)
    cells[static_cast<std::size_t>(i)] = 0;
}

}  // namespace nagyszam
