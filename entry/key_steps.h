// The screen steps shared by both entry editors: echo of a key, taking back a
// rejected key, BS, and the too-long message. All writes here are unchecked;
// the key loop learns of a failure through TakeOutputError.
#pragma once

#include <array>
#include <cstdint>

#include "console/short_text.h"
#include "numbers/numbers.h"

namespace nagyszam {

inline constexpr std::uint8_t KeyBell = 7;
inline constexpr std::uint8_t KeyBackspace = 8;
inline constexpr std::uint8_t KeyLineFeed = 10;
inline constexpr std::uint8_t KeyEnter = 13;
inline constexpr std::uint8_t KeyPlus = 43;
inline constexpr std::uint8_t KeyMinus = 45;

// Digit capacity of one entry, shown in the prompt row too.
inline constexpr std::int16_t DigitCapacity = 256;

constexpr bool IsDigitKey(std::uint8_t k) noexcept {
  return k >= '0' && k <= '9';
}

// BEL and LF move the cursor without filling a cell (or not at all), so an
// echo of them could not be taken back by blanking one cell.
constexpr bool FillsOneCell(std::uint8_t k) noexcept {
  return k != KeyBell && k != KeyBackspace && k != KeyLineFeed && k != KeyEnter;
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

// The prompt row, checked: prompt, the lead-in text, 256, the closing text,
// line end. Typing starts at column 1 of the next row.
void WritePromptRow(ShortText prompt, ShortText leadIn) noexcept;

// Writes the key at the cursor. Returns the column it was written in when
// the write wrapped the cursor to column 1 of the next row, else 0.
std::uint8_t EchoKey(std::uint8_t k) noexcept;

// A rejected key: echoed, then replaced by a space, the cursor left on that
// cell. Keys that fill no cell are not shown at all.
void RejectKey(std::uint8_t k) noexcept;

// Takes a held character off the screen: BS, space, BS, or, when its echo
// wrapped (wrapColumn not 0), the cell at the end of the row above.
void EraseHeld(std::uint8_t wrapColumn) noexcept;

// The 257th digit: message on a row of its own, every digit dropped.
void RunTooLongSteps(DigitBuffer& buffer) noexcept;

// Digit-phase handling of one key (not BS), shared by both editors.
void TakeDigitPhaseKey(std::uint8_t k, DigitBuffer& buffer) noexcept;

// True when the key ends the entry: CR with a digit held and no output error
// pending. Takes the pending error on CR and digit keys.
bool EndsEntry(std::uint8_t k, const DigitBuffer& buffer) noexcept;

// Line end after the typed digits, then the digits into the number's cells,
// the last typed into cell 0, zeros above.
void StoreDigits(const DigitBuffer& buffer, NemNegEgesz& cells) noexcept;

}  // namespace nagyszam
