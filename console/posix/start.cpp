// Start-up on POSIX: a terminal on standard output gets the terminal
// backend, anything else the transcript; standard input gives the keys.
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "console/console_backend.h"
#include "console/posix/cursor_report.h"
#include "console/posix/key_input.h"
#include "console/posix/output_buffer.h"
#include "console/posix/terminal_backend.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {

namespace {

// How long the terminal may take to answer the cursor report. A terminal
// that never answers costs this once; the cursor is then taken to stand at
// column 1, row 1, and the first output places it there.
constexpr std::int64_t CursorReportWaitMs = 200;

constexpr int DefaultColumns = 80;
constexpr int DefaultRows = 25;

Charset chars;

std::uint16_t OutputStartError() noexcept {
  const int flags = fcntl(STDOUT_FILENO, F_GETFL);
  if (flags < 0) return OutputClosed;
  if ((flags & O_ACCMODE) == O_RDONLY) return OutputNotForWriting;
  return 0;
}

// A whole number 1..255, else the fallback.
int WindowSide(const char* value, int fallback) noexcept {
  if (value == nullptr || *value == '\0') return fallback;
  int side = 0;
  for (const char* c = value; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return fallback;
    side = side * 10 + (*c - '0');
    if (side > MaxWindowSide) return fallback;
  }
  return side >= 1 ? side : fallback;
}

// Reads keys until the terminal's answer is among them: false when the
// wait is over, the room is full or the input ends first.
bool AwaitCursorReport(std::uint8_t (&bytes)[MaxTypedAtStart], std::size_t& length,
                       CursorReport& report) noexcept {
  const std::int64_t deadline = NowMs() + CursorReportWaitMs;
  while (!FindCursorReport(bytes, length, report)) {
    const std::int64_t left = deadline - NowMs();
    if (left <= 0 || length == sizeof bytes) return false;
    pollfd ready{STDIN_FILENO, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left)) <= 0) continue;  // the deadline decides
    const ssize_t got = read(STDIN_FILENO, bytes + length, sizeof bytes - length);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // the end of input shows at the first ReadKey
    length += static_cast<std::size_t>(got);
  }
  return true;
}

// Asks the terminal where its cursor stands. Keys typed meanwhile are kept
// for ReadKey.
void AskCursor(Window& window) noexcept {
  static constexpr std::uint8_t ask[] = {0x1B, '[', '6', 'n'};
  if (!WriteAll(STDOUT_FILENO, ask, sizeof ask)) return;
  std::uint8_t bytes[MaxTypedAtStart];
  std::size_t length = 0;
  CursorReport report{};
  if (AwaitCursorReport(bytes, length, report)) {
    length = CutCursorReport(bytes, length, report);
    PlaceWritePosition(static_cast<std::uint8_t>(report.Column > 255 ? 255 : report.Column),
                       static_cast<std::uint8_t>(report.Row > 255 ? 255 : report.Row), window);
  } else {
    DropLateCursorReport();
  }
  KeepTypedBytes(bytes, length);
}

}  // namespace

void StartPlatformConsole() noexcept {
  setlocale(LC_CTYPE, "");
  MakeCharset(nl_langinfo(CODESET), chars);
  const std::uint16_t outError = OutputStartError();
  const bool keysFromTerminal = isatty(STDIN_FILENO) == 1;
  GuardSignals();
  static bool exitHooked = false;
  // Every way out but an ending signal (which the guard handles) finishes
  // the window first; the terminal's settings go back as found at exit.
  if (!exitHooked) exitHooked = std::atexit(RestoreTerminal) == 0;
  if (keysFromTerminal) TakeTerminal(STDIN_FILENO);
  winsize size{};
  if (outError == 0 && isatty(STDOUT_FILENO) == 1) {
    ioctl(STDOUT_FILENO, TIOCGWINSZ, &size);
    const int columns = size.ws_col > 0 ? size.ws_col : DefaultColumns;
    const int rows = size.ws_row > 0 ? size.ws_row : DefaultRows;
    UseConsoleBackend(StartTerminalBackend(STDOUT_FILENO, chars, columns, rows), columns, rows);
    StartKeyInput(STDIN_FILENO, chars, keysFromTerminal, RedrawIfResumed);
    if (keysFromTerminal) AskCursor(ConsoleModel());
    return;
  }
  const int columns = WindowSide(std::getenv("COLUMNS"), DefaultColumns);
  const int rows = WindowSide(std::getenv("LINES"), DefaultRows);
  UseConsoleBackend(StartTranscriptBackend(STDOUT_FILENO, chars, outError), columns, rows);
  StartKeyInput(STDIN_FILENO, chars, keysFromTerminal, nullptr);
}

}  // namespace nagyszam
