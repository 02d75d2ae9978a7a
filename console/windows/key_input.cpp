// Keys from standard input. A console delivers key events with scan codes
// and the control key state; a file or pipe delivers bytes, each one key.
#include "console/key_scan_codes.h"
#include "console/windows/windows_backends.h"

namespace nagyszam {

namespace {

struct KeyInput {
  HANDLE In;
  HANDLE Err;
  bool FromConsole;
  bool AfterCr;  // a LF right after a CR is the same line end
};

KeyInput input{};

[[noreturn]] void EndOfInput() noexcept {
  FinishAtEndOfInput();
  static constexpr char message[] = "nagyszam: end of input\r\n";
  if (input.Err != nullptr && input.Err != INVALID_HANDLE_VALUE)
    WriteAll(input.Err, message, sizeof message - 1);
  LeaveProcess(1);
}

void Translate(const INPUT_RECORD& record, KeyEvent& event) noexcept {
  event = KeyEvent{};
  if (record.EventType != KEY_EVENT) return;
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  const DWORD state = key.dwControlKeyState;
  event.IsKey = true;
  event.Down = key.bKeyDown != FALSE;
  event.ScanCode = static_cast<std::uint8_t>(key.wVirtualScanCode);
  event.Character = static_cast<std::uint8_t>(key.uChar.AsciiChar);
  event.Shift = (state & SHIFT_PRESSED) != 0;
  event.Ctrl = (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0;
  event.LeftAlt = (state & LEFT_ALT_PRESSED) != 0;
  event.RightAlt = (state & RIGHT_ALT_PRESSED) != 0;
  event.Enhanced = (state & ENHANCED_KEY) != 0;
}

void NextConsoleEvent(KeyEvent& event) noexcept {
  for (;;) {
    DWORD queued = 0;
    if (!GetNumberOfConsoleInputEvents(input.In, &queued)) EndOfInput();
    INPUT_RECORD record;
    // Wine's console takes what its terminal sent into the queue only when
    // asked for records; the look leaves the queue as it is.
    if (queued == 0 && !PeekConsoleInputA(input.In, &record, 1, &queued)) EndOfInput();
    if (queued == 0) {
      Sleep(1);
      continue;
    }
    DWORD got = 0;
    if (!ReadConsoleInputA(input.In, &record, 1, &got)) EndOfInput();
    if (got == 0) continue;
    Translate(record, event);
    return;
  }
}

// A byte as a key press; the release that follows is not needed.
void NextByteEvent(KeyEvent& event) noexcept {
  for (;;) {
    std::uint8_t byte = 0;
    DWORD got = 0;
    if (!ReadFile(input.In, &byte, 1, &got, nullptr) || got == 0) EndOfInput();
    const bool afterCr = input.AfterCr;
    input.AfterCr = byte == '\r';
    if (byte == '\n' && afterCr) continue;
    if (byte == '\n') byte = '\r';
    if (byte == 127) byte = 8;
    event = KeyEvent{};
    event.IsKey = true;
    event.Down = true;
    event.Character = byte;
    // Only a byte that is no character needs a code: the key's own.
    event.ScanCode = byte == 0 ? scan::Digit2 : 0;
    return;
  }
}

}  // namespace

void StartKeyInput(HANDLE in, HANDLE err, bool fromConsole) noexcept {
  input = KeyInput{in, err, fromConsole, false};
}

void NextKeyEvent(KeyEvent& event) noexcept {
  if (input.FromConsole)
    NextConsoleEvent(event);
  else
    NextByteEvent(event);
}

}  // namespace nagyszam
