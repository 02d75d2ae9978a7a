// The window on a terminal. The terminal shows the model cell for cell
// after every output; each output leaves in one write loop, which a
// signal never cuts short.
//
// Every escape sequence sent to the terminal:
//   ESC [ 6 n          ask for the cursor position (once, at start-up: start.cpp)
//   ESC [ row ; col H  place the cursor (CUP)
//   ESC [ H ESC [ 2 J  clear, when the window is the whole terminal
//   LF                 scroll up one row, sent with the cursor on the bottom row
//   ESC [ 1 ; rows r   limit scrolling to the window's rows, and ESC [ r to
//                      lift the limit again; only around a scroll when the
//                      terminal is taller than the window (over 255 rows)
// No other control byte is sent: every cell byte leaves as its glyph.
#include "console/posix/terminal_backend.h"

#include <unistd.h>

#include "console/posix/key_input.h"
#include "console/posix/output_buffer.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {

namespace {

struct Terminal {
  const Charset* Chars;
  int Columns;  // the terminal's own size, at least the window's
  int Rows;
  bool CursorKnown;  // false while the terminal may defer a wrap, or after a reset
  int CursorColumn;
  int CursorRow;
  OutputBuffer Out;
};

Terminal terminal{};

void MoveTo(int column, int row) noexcept {
  if (terminal.CursorKnown && terminal.CursorColumn == column && terminal.CursorRow == row) return;
  AppendText(terminal.Out, "\x1b[");
  AppendNumber(terminal.Out, row);
  AppendText(terminal.Out, ";");
  AppendNumber(terminal.Out, column);
  AppendText(terminal.Out, "H");
  terminal.CursorKnown = true;
  terminal.CursorColumn = column;
  terminal.CursorRow = row;
}

void PutGlyph(std::uint8_t byte, int column) noexcept {
  Append(terminal.Out, terminal.Chars->Shown[byte].data(), terminal.Chars->ShownLength[byte]);
  // In the terminal's last column the cursor stays put with a wrap
  // deferred, which terminals resolve differently.
  if (column >= terminal.Columns)
    terminal.CursorKnown = false;
  else
    terminal.CursorColumn = column + 1;
}

void ScrollUp(const Window& window) noexcept {
  const bool taller = terminal.Rows > window.Height;
  if (taller) {
    AppendText(terminal.Out, "\x1b[1;");
    AppendNumber(terminal.Out, window.Height);
    AppendText(terminal.Out, "r");
    terminal.CursorKnown = false;  // setting the region homes the cursor
  }
  MoveTo(1, window.Height);
  AppendText(terminal.Out, "\n");
  if (taller) {
    AppendText(terminal.Out, "\x1b[r");
    terminal.CursorKnown = false;
  }
}

void DrawWindow(const Window& window) noexcept {
  for (int row = 1; row <= window.Height; ++row) {
    MoveTo(1, row);
    for (int column = 1; column <= window.Width; ++column)
      PutGlyph(window.Cells[row - 1][column - 1], column);
  }
}

std::uint16_t Sent() noexcept {
  // Continued in the background: the terminal is the shell's. The window is
  // drawn again when the program takes the terminal back.
  if (HoldsTerminal())
    Flush(terminal.Out);
  else
    Discard(terminal.Out);
  return TakeOutputFailure(terminal.Out) ? OutputWriteFailed : 0;
}

std::uint16_t TerminalBeginOutput(Window& window) noexcept {
  // Back from a stop the screen may show anything: draw it all again.
  if (TakeResumed()) {
    terminal.CursorKnown = false;
    DrawWindow(window);
  }
  return 0;
}

void TerminalShowByte(const Window& window, const WindowChange& change) noexcept {
  if (change.CellWritten) {
    MoveTo(change.WrittenColumn, change.WrittenRow);
    // Before the scroll that the same byte may have caused, as in the model.
    PutGlyph(change.WrittenByte, change.WrittenColumn);
  }
  if (change.Scrolled) ScrollUp(window);
}

void TerminalShowClear(const Window& window) noexcept {
  if (terminal.Columns == window.Width && terminal.Rows == window.Height) {
    AppendText(terminal.Out, "\x1b[H\x1b[2J");
    terminal.CursorKnown = true;
    terminal.CursorColumn = 1;
    terminal.CursorRow = 1;
    return;
  }
  // The terminal is larger: blank only the window's cells.
  for (int row = 1; row <= window.Height; ++row) {
    MoveTo(1, row);
    for (int column = 1; column <= window.Width; ++column) PutGlyph(' ', column);
  }
}

std::uint16_t TerminalEndOutput(const Window& window) noexcept {
  MoveTo(window.Column, window.Row);
  const std::uint16_t code = Sent();
  ActOnSignals();  // a stop or an end between whole outputs
  return code;
}

std::uint16_t TerminalFinish(const Window& window) noexcept {
  MoveTo(window.Column, window.Row);
  return Sent();
}

void TerminalWriteReport(const std::uint8_t* bytes, std::size_t length) noexcept {
  WriteReportTo(terminal.Out.Fd, true, bytes, length);
}

constexpr ConsoleBackend TerminalBackend{
    TerminalBeginOutput, TerminalShowByte, TerminalShowClear,   TerminalEndOutput,
    NextKeyEvent,        TerminalFinish,   TerminalWriteReport,
};

}  // namespace

const ConsoleBackend& StartTerminalBackend(int out, const Charset& chars, int columns,
                                           int rows) noexcept {
  terminal.Chars = &chars;
  terminal.Columns = columns;
  terminal.Rows = rows;
  terminal.CursorKnown = false;
  StartOutputBuffer(out, terminal.Out);
  return TerminalBackend;
}

void RedrawIfResumed() noexcept {
  if (!TakeResumed()) return;
  const Window& window = ConsoleModel();
  terminal.CursorKnown = false;
  DrawWindow(window);
  TerminalEndOutput(window);
}

void WriteReportTo(int out, bool outUsable, const std::uint8_t* bytes,
                   std::size_t length) noexcept {
  if (outUsable && WriteAll(out, bytes, length)) return;
  WriteAll(STDERR_FILENO, bytes, length);
}

}  // namespace nagyszam
