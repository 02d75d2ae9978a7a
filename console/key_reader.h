// The key algorithm behind ReadKey: platform key events in, the bytes that
// ReadKey returns out (extended keys as 0 and a code, Alt composition on
// the keypad). Pure: no I/O, so every rule is testable directly.
#pragma once

#include <cstdint>

#include "console/key_event.h"

namespace nagyszam {

struct KeyReader {
  bool HasPending;
  std::uint8_t Pending;
  bool Extended;         // the next ReadKey returns 0 and keeps Pending
  std::uint8_t AltCode;  // composed on the keypad so far; 0 gives nothing
};

void ClearKeyReader(KeyReader& reader) noexcept;

// When a byte can be delivered now, stores it in key and returns true.
bool TakeReadyKey(KeyReader& reader, std::uint8_t& key) noexcept;

// Offers the next platform event; TakeReadyKey tells whether it made a
// byte ready.
void OfferKeyEvent(KeyReader& reader, const KeyEvent& event) noexcept;

}  // namespace nagyszam
