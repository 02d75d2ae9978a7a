// The window in a console screen buffer. Each output loads the write
// position from the console's cursor, shows its bytes with the output code
// page switched to 852, then stores the cursor and restores the code page.
// The switch waits for the first cell shown, so an output that ends up
// showing nothing leaves the code page alone.
#include "console/windows/windows_backends.h"

namespace nagyszam {

namespace {

constexpr UINT WindowCodePage = 852;

struct Screen {
  HANDLE Out;
  HANDLE Err;
  SHORT Left;  // the window's top left cell in the screen buffer
  SHORT Top;
  WORD Attribute;
  bool Switched;        // the code page is 852 for this output
  UINT CallerCodePage;  // in force before the switch
  std::uint16_t Failure;
};

Screen screen{};

COORD CellAt(int column, int row) noexcept {
  return COORD{static_cast<SHORT>(screen.Left + column - 1),
               static_cast<SHORT>(screen.Top + row - 1)};
}

// A console refuses a cell write only on a handle that was not opened for
// writing (the error code differs between Windows and wine).
void NoteFailure(BOOL done) noexcept {
  if (!done) screen.Failure = OutputNotForWriting;
}

void SwitchCodePage() noexcept {
  if (screen.Switched) return;
  screen.Switched = true;
  screen.CallerCodePage = GetConsoleOutputCP();
  if (screen.CallerCodePage != WindowCodePage) SetConsoleOutputCP(WindowCodePage);
}

void RestoreCodePage() noexcept {
  if (!screen.Switched) return;
  screen.Switched = false;
  if (screen.CallerCodePage != WindowCodePage) SetConsoleOutputCP(screen.CallerCodePage);
}

std::uint16_t ScreenBeginOutput(Window& window) noexcept {
  // The cursor may have been moved by anyone since the last output; a
  // cursor outside the window leaves the write position as it was.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(screen.Out, &info)) {
    const int column = info.dwCursorPosition.X - screen.Left + 1;
    const int row = info.dwCursorPosition.Y - screen.Top + 1;
    if (column >= 1 && column <= MaxWindowSide && row >= 1 && row <= MaxWindowSide)
      PlaceWritePosition(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row), window);
  }
  return 0;
}

void ScrollWindowUp(const Window& window) noexcept {
  const SHORT right = static_cast<SHORT>(screen.Left + window.Width - 1);
  const SHORT bottom = static_cast<SHORT>(screen.Top + window.Height - 1);
  const SMALL_RECT moved{screen.Left, static_cast<SHORT>(screen.Top + 1), right, bottom};
  const SMALL_RECT clip{screen.Left, screen.Top, right, bottom};
  CHAR_INFO fill;
  fill.Char.AsciiChar = ' ';
  fill.Attributes = screen.Attribute;
  if (window.Height > 1) {
    NoteFailure(ScrollConsoleScreenBufferA(screen.Out, &moved, &clip,
                                           COORD{screen.Left, screen.Top}, &fill));
    return;
  }
  // A window of one row only loses its row.
  DWORD done = 0;
  NoteFailure(FillConsoleOutputAttribute(screen.Out, screen.Attribute, window.Width,
                                         COORD{screen.Left, screen.Top}, &done));
  NoteFailure(FillConsoleOutputCharacterA(screen.Out, ' ', window.Width,
                                          COORD{screen.Left, screen.Top}, &done));
}

void ScreenShowByte(const Window& window, const WindowChange& change) noexcept {
  if (change.CellWritten || change.Scrolled) SwitchCodePage();
  if (change.CellWritten) {
    const COORD cell = CellAt(change.WrittenColumn, change.WrittenRow);
    const char byte = static_cast<char>(change.WrittenByte);
    DWORD done = 0;
    NoteFailure(WriteConsoleOutputCharacterA(screen.Out, &byte, 1, cell, &done));
    NoteFailure(WriteConsoleOutputAttribute(screen.Out, &screen.Attribute, 1, cell, &done));
  }
  // After the cell, as in the model: a byte in the bottom right corner
  // scrolls itself up.
  if (change.Scrolled) ScrollWindowUp(window);
}

void ScreenShowClear(const Window& window) noexcept {
  SwitchCodePage();
  for (int row = 1; row <= window.Height; ++row) {
    DWORD done = 0;
    NoteFailure(FillConsoleOutputAttribute(screen.Out, screen.Attribute, window.Width,
                                           CellAt(1, row), &done));
    NoteFailure(FillConsoleOutputCharacterA(screen.Out, ' ', window.Width, CellAt(1, row), &done));
  }
}

std::uint16_t ScreenEndOutput(const Window& window) noexcept {
  SetConsoleCursorPosition(screen.Out, CellAt(window.Column, window.Row));
  RestoreCodePage();
  const std::uint16_t failure = screen.Failure;
  screen.Failure = 0;
  return failure;
}

std::uint16_t ScreenFinish(const Window&) noexcept {
  // Every output already left the screen and the cursor as the model says.
  return 0;
}

void ScreenWriteReport(const std::uint8_t* bytes, std::size_t length) noexcept {
  WriteReportTo(screen.Out, screen.Err, bytes, length);
}

constexpr ConsoleBackend ScreenBackend{
    ScreenBeginOutput, ScreenShowByte, ScreenShowClear,   ScreenEndOutput,
    NextKeyEvent,      ScreenFinish,   ScreenWriteReport,
};

}  // namespace

const ConsoleBackend& StartScreenBackend(HANDLE out, HANDLE err, SMALL_RECT window,
                                         WORD attribute) noexcept {
  screen = Screen{out, err, window.Left, window.Top, attribute, false, 0, 0};
  return ScreenBackend;
}

bool WriteAll(HANDLE out, const void* bytes, DWORD length) noexcept {
  const auto* next = static_cast<const std::uint8_t*>(bytes);
  while (length > 0) {
    DWORD written = 0;
    if (!WriteFile(out, next, length, &written, nullptr) || written == 0) return false;
    next += written;
    length -= written;
  }
  return true;
}

void WriteReportTo(HANDLE out, HANDLE err, const std::uint8_t* bytes, std::size_t length) noexcept {
  const auto count = static_cast<DWORD>(length);
  if (out != nullptr && out != INVALID_HANDLE_VALUE && WriteAll(out, bytes, count)) return;
  if (err != nullptr && err != INVALID_HANDLE_VALUE) WriteAll(err, bytes, count);
}

}  // namespace nagyszam
