// One keyboard event as the platforms report it, before the key algorithm
// turns events into the bytes that ReadKey returns.
#pragma once

#include <cstdint>

namespace nagyszam {

struct KeyEvent {
  bool IsKey;              // false for mouse, focus and window events: skipped
  bool Down;               // press (true) or release (false)
  std::uint8_t ScanCode;   // IBM PC scan code set 1
  std::uint8_t Character;  // code page 852 byte; 0 when the key gives none
  bool Shift;
  bool Ctrl;
  bool LeftAlt;
  bool RightAlt;
  bool Enhanced;  // cursor/editing block, keypad Enter, keypad slash
};

}  // namespace nagyszam
