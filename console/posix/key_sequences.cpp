#include "console/posix/key_sequences.h"

#include <array>

#include "console/key_scan_codes.h"

namespace nagyszam {
namespace {

constexpr TerminalKey Grey(std::uint8_t scanCode) noexcept {
  return TerminalKey{scanCode, 0, true, false, false};
}
constexpr TerminalKey NoChar(std::uint8_t scanCode) noexcept {
  return TerminalKey{scanCode, 0, false, false, false};
}
constexpr TerminalKey Function(int n) noexcept {
  return NoChar(static_cast<std::uint8_t>(n <= 10 ? scan::F1 + n - 1 : scan::F11 + n - 11));
}
constexpr TerminalKey Shifted(TerminalKey key) noexcept {
  key.Shift = true;
  return key;
}
constexpr TerminalKey Ctrled(TerminalKey key) noexcept {
  key.Ctrl = true;
  return key;
}
constexpr TerminalKey CharKey(std::uint8_t scanCode, char c) noexcept {
  return TerminalKey{scanCode, static_cast<std::uint8_t>(c), false, false, false};
}

struct LetterSequence {
  Introducer In;
  char Final;
  TerminalKey Key;
};

// Sequences told apart by their final letter.
constexpr LetterSequence LetterSequences[] = {
    // Cursor keys: xterm and VT220 in normal (CSI) and application (SS3) mode.
    {Introducer::Csi, 'A', Grey(scan::Up)},
    {Introducer::Csi, 'B', Grey(scan::Down)},
    {Introducer::Csi, 'C', Grey(scan::Right)},
    {Introducer::Csi, 'D', Grey(scan::Left)},
    {Introducer::Csi, 'H', Grey(scan::Home)},
    {Introducer::Csi, 'F', Grey(scan::End)},
    {Introducer::Csi, 'E', NoChar(scan::KeypadFive)},  // keypad 5 without Num Lock
    {Introducer::Csi, 'G', NoChar(scan::KeypadFive)},  // the same on the Linux console
    {Introducer::Csi, 'P', Function(1)},               // xterm's modified F1..F4
    {Introducer::Csi, 'Q', Function(2)},
    {Introducer::Csi, 'R', Function(3)},
    {Introducer::Csi, 'S', Function(4)},
    {Introducer::Csi, 'Z', TerminalKey{scan::Tab, '\t', false, true, false}},
    // rxvt's shifted cursor keys.
    {Introducer::Csi, 'a', Shifted(Grey(scan::Up))},
    {Introducer::Csi, 'b', Shifted(Grey(scan::Down))},
    {Introducer::Csi, 'c', Shifted(Grey(scan::Right))},
    {Introducer::Csi, 'd', Shifted(Grey(scan::Left))},
    {Introducer::Ss3, 'A', Grey(scan::Up)},
    {Introducer::Ss3, 'B', Grey(scan::Down)},
    {Introducer::Ss3, 'C', Grey(scan::Right)},
    {Introducer::Ss3, 'D', Grey(scan::Left)},
    {Introducer::Ss3, 'H', Grey(scan::Home)},
    {Introducer::Ss3, 'F', Grey(scan::End)},
    {Introducer::Ss3, 'E', NoChar(scan::KeypadFive)},
    {Introducer::Ss3, 'P', Function(1)},
    {Introducer::Ss3, 'Q', Function(2)},
    {Introducer::Ss3, 'R', Function(3)},
    {Introducer::Ss3, 'S', Function(4)},
    // rxvt's Ctrl with the cursor keys.
    {Introducer::Ss3, 'a', Ctrled(Grey(scan::Up))},
    {Introducer::Ss3, 'b', Ctrled(Grey(scan::Down))},
    {Introducer::Ss3, 'c', Ctrled(Grey(scan::Right))},
    {Introducer::Ss3, 'd', Ctrled(Grey(scan::Left))},
    // The keypad in application mode.
    {Introducer::Ss3, 'M', TerminalKey{scan::Enter, '\r', true, false, false}},
    {Introducer::Ss3, 'j', CharKey(scan::KeypadStar, '*')},
    {Introducer::Ss3, 'k', CharKey(scan::KeypadPlus, '+')},
    {Introducer::Ss3, 'l', CharKey(scan::Delete, ',')},
    {Introducer::Ss3, 'm', CharKey(scan::KeypadMinus, '-')},
    {Introducer::Ss3, 'n', CharKey(scan::Delete, '.')},
    {Introducer::Ss3, 'o', TerminalKey{scan::Slash, '/', true, false, false}},
    {Introducer::Ss3, 'p', CharKey(scan::Insert, '0')},
    {Introducer::Ss3, 'q', CharKey(scan::End, '1')},
    {Introducer::Ss3, 'r', CharKey(scan::Down, '2')},
    {Introducer::Ss3, 's', CharKey(scan::PageDown, '3')},
    {Introducer::Ss3, 't', CharKey(scan::Left, '4')},
    {Introducer::Ss3, 'u', CharKey(scan::KeypadFive, '5')},
    {Introducer::Ss3, 'v', CharKey(scan::Right, '6')},
    {Introducer::Ss3, 'w', CharKey(scan::Home, '7')},
    {Introducer::Ss3, 'x', CharKey(scan::Up, '8')},
    {Introducer::Ss3, 'y', CharKey(scan::PageUp, '9')},
    {Introducer::LinuxFunction, 'A', Function(1)},
    {Introducer::LinuxFunction, 'B', Function(2)},
    {Introducer::LinuxFunction, 'C', Function(3)},
    {Introducer::LinuxFunction, 'D', Function(4)},
    {Introducer::LinuxFunction, 'E', Function(5)},
};

struct NumberSequence {
  int Number;
  TerminalKey Key;
};

// CSI n ~ (and rxvt's n $, n ^, n @), by n.
constexpr NumberSequence NumberSequences[] = {
    {1, Grey(scan::Home)},  // VT220 Find, the Linux console's Home
    {2, Grey(scan::Insert)},
    {3, Grey(scan::Delete)},
    {4, Grey(scan::End)},  // VT220 Select, the Linux console's End
    {5, Grey(scan::PageUp)},
    {6, Grey(scan::PageDown)},
    {7, Grey(scan::Home)},  // rxvt
    {8, Grey(scan::End)},   // rxvt
    {11, Function(1)},
    {12, Function(2)},
    {13, Function(3)},
    {14, Function(4)},
    {15, Function(5)},
    {17, Function(6)},
    {18, Function(7)},
    {19, Function(8)},
    {20, Function(9)},
    {21, Function(10)},
    {23, Function(11)},
    {24, Function(12)},
    // rxvt and the Linux console number Shift+F3..F10 on from F12.
    {25, Shifted(Function(3))},
    {26, Shifted(Function(4))},
    {28, Shifted(Function(5))},
    {29, Shifted(Function(6))},
    {31, Shifted(Function(7))},
    {32, Shifted(Function(8))},
    {33, Shifted(Function(9))},
    {34, Shifted(Function(10))},
};

struct Punctuation {
  char Unshifted, Shifted;
  std::uint8_t ScanCode;
};

constexpr Punctuation PunctuationKeys[] = {
    {'1', '!', scan::Digit1},      {'2', '@', scan::Digit2},       {'3', '#', scan::Digit1 + 2},
    {'4', '$', scan::Digit1 + 3},  {'5', '%', scan::Digit1 + 4},   {'6', '^', scan::Digit6},
    {'7', '&', scan::Digit1 + 6},  {'8', '*', scan::Digit1 + 7},   {'9', '(', scan::Digit1 + 8},
    {'0', ')', scan::Digit0},      {'-', '_', scan::Minus},        {'=', '+', scan::Equals},
    {'[', '{', scan::LeftBracket}, {']', '}', scan::RightBracket}, {';', ':', scan::Semicolon},
    {'\'', '"', scan::Quote},      {'`', '~', scan::Backquote},    {'\\', '|', scan::Backslash},
    {',', '<', scan::Comma},       {'.', '>', scan::Period},       {'/', '?', scan::Slash},
    {' ', ' ', scan::Space},
};

// No key (scan code 0, no character) for a byte no US key types.
TerminalKey PrintableKey(char c) noexcept {
  const auto byte = static_cast<std::uint8_t>(c);
  if (c >= 'a' && c <= 'z') return CharKey(scan::Letters[c - 'a'], c);
  if (c >= 'A' && c <= 'Z') return Shifted(CharKey(scan::Letters[c - 'A'], c));
  for (const Punctuation& p : PunctuationKeys) {
    if (p.Unshifted == c || p.Shifted == c) {
      return TerminalKey{p.ScanCode, byte, false, p.Unshifted != c, false};
    }
  }
  return TerminalKey{};
}

}  // namespace

bool SequenceKey(Introducer introducer, std::uint8_t finalByte, int number,
                 TerminalKey& key) noexcept {
  if (introducer == Introducer::Csi && finalByte == '~') {
    for (const NumberSequence& s : NumberSequences) {
      if (s.Number == number) {
        key = s.Key;
        return true;
      }
    }
    return false;
  }
  if (number > 1) return false;
  for (const LetterSequence& s : LetterSequences) {
    if (s.In == introducer && static_cast<std::uint8_t>(s.Final) == finalByte) {
      key = s.Key;
      return true;
    }
  }
  return false;
}

TerminalKey AsciiKey(std::uint8_t byte) noexcept {
  switch (byte) {
    case '\r':
      return CharKey(scan::Enter, '\r');
    case '\t':
      return CharKey(scan::Tab, '\t');
    case 8:
    case 127:
      return CharKey(scan::Backspace, 8);
    case 0:  // Ctrl+2, as the PC gives it: no character
      return Ctrled(NoChar(scan::Digit2));
    case 27:
      return TerminalKey{};
    case 28:
      return Ctrled(CharKey(scan::Backslash, 28));
    case 29:
      return Ctrled(CharKey(scan::RightBracket, 29));
    case 30:
      return Ctrled(CharKey(scan::Digit6, 30));
    case 31:
      return Ctrled(CharKey(scan::Minus, 31));
    default:
      break;
  }
  if (byte < 27) return Ctrled(CharKey(scan::Letters[byte - 1], static_cast<char>(byte)));
  return byte < 128 ? PrintableKey(static_cast<char>(byte)) : TerminalKey{};
}

}  // namespace nagyszam
