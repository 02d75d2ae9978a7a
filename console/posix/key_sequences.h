// What terminals send for each key: the escape sequences of the xterm,
// VT220, rxvt and Linux console families, and the US PC keyboard key of
// each ASCII character. Every variant of one key maps to one form.
#pragma once

#include <cstdint>

namespace nagyszam {

// A key as the decoder reports it, before the modifiers of the sequence.
struct TerminalKey {
  std::uint8_t ScanCode;
  std::uint8_t Character;  // 0 for keys that give none
  bool Enhanced;
  bool Shift;
  bool Ctrl;
};

enum class Introducer : std::uint8_t {
  Csi,            // ESC [
  Ss3,            // ESC O
  LinuxFunction,  // ESC [ [, the Linux console's F1..F5
};

// The key of a complete sequence: final byte and, for CSI, the first
// parameter (0 when absent; the "~" family is looked up by it, the letter
// finals take only 0 or 1). False when no key sends it.
bool SequenceKey(Introducer introducer, std::uint8_t finalByte, int number,
                 TerminalKey& key) noexcept;

// The key of an ASCII byte (0..127) typed on a US PC keyboard: printable
// characters with Shift where the character needs it, control bytes as
// Ctrl with the key, Backspace for BS and DEL. No key (scan code 0, no
// character) for ESC and bytes above 127.
TerminalKey AsciiKey(std::uint8_t byte) noexcept;

}  // namespace nagyszam
