// Keyboard scan codes (IBM PC set 1) of the keys the key algorithm and the
// terminal decoder name, and the code a key gives under each modifier.
#pragma once

#include <array>
#include <cstdint>

namespace nagyszam {

namespace scan {
inline constexpr std::uint8_t Esc = 1;
inline constexpr std::uint8_t Digit1 = 2;  // the top row runs 1..9, 0, -, = as 2..13
inline constexpr std::uint8_t Digit2 = 3;
inline constexpr std::uint8_t Digit6 = 7;
inline constexpr std::uint8_t Digit0 = 11;
inline constexpr std::uint8_t Minus = 12;
inline constexpr std::uint8_t Equals = 13;
inline constexpr std::uint8_t Backspace = 14;
inline constexpr std::uint8_t Tab = 15;
inline constexpr std::uint8_t LeftBracket = 26;
inline constexpr std::uint8_t RightBracket = 27;
inline constexpr std::uint8_t Enter = 28;
inline constexpr std::uint8_t Ctrl = 29;
inline constexpr std::uint8_t Semicolon = 39;
inline constexpr std::uint8_t Quote = 40;
inline constexpr std::uint8_t Backquote = 41;
inline constexpr std::uint8_t LeftShift = 42;
inline constexpr std::uint8_t Backslash = 43;
inline constexpr std::uint8_t Comma = 51;
inline constexpr std::uint8_t Period = 52;
inline constexpr std::uint8_t Slash = 53;
inline constexpr std::uint8_t RightShift = 54;
inline constexpr std::uint8_t KeypadStar = 55;
inline constexpr std::uint8_t Alt = 56;
inline constexpr std::uint8_t Space = 57;
inline constexpr std::uint8_t CapsLock = 58;
inline constexpr std::uint8_t F1 = 59;  // F1..F10 are 59..68
inline constexpr std::uint8_t F10 = 68;
inline constexpr std::uint8_t NumLock = 69;
inline constexpr std::uint8_t ScrollLock = 70;
inline constexpr std::uint8_t Home = 71;  // also keypad 7
inline constexpr std::uint8_t Up = 72;
inline constexpr std::uint8_t PageUp = 73;
inline constexpr std::uint8_t KeypadMinus = 74;
inline constexpr std::uint8_t Left = 75;
inline constexpr std::uint8_t KeypadFive = 76;
inline constexpr std::uint8_t Right = 77;
inline constexpr std::uint8_t KeypadPlus = 78;
inline constexpr std::uint8_t End = 79;
inline constexpr std::uint8_t Down = 80;
inline constexpr std::uint8_t PageDown = 81;
inline constexpr std::uint8_t Insert = 82;
inline constexpr std::uint8_t Delete = 83;
inline constexpr std::uint8_t F11 = 87;
inline constexpr std::uint8_t F12 = 88;

// The letter keys a..z of a US keyboard.
inline constexpr std::array<std::uint8_t, 26> Letters{30, 48, 46, 32, 18, 33, 34, 35, 23,
                                                      36, 37, 38, 50, 49, 24, 25, 16, 19,
                                                      31, 20, 22, 47, 17, 45, 21, 44};
}  // namespace scan

// Shift, Ctrl, Alt and the lock keys: pressed alone they give no key.
constexpr bool IsModifierScanCode(std::uint8_t scanCode) noexcept {
  return scanCode == scan::LeftShift || scanCode == scan::RightShift || scanCode == scan::Ctrl ||
         scanCode == scan::Alt || scanCode == scan::CapsLock || scanCode == scan::NumLock ||
         scanCode == scan::ScrollLock;
}

// The digit a keypad key stands for in an Alt composition, by position
// (7 8 9 / 4 5 6 / 1 2 3 / 0); -1 for every other scan code.
constexpr int KeypadDigit(std::uint8_t scanCode) noexcept {
  constexpr std::array<int, 12> Digits{7, 8, 9, -1, 4, 5, 6, -1, 1, 2, 3, 0};
  if (scanCode < scan::Home || scanCode > scan::Insert) return -1;
  return Digits[scanCode - scan::Home];
}

// The code of an extended key: its scan code changed by the modifiers held,
// tested Alt (either), else Ctrl, else Shift, else none.
constexpr std::uint8_t ExtendedKeyCode(std::uint8_t scanCode, bool alt, bool ctrl,
                                       bool shift) noexcept {
  const int s = scanCode;
  if (alt) {
    if (s >= scan::Digit1 && s <= scan::Equals) return static_cast<std::uint8_t>(s + 118);
    if (s == scan::Enter) return 166;
    if (s == scan::Slash) return 164;
    if (s >= scan::F1 && s <= scan::F10) return static_cast<std::uint8_t>(s + 45);
    if (s >= scan::Home && s <= scan::Delete && s != scan::KeypadMinus && s != scan::KeypadFive &&
        s != scan::KeypadPlus)
      return static_cast<std::uint8_t>(s + 80);
    if (s == scan::F11) return 139;
    if (s == scan::F12) return 140;
    return scanCode;
  }
  if (ctrl) {
    constexpr std::array<std::uint8_t, 13> CtrlPad{119, 141, 132, 142, 115, 143, 116,
                                                   78,  117, 145, 118, 146, 147};
    if (s == scan::Tab) return 148;
    if (s == scan::Slash) return 149;
    if (s == scan::KeypadStar) return 150;
    if (s >= scan::F1 && s <= scan::F10) return static_cast<std::uint8_t>(s + 35);
    if (s >= scan::Home && s <= scan::Delete) return CtrlPad[s - scan::Home];
    if (s == scan::F11) return 137;
    if (s == scan::F12) return 138;
    return scanCode;
  }
  if (shift) {
    if (s >= scan::F1 && s <= scan::F10) return static_cast<std::uint8_t>(s + 25);
    if (s == scan::F11) return 135;
    if (s == scan::F12) return 136;
    return scanCode;
  }
  if (s == scan::F11) return 133;
  if (s == scan::F12) return 134;
  return scanCode;
}

static_assert(ExtendedKeyCode(scan::Up, false, false, false) == 72);
static_assert(ExtendedKeyCode(scan::Delete, false, true, false) == 147);
static_assert(KeypadDigit(scan::Insert) == 0 && KeypadDigit(scan::KeypadMinus) == -1);

}  // namespace nagyszam
