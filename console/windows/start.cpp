// Start-up on Windows: a console screen buffer on standard output gets the
// window, anything else the transcript; standard input gives the keys.
#include "console/windows/windows_backends.h"

namespace nagyszam {

namespace {

// The transcript's window, as a console window of the PC.
constexpr int TranscriptColumns = 80;
constexpr int TranscriptRows = 25;

bool Usable(HANDLE handle) noexcept {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

void StartPlatformConsole() noexcept {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  // Read only: the input mode stays as found, so Ctrl-C and Ctrl-Break
  // keep ending the process.
  DWORD inputMode = 0;
  StartKeyInput(in, err, Usable(in) && GetConsoleMode(in, &inputMode));
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (Usable(out) && GetConsoleScreenBufferInfo(out, &info)) {
    const SMALL_RECT& shown = info.srWindow;
    UseConsoleBackend(StartScreenBackend(out, err, shown, info.wAttributes),
                      shown.Right - shown.Left + 1, shown.Bottom - shown.Top + 1);
    const int column = info.dwCursorPosition.X - shown.Left + 1;
    const int row = info.dwCursorPosition.Y - shown.Top + 1;
    if (column >= 1 && column <= MaxWindowSide && row >= 1 && row <= MaxWindowSide)
      PlaceWritePosition(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row),
                         ConsoleModel());
    return;
  }
  UseConsoleBackend(StartTranscriptBackend(out, err, Usable(out) ? 0 : OutputClosed),
                    TranscriptColumns, TranscriptRows);
}

}  // namespace nagyszam
