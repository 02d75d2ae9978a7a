// The two entry editors: a prompt row, then keys one at a time until CR ends
// a valid number. The writes of the key loop are unchecked; the loop learns
// of a failure through TakeOutputError at the next digit or CR.
#include <array>
#include <cstdint>

#include "console/console.h"
#include "entry/entry.h"

namespace nagyszam {

namespace {

constexpr std::uint8_t KeyBell = 7;
constexpr std::uint8_t KeyBackspace = 8;
constexpr std::uint8_t KeyLineFeed = 10;
constexpr std::uint8_t KeyEnter = 13;
constexpr std::uint8_t KeyPlus = 43;
constexpr std::uint8_t KeyMinus = 45;

// Digit capacity of one entry, shown in the prompt row too.
constexpr std::int16_t DigitCapacity = 256;
constexpr std::int16_t NoSignYet = -2;

constexpr ShortText NemNegLeadIn = Cp852Text(u8" (A szám legfeljebb ");
constexpr ShortText EgeszLeadIn = Cp852Text(u8" (Az előjeles szám legfeljebb ");
constexpr ShortText PromptClose = Cp852Text(u8" jegyű):");
constexpr ShortText BackOverCell{3, {KeyBackspace, ' ', KeyBackspace}};
constexpr ShortText TooLongMessage = Cp852Text(u8"Túl hosszú szám! Kérem újra!");
static_assert(TooLongMessage.Length == 28);

constexpr bool IsDigitKey(std::uint8_t k) noexcept {
  return k >= '0' && k <= '9';
}

// BEL and LF move the cursor without filling a cell (or not at all), so an
// echo of them could not be taken back by blanking one cell. (BS and CR
// never come here.)
constexpr bool FillsOneCell(std::uint8_t k) noexcept {
  return k != KeyBell && k != KeyLineFeed;
}

// The digits of one entry, in typing order, and for each of them where its
// echo left the cursor: the column it was echoed in when that echo wrapped to
// the next row, else 0. The sign of a signed entry gets the same record.
struct DigitBuffer {
  std::array<std::uint8_t, DigitCapacity> Digits;
  std::array<std::uint8_t, DigitCapacity> WrapColumn;
  std::int16_t Counter;  // index of the last digit held; -1 none, -2 no sign yet
  std::uint8_t SignWrapColumn;
};

// The prompt row; typing starts at column 1 of the next row.
void WritePromptRow(ShortText prompt, ShortText leadIn) noexcept {
  WriteTextChecked(prompt);
  WriteTextChecked(leadIn);
  WriteSignedChecked(DigitCapacity);
  WriteTextChecked(PromptClose);
  EndLineChecked();
}

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

// Writes the key at the cursor. Returns the column it was written in when
// the write wrapped the cursor to column 1 of the next row, else 0.
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

// A rejected key: echoed, then replaced by a space, the cursor left on that
// cell. Keys that fill no cell are not shown at all.
void RejectKey(std::uint8_t k) noexcept {
  if (!FillsOneCell(k)) return;
  const std::uint8_t column = CursorColumn();
  const std::uint8_t wrapColumn = EchoKey(k);
  if (wrapColumn != 0)
    BlankCell(wrapColumn, static_cast<std::uint8_t>(CursorRow() - 1));
  else
    BlankCell(column, CursorRow());
}

// Takes a held character off the screen: BS, space, BS, or, when its echo
// wrapped, the cell at the end of the row above. The console's BS stops at
// column 1, so it could not reach that cell.
void EraseHeld(std::uint8_t wrapColumn) noexcept {
  if (wrapColumn != 0 && CursorColumn() == 1)
    BlankCell(wrapColumn, static_cast<std::uint8_t>(CursorRow() - 1));
  else
    WriteText(BackOverCell);
}

// The 257th digit: message on a row of its own, every digit dropped.
void RunTooLongSteps(DigitBuffer& buffer) noexcept {
  WriteText(NewRow);
  WriteText(TooLongMessage);
  EndLine();
  buffer.Counter = -1;
  // The sign, if any, now stands rows above the cursor, not before it.
  buffer.SignWrapColumn = 0;
}

// Any key but BS once digits may be typed, in both editors.
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

// BS in the non-negative editor: the last digit, if any.
void TakeNemNegBackspace(DigitBuffer& buffer) noexcept {
  if (buffer.Counter < 0) return;
  EraseHeld(buffer.WrapColumn[static_cast<std::size_t>(buffer.Counter)]);
  --buffer.Counter;
}

// Before the first digit only a sign counts; every other key is ignored
// without a trace on the screen.
void TakeSignPhaseKey(std::uint8_t k, DigitBuffer& buffer, Egesz& x) noexcept {
  if (k != KeyPlus && k != KeyMinus) return;
  buffer.SignWrapColumn = EchoKey(k);
  x.Sign = k == KeyPlus ? Elojel::Pozitiv : Elojel::Negativ;
  buffer.Counter = -1;
}

// BS in the signed editor with no digit held takes the sign back and reopens
// the sign phase; the sign last typed stays in x until another one is typed.
void TakeEgeszBackspace(DigitBuffer& buffer) noexcept {
  if (buffer.Counter >= 0)
    EraseHeld(buffer.WrapColumn[static_cast<std::size_t>(buffer.Counter)]);
  else
    EraseHeld(buffer.SignWrapColumn);
  --buffer.Counter;
}

// True when the key ends the entry: CR with a digit held and no output error
// pending. Takes the pending error on CR and digit keys.
bool EndsEntry(std::uint8_t k, const DigitBuffer& buffer) noexcept {
  if (k != KeyEnter && !IsDigitKey(k)) return false;
  const std::uint16_t error = TakeOutputError();
  return k == KeyEnter && error == 0 && buffer.Counter >= 0;
}

// Line end after the typed digits, then the digits into the number's cells,
// the last typed into cell 0, zeros above.
void StoreDigits(const DigitBuffer& buffer, NemNegEgesz& cells) noexcept {
  EndLineChecked();
  const std::int16_t n = buffer.Counter;
  for (std::int16_t i = 0; i <= n; ++i)
    cells[static_cast<std::size_t>(i)] = buffer.Digits[static_cast<std::size_t>(n - i)];
  for (std::int16_t i = static_cast<std::int16_t>(n + 1); i <= MaxIndex; ++i)
    cells[static_cast<std::size_t>(i)] = 0;
}

}  // namespace

void ReadNemNegEgesz(ShortText prompt, NemNegEgesz& x) noexcept {
  WritePromptRow(prompt, NemNegLeadIn);
  DigitBuffer buffer{};
  buffer.Counter = -1;
  for (;;) {
    const std::uint8_t k = ReadKey();
    if (k == KeyBackspace)
      TakeNemNegBackspace(buffer);
    else
      TakeDigitPhaseKey(k, buffer);
    if (EndsEntry(k, buffer)) break;
  }
  StoreDigits(buffer, x);
}

void ReadEgesz(ShortText prompt, Egesz& x) noexcept {
  WritePromptRow(prompt, EgeszLeadIn);
  x.Sign = Elojel::Pozitiv;
  DigitBuffer buffer{};
  buffer.Counter = NoSignYet;
  for (;;) {
    const std::uint8_t k = ReadKey();
    if (buffer.Counter == NoSignYet)
      TakeSignPhaseKey(k, buffer, x);
    else if (k == KeyBackspace)
      TakeEgeszBackspace(buffer);
    else
      TakeDigitPhaseKey(k, buffer);
    if (EndsEntry(k, buffer)) break;
  }
  StoreDigits(buffer, x.Magnitude);
  x.Top = static_cast<std::uint8_t>(buffer.Counter);
}

}  // namespace nagyszam
