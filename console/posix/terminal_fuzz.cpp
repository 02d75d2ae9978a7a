// The terminal backend under any output in any window size, on a terminal
// as large as the window or a little larger: what it sends, fed into a real
// terminal emulator (libvterm), must show the model cell for cell with the
// cursor where the model's stands, and leave the cells outside the window
// blank. No byte written may reach the terminal as a control.
//
// Input: window width and height (0 stands for 1), the terminal's extra
// columns and rows (each mod 4), then operations: a byte choosing one,
// followed by its arguments.
#include <sys/mman.h>
#include <unistd.h>
#include <vterm.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "console/charset.h"
#include "console/console.h"
#include "console/console_backend.h"
#include "console/posix/terminal_backend.h"

namespace nagyszam {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "terminal fuzz: %s\n", what);
  __builtin_trap();
}

const Charset& Utf8() {
  static const Charset chars = [] {
    Charset c{};
    MakeCharset("UTF-8", c);
    return c;
  }();
  return chars;
}

// The character a byte's glyph bytes stand for.
char32_t Glyph(std::uint8_t byte) {
  const auto& shown = Utf8().Shown[byte];
  const int length = Utf8().ShownLength[byte];
  if (length == 1) return shown[0];
  char32_t c = shown[0] & (0x7F >> length);
  for (int i = 1; i < length; ++i) c = (c << 6) | (shown[i] & 0x3F);
  return c;
}

// The terminal's side: an emulator reading what the backend wrote into an
// in-memory file.
struct Screen {
  int Fd;
  off_t Read;
  VTerm* Vt;
  VTermScreen* Cells;

  void Catch() {
    char bytes[65536];
    for (;;) {
      const ssize_t n = pread(Fd, bytes, sizeof bytes, Read);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        // Only what the backend's own sequences need: ESC and the LF of a scroll.
        if (b < 0x20 && b != 0x1b && b != '\n') Fail("a control byte reached the terminal");
      }
      vterm_input_write(Vt, bytes, static_cast<std::size_t>(n));
      Read += n;
    }
    if (Read > (1 << 20)) {
      if (ftruncate(Fd, 0) != 0) Fail("cannot empty the output file");
      lseek(Fd, 0, SEEK_SET);
      Read = 0;
    }
  }

  char32_t At(int column, int row) const {
    VTermScreenCell cell;
    vterm_screen_get_cell(Cells, VTermPos{row - 1, column - 1}, &cell);
    return cell.chars[0] == 0 ? U' ' : static_cast<char32_t>(cell.chars[0]);
  }
};

void CheckCursor(const Screen& s) {
  VTermPos pos;
  vterm_state_get_cursorpos(vterm_obtain_state(s.Vt), &pos);
  if (pos.col + 1 != CursorColumn() || pos.row + 1 != CursorRow())
    Fail("the terminal's cursor differs from the model's");
}

void CheckCells(const Screen& s, int columns, int rows) {
  const Window& w = ConsoleModel();
  for (int row = 1; row <= rows; ++row)
    for (int column = 1; column <= columns; ++column) {
      const bool inside = row <= w.Height && column <= w.Width;
      const char32_t want = inside ? Glyph(w.Cells[row - 1][column - 1]) : U' ';
      const char32_t shown = s.At(column, row);
      // A space and byte 0 look alike.
      if (shown != want && !(inside && w.Cells[row - 1][column - 1] == 0 && shown == U' '))
        Fail(inside ? "a cell differs from the model" : "a cell outside the window was written");
    }
}

std::uint32_t Word(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  if (size < 4) return 0;
  const int width = data[0] == 0 ? 1 : data[0];
  const int height = data[1] == 0 ? 1 : data[1];
  const int columns = width + data[2] % 4, rows = height + data[3] % 4;
  static const int fd = memfd_create("terminal", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0) Fail("no in-memory file");
  lseek(fd, 0, SEEK_SET);
  Screen s{fd, 0, vterm_new(rows, columns), nullptr};
  vterm_set_utf8(s.Vt, 1);
  s.Cells = vterm_obtain_screen(s.Vt);
  vterm_screen_reset(s.Cells, 1);
  UseConsoleBackend(StartTerminalBackend(fd, Utf8(), columns, rows), width, height);

  const bool checkEveryStep = columns * rows <= 600;
  std::size_t pos = 4;
  auto left = [&] { return size - pos; };
  while (pos < size) {
    const std::uint8_t op = data[pos++] % 6;
    if (op == 0 && left() >= 1) {
      ShortText text{data[pos++], {}};
      if (text.Length > left()) text.Length = static_cast<std::uint8_t>(left());
      for (int i = 0; i < text.Length; ++i) text.Bytes[i] = data[pos++];
      WriteText(text);
    } else if (op == 1 && left() >= 1) {
      WriteChar(data[pos++]);
    } else if (op == 2 && left() >= 2) {
      PlaceCursor(data[pos], data[pos + 1]);
      pos += 2;
    } else if (op == 3) {
      ClearScreen();
    } else if (op == 4) {
      EndLine();
    } else if (op == 5 && left() >= 4) {
      WriteSigned(static_cast<std::int32_t>(Word(data + pos)));
      pos += 4;
    }
    s.Catch();
    CheckCursor(s);
    if (checkEveryStep) CheckCells(s, columns, rows);
  }
  CheckCells(s, columns, rows);
  vterm_free(s.Vt);
  return 0;
}
