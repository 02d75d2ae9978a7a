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

// 103 when standard output is no handle, 105 when a write of no bytes is
// refused as not allowed; 0 otherwise. A pipe is not asked: its reader
// would take a write of no bytes for the end. (Wine refuses such a write
// as an invalid handle when its descriptor is closed and when it is open
// only for reading alike: 103 for both.)
std::uint16_t OutputStartError(HANDLE out) noexcept {
  DWORD written = 0;
  if (!Usable(out)) return OutputClosed;
  if (GetFileType(out) == FILE_TYPE_PIPE || WriteFile(out, "", 0, &written, nullptr)) return 0;
  const DWORD refusal = GetLastError();
  if (refusal == ERROR_ACCESS_DENIED) return OutputNotForWriting;
  return refusal == ERROR_INVALID_HANDLE ? OutputClosed : 0;
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
  UseConsoleBackend(StartTranscriptBackend(out, err, OutputStartError(out)), TranscriptColumns,
                    TranscriptRows);
}

}  // namespace nagyszam
