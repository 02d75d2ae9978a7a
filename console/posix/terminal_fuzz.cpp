// The terminal backend under any output in any window size, on a terminal
// as large as the window or a little larger: what it sends, fed into a real
// terminal emulator (libvterm), must show the model cell for cell with the
// cursor where the model's stands, leave the cells outside the window
// blank, and hold no control byte of the output. After a stop, when a
// shell has written over the whole screen, the window is drawn again.
//
// Input: window width and height (0 stands for 1), the terminal's extra
// columns and rows (each mod 4), then operations: a byte choosing one,
// followed by its arguments.
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vterm.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "console/console.h"
#include "console/console_backend.h"
#include "console/cp852.h"
#include "console/posix/terminal_backend.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "terminal fuzz: %s\n", what);
  __builtin_trap();
}

// The emulator reads what the backend wrote into an in-memory file.
void CatchUp(int fd, VTerm* vt) {
  char bytes[65536];
  const off_t end = lseek(fd, 0, SEEK_CUR);
  for (off_t read = 0; read < end;) {
    const ssize_t n = pread(fd, bytes, sizeof bytes, read);
    if (n <= 0) Fail("cannot read the output back");
    for (ssize_t i = 0; i < n; ++i)
      if (static_cast<unsigned char>(bytes[i]) < 0x20 && bytes[i] != 0x1b && bytes[i] != '\n')
        Fail("a control byte reached the terminal");
    vterm_input_write(vt, bytes, static_cast<std::size_t>(n));
    read += n;
  }
  if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) Fail("cannot empty the output file");
}

void Check(VTerm* vt, int columns, int rows) {
  VTermPos cursor;
  vterm_state_get_cursorpos(vterm_obtain_state(vt), &cursor);
  if (cursor.col + 1 != CursorColumn() || cursor.row + 1 != CursorRow())
    Fail("the terminal's cursor differs from the model's");
  const Window& w = ConsoleModel();
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column) {
      VTermScreenCell cell;
      vterm_screen_get_cell(vterm_obtain_screen(vt), VTermPos{row, column}, &cell);
      const bool inside = row < w.Height && column < w.Width;
      const char32_t want = inside ? Cp852Glyph[w.Cells[row][column]] : U' ';
      if ((cell.chars[0] == 0 ? U' ' : cell.chars[0]) != want)
        Fail(inside ? "a cell differs from the model" : "a cell outside the window was written");
    }
}

// The continue signal noted as in the program; the fuzzer keeps its own
// handlers for every other signal.
void GuardContinue() {
  static struct sigaction kept[NSIG];
  for (int s = 1; s < NSIG; ++s) sigaction(s, nullptr, &kept[s]);
  GuardSignals();
  for (int s = 1; s < NSIG; ++s)
    if (s != SIGCONT) sigaction(s, &kept[s], nullptr);
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  if (size < 4) return 0;
  static const int fd = memfd_create("terminal", 0);
  static const Charset& utf8 = []() -> const Charset& {
    static Charset chars{};
    MakeCharset("UTF-8", chars);
    GuardContinue();
    return chars;
  }();
  const int width = data[0] == 0 ? 1 : data[0], height = data[1] == 0 ? 1 : data[1];
  const int columns = width + data[2] % 4, rows = height + data[3] % 4;
  if (fd < 0 || ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) Fail("no in-memory file");
  VTerm* vt = vterm_new(rows, columns);
  vterm_set_utf8(vt, 1);
  vterm_screen_reset(vterm_obtain_screen(vt), 1);
  UseConsoleBackend(StartTerminalBackend(fd, utf8, columns, rows), width, height);
  const bool everyStep = columns * rows <= 600;
  std::size_t pos = 4;
  auto left = [&] { return size - pos; };
  while (pos < size) {
    const std::uint8_t op = data[pos++] % 7;
    if (op == 0 && left() >= 1) {
      ShortText text{static_cast<std::uint8_t>(std::min<std::size_t>(data[pos++], left())), {}};
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
      WriteSigned(static_cast<std::int32_t>(data[pos] | data[pos + 1] << 8 | data[pos + 2] << 16 |
                                            static_cast<std::uint32_t>(data[pos + 3]) << 24));
      pos += 4;
    } else if (op == 6 && left() >= 1) {
      // Stopped and continued, a shell's text over every cell of the window
      // meanwhile; the window comes back while waiting for a key or with the
      // next write.
      CatchUp(fd, vt);
      std::string shell;
      for (int row = 1; row <= height; ++row)
        shell += "\x1b[" + std::to_string(row) + "H" + std::string(width, '#');
      vterm_input_write(vt, shell.data(), shell.size());
      raise(SIGCONT);
      ActOnSignals();
      if (data[pos] & 1)
        RedrawIfResumed();
      else
        WriteChar(data[pos]);
      ++pos;
    }
    CatchUp(fd, vt);
    if (everyStep) Check(vt, columns, rows);
  }
  Check(vt, columns, rows);
  vterm_free(vt);
  return 0;
}
