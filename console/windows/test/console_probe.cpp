// What only the Windows console layer does, read back from the console
// itself: the window is the visible one inside a larger buffer, every cell
// written, cleared or scrolled in gets the start-up colour and nothing
// outside the window changes, the bytes show as code page 852 whatever code
// page is in force and that one is in force again after each output, the
// write position comes from the console's cursor, keys come from console
// input events, and the input mode stays as found.
//   console_probe <log>       the checks; exit code 0 when all hold
//   console_probe closed      a checked write with standard output closed
//   console_probe read-only   the same with the console open only for reading
#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "console/windows/windows_backends.h"

namespace {

using namespace nagyszam;

constexpr SHORT BufferColumns = 100, BufferRows = 60;
constexpr SMALL_RECT Shown{5, 10, 44, 29};  // 40 x 20
constexpr WORD OutsideColour = 0x07, WindowColour = 0x1E;

HANDLE out;
FILE* log;
int failures = 0;

void Check(bool holds, const char* what) {
  if (!holds) ++failures, std::fprintf(log, "FAILED: %s\n", what);
}

ShortText Text(const char* s) {
  ShortText text{static_cast<std::uint8_t>(std::strlen(s)), {}};
  std::memcpy(text.Bytes.data(), s, text.Length);
  return text;
}

COORD Cell(int column, int row) {
  return COORD{static_cast<SHORT>(Shown.Left + column - 1),
               static_cast<SHORT>(Shown.Top + row - 1)};
}

bool CursorAt(int column, int row) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  GetConsoleScreenBufferInfo(out, &info);
  const COORD want = Cell(column, row);
  return info.dwCursorPosition.X == want.X && info.dwCursorPosition.Y == want.Y &&
         CursorColumn() == column && CursorRow() == row;
}

// Row `row` of the window shows text then blanks, all in the window's
// colour, and every cell outside the window is as set up.
bool Shows(int row, const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  for (SHORT y = 0; y < BufferRows; ++y) {
    char c[BufferColumns];
    WORD colour[BufferColumns];
    DWORD n = 0;
    ReadConsoleOutputCharacterA(out, c, BufferColumns, COORD{0, y}, &n);
    ReadConsoleOutputAttribute(out, colour, BufferColumns, COORD{0, y}, &n);
    for (SHORT x = 0; x < BufferColumns; ++x) {
      const int column = x - Shown.Left;
      if (x < Shown.Left || x > Shown.Right || y < Shown.Top || y > Shown.Bottom) {
        if (c[x] != '#' || colour[x] != OutsideColour) return false;
      } else if (y == Cell(1, row).Y &&
                 (colour[x] != WindowColour || c[x] != (column < length ? text[column] : ' '))) {
        return false;
      }
    }
  }
  return true;
}

void Press(WORD scanCode, char character, DWORD state, BOOL down = TRUE) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent = {down, 1, 0, scanCode, {}, state};
  record.Event.KeyEvent.uChar.AsciiChar = character;
  DWORD written = 0;
  WriteConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), &record, 1, &written);
}

void Probe() {
  Check(CursorAt(3, 4), "the start-up cursor is the console's");
  ClearScreen();
  Check(CursorAt(1, 1) && Shows(20, ""),
        "ClearScreen blanks the window alone, cursor in its corner");
  WriteText(Text("0123456789012345678901234567890123456789"));
  Check(CursorAt(1, 2) && Shows(1, "0123456789012345678901234567890123456789"),
        "40 bytes fill the window's row and wrap");
  for (const UINT codePage : {437u, 65001u}) {
    SetConsoleOutputCP(codePage);
    PlaceCursor(1, 3);
    WriteText(Text("\x82\x94\x8b\xa0"));  // é ö ő á
    wchar_t shown[4] = {};
    DWORD n = 0;
    ReadConsoleOutputCharacterW(out, shown, 4, Cell(1, 3), &n);
    Check(shown[0] == 0xE9 && shown[1] == 0xF6 && shown[2] == 0x151 && shown[3] == 0xE1,
          "the bytes show as code page 852");
    Check(GetConsoleOutputCP() == codePage, "the code page in force is restored after the output");
  }
  SetConsoleOutputCP(437);  // cells read back one byte each
  SetConsoleCursorPosition(out, Cell(40, 10));
  WriteChar('X');
  Check(CursorAt(1, 11) && Shows(10, "                                       X"),
        "a byte lands at the console's cursor");
  SetConsoleCursorPosition(out, COORD{0, 0});
  WriteChar('Y');
  Check(CursorAt(2, 11) && Shows(11, "Y"), "a cursor outside the window leaves the write position");
  ClearScreen();
  for (int i = 0; i < 25; ++i) WriteText(Text("line\r\n"));
  PlaceCursor(40, 20);
  WriteChar('Z');
  Check(CursorAt(1, 20) && Shows(18, "line") &&
            Shows(19, "                                       Z") && Shows(20, ""),
        "rows scroll up inside the window, the bottom one blank");
  // Up, Alt with keypad 6 and 5, a letter, Shift with Tab.
  Press(72, 0, ENHANCED_KEY);
  Press(77, 0, LEFT_ALT_PRESSED);
  Press(76, 0, LEFT_ALT_PRESSED);
  Press(56, 0, 0, FALSE);
  Press(30, 'a', 0);
  Press(15, '\t', SHIFT_PRESSED);
  const int keys[] = {ReadKey(), ReadKey(), ReadKey(), ReadKey(), ReadKey(), ReadKey()};
  Check(keys[0] == 0 && keys[1] == 72 && keys[2] == 65 && keys[3] == 'a' && keys[4] == 0 &&
            keys[5] == 15,
        "console key events give the key bytes");
}

}  // namespace

int main(int argc, char** argv) {
  const bool closed = argc == 2 && std::strcmp(argv[1], "closed") == 0;
  if (closed || (argc == 2 && std::strcmp(argv[1], "read-only") == 0)) {
    SetStdHandle(STD_OUTPUT_HANDLE,
                 closed ? nullptr
                        : CreateFileA("CONOUT$", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    StartConsole();
    WriteText(Text("lost"));
    CheckOutput();
    return 0;  // not reached: CheckOutput ends the process
  }
  log = std::fopen(argc == 2 ? argv[1] : "console_probe.log", "w");
  if (log == nullptr) return 2;
  out = GetStdHandle(STD_OUTPUT_HANDLE);
  SetConsoleScreenBufferSize(out, COORD{BufferColumns, BufferRows});
  SetConsoleWindowInfo(out, TRUE, &Shown);
  DWORD n = 0, modeFound = 0, mode = 0;
  FillConsoleOutputCharacterA(out, '#', BufferColumns * BufferRows, COORD{0, 0}, &n);
  FillConsoleOutputAttribute(out, OutsideColour, BufferColumns * BufferRows, COORD{0, 0}, &n);
  SetConsoleTextAttribute(out, WindowColour);
  SetConsoleCursorPosition(out, Cell(3, 4));
  GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &modeFound);
  StartConsole();
  Probe();
  GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
  Check(mode == modeFound, "the console's input mode is as found");
  std::fprintf(log, "%s: %d failed\n", failures == 0 ? "PASS" : "FAIL", failures);
  std::fclose(log);
  EndProgram(failures == 0 ? 0 : 1);
}
