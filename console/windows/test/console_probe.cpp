// Checks what only the Windows console layer does, read back from the
// console itself: the window taken from the visible window, the code page
// switched for each output and restored, the cursor loaded from and stored
// to the console, and clearing and scrolling kept inside the window.
//   console_probe <log>     the checks; exit code 0 when all hold
//   console_probe closed    a checked write with standard output closed
//   console_probe read-only the same with the console open only for reading
#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "console/windows/windows_backends.h"

namespace {

using nagyszam::ShortText;

// The visible window inside a larger screen buffer, so that clipping shows.
constexpr SHORT BufferColumns = 100;
constexpr SHORT BufferRows = 60;
constexpr SMALL_RECT Shown{5, 10, 44, 29};  // 40 x 20
constexpr WORD OutsideAttribute = 0x07;
constexpr WORD WindowAttribute = 0x1E;
constexpr char Outside = '#';

HANDLE out;
DWORD inputModeFound;
FILE* log;
int failures = 0;

void Check(bool holds, const char* what) {
  if (holds) return;
  ++failures;
  std::fprintf(log, "FAILED: %s\n", what);
}

ShortText Text(const char* s) {
  ShortText text{0, {}};
  while (*s != '\0' && text.Length < 255)
    text.Bytes[text.Length++] = static_cast<std::uint8_t>(*s++);
  return text;
}

COORD Cell(int column, int row) {
  return COORD{static_cast<SHORT>(Shown.Left + column - 1),
               static_cast<SHORT>(Shown.Top + row - 1)};
}

char CharAt(SHORT x, SHORT y) {
  char c = 0;
  DWORD n = 0;
  ReadConsoleOutputCharacterA(out, &c, 1, COORD{x, y}, &n);
  return c;
}

WORD AttributeAt(SHORT x, SHORT y) {
  WORD a = 0;
  DWORD n = 0;
  ReadConsoleOutputAttribute(out, &a, 1, COORD{x, y}, &n);
  return a;
}

COORD PlatformCursor() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  GetConsoleScreenBufferInfo(out, &info);
  return info.dwCursorPosition;
}

bool CursorAt(int column, int row) {
  const COORD c = PlatformCursor();
  const COORD want = Cell(column, row);
  return c.X == want.X && c.Y == want.Y && nagyszam::CursorColumn() == column &&
         nagyszam::CursorRow() == row;
}

bool Inside(SHORT x, SHORT y) {
  return x >= Shown.Left && x <= Shown.Right && y >= Shown.Top && y <= Shown.Bottom;
}

// Every cell outside the window as it was set up.
bool OutsideUntouched() {
  for (SHORT y = 0; y < BufferRows; ++y) {
    char chars[BufferColumns];
    WORD attributes[BufferColumns];
    DWORD n = 0;
    ReadConsoleOutputCharacterA(out, chars, BufferColumns, COORD{0, y}, &n);
    if (n != BufferColumns) return false;
    ReadConsoleOutputAttribute(out, attributes, BufferColumns, COORD{0, y}, &n);
    if (n != BufferColumns) return false;
    for (SHORT x = 0; x < BufferColumns; ++x)
      if (!Inside(x, y) && (chars[x] != Outside || attributes[x] != OutsideAttribute)) return false;
  }
  return true;
}

// The window's row shows text, then spaces, all in the window's colour.
bool RowShows(int row, const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  for (int column = 1; column <= Shown.Right - Shown.Left + 1; ++column) {
    const COORD cell = Cell(column, row);
    const char want = column <= length ? text[column - 1] : ' ';
    if (CharAt(cell.X, cell.Y) != want || AttributeAt(cell.X, cell.Y) != WindowAttribute)
      return false;
  }
  return true;
}

void SetUpConsole() {
  SetConsoleScreenBufferSize(out, COORD{BufferColumns, BufferRows});
  SetConsoleWindowInfo(out, TRUE, &Shown);
  DWORD n = 0;
  FillConsoleOutputCharacterA(out, Outside, BufferColumns * BufferRows, COORD{0, 0}, &n);
  FillConsoleOutputAttribute(out, OutsideAttribute, BufferColumns * BufferRows, COORD{0, 0}, &n);
  SetConsoleTextAttribute(out, WindowAttribute);
  SetConsoleCursorPosition(out, Cell(3, 4));
  SetConsoleOutputCP(437);
  GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &inputModeFound);
}

// Ctrl-C and Ctrl-Break end the process only while the input mode is the
// console's own.
void CheckInputModeKept() {
  DWORD mode = 0;
  Check(GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) && mode == inputModeFound,
        "the console's input mode is as found");
}

void CheckStart() {
  Check(CursorAt(3, 4), "the start-up cursor is the console's");
  // The window is the visible one: 40 columns wrap into the next row.
  nagyszam::ClearScreen();
  Check(CursorAt(1, 1), "ClearScreen puts the console cursor in the window's corner");
  Check(RowShows(1, "") && RowShows(20, ""), "ClearScreen blanks the window in its colour");
  nagyszam::WriteText(Text("0123456789012345678901234567890123456789"));
  Check(CursorAt(1, 2), "40 bytes wrap at the window's right edge");
  Check(RowShows(1, "0123456789012345678901234567890123456789"), "a full row lands in the window");
  Check(OutsideUntouched(), "clearing and writing leave the cells outside the window");
}

void CheckCodePages() {
  struct Case {
    UINT CodePage;
    const char* Name;
  };
  const Case cases[] = {{437, "437"}, {1250, "1250"}, {65001, "65001"}, {852, "852"}};
  int row = 3;
  for (const Case& c : cases) {
    if (!SetConsoleOutputCP(c.CodePage)) {
      std::fprintf(log, "code page %s cannot be set here; case left out\n", c.Name);
      continue;
    }
    nagyszam::PlaceCursor(1, static_cast<std::uint8_t>(row));
    nagyszam::WriteText(Text("\x82\x94\x8b\xa0"));  // é ö ő á in code page 852
    wchar_t shown[4] = {};
    DWORD n = 0;
    const COORD cell = Cell(1, row);
    ReadConsoleOutputCharacterW(out, shown, 4, cell, &n);
    char what[96];
    std::snprintf(what, sizeof what, "bytes show as code page 852 while %s is in force", c.Name);
    Check(n == 4 && shown[0] == 0xE9 && shown[1] == 0xF6 && shown[2] == 0x151 && shown[3] == 0xE1,
          what);
    std::snprintf(what, sizeof what, "the output code page %s is restored after the output",
                  c.Name);
    Check(GetConsoleOutputCP() == c.CodePage, what);
    ++row;
  }
  SetConsoleOutputCP(437);
}

void CheckCursor() {
  struct Case {
    int Column, Row;            // where the console's cursor is moved
    int AfterColumn, AfterRow;  // where it stands after one byte
    const char* What;
  };
  const Case cases[] = {
      {1, 8, 2, 8, "a byte lands at the console cursor in column 1"},
      {17, 9, 18, 9, "a byte lands at the console cursor mid-row"},
      {40, 10, 1, 11, "a byte at the console cursor in the last column wraps"},
      {1, 20, 2, 20, "a byte lands at the console cursor on the bottom row"},
  };
  for (const Case& c : cases) {
    SetConsoleCursorPosition(out, Cell(c.Column, c.Row));
    nagyszam::WriteChar('X');
    const COORD cell = Cell(c.Column, c.Row);
    Check(CharAt(cell.X, cell.Y) == 'X' && AttributeAt(cell.X, cell.Y) == WindowAttribute, c.What);
    Check(CursorAt(c.AfterColumn, c.AfterRow), "the cursor is stored back after the byte");
  }
  // A cursor moved out of the window is no write position: the next byte
  // lands where the last output left off.
  nagyszam::PlaceCursor(30, 12);
  Check(CursorAt(30, 12), "PlaceCursor moves the console cursor");
  SetConsoleCursorPosition(out, COORD{0, 0});
  nagyszam::WriteChar('Y');
  const COORD kept = Cell(30, 12);
  Check(CharAt(kept.X, kept.Y) == 'Y' && CursorAt(31, 12),
        "a cursor outside the window leaves the write position");
  nagyszam::PlaceCursor(41, 1);
  Check(CursorAt(31, 12), "PlaceCursor past the window's width does nothing");
  Check(OutsideUntouched(), "writes at the console cursor stay inside the window");
}

void CheckScroll() {
  nagyszam::ClearScreen();
  char line[16];
  for (int i = 1; i <= 25; ++i) {
    std::snprintf(line, sizeof line, "line %d", i);
    nagyszam::WriteText(Text(line));
    nagyszam::EndLine();
  }
  bool rowsMoved = true;
  for (int row = 1; row <= 19; ++row) {
    std::snprintf(line, sizeof line, "line %d", row + 6);
    rowsMoved = rowsMoved && RowShows(row, line);
  }
  Check(rowsMoved, "scrolling moves the window's rows up by one each");
  Check(RowShows(20, "") && CursorAt(1, 20),
        "the bottom row scrolls in blank in the window colour");
  // A byte in the bottom right corner scrolls at once.
  nagyszam::PlaceCursor(40, 20);
  nagyszam::WriteChar('Z');
  Check(RowShows(19, "                                       Z") && RowShows(20, "") &&
            CursorAt(1, 20),
        "a byte in the bottom right corner scrolls the window at once");
  Check(OutsideUntouched(), "scrolling leaves the cells outside the window");
}

// Whatever an operation does or leaves undone, the caller's code page is
// in force again when it returns.
void CheckCodePageKept() {
  struct Step {
    void (*Run)();
    const char* What;
  };
  const Step steps[] = {
      {[] { nagyszam::ClearScreen(); }, "ClearScreen"},
      {[] { nagyszam::PlaceCursor(5, 5); }, "PlaceCursor inside the window"},
      {[] { nagyszam::PlaceCursor(0, 5); }, "PlaceCursor to column 0"},
      {[] { nagyszam::PlaceCursor(41, 1); }, "PlaceCursor past the width"},
      {[] { nagyszam::WriteChar('a'); }, "WriteChar"},
      {[] { nagyszam::WriteChar(7); }, "WriteChar of BEL"},
      {[] { nagyszam::WriteText(Text("")); }, "WriteText of nothing"},
      {[] { nagyszam::EndLine(); }, "EndLine"},
      {[] { nagyszam::WriteUnsigned(4294967295u); }, "WriteUnsigned"},
  };
  for (const Step& step : steps) {
    step.Run();
    char what[96];
    std::snprintf(what, sizeof what, "code page 437 in force after %s (found %u)", step.What,
                  GetConsoleOutputCP());
    Check(GetConsoleOutputCP() == 437, what);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool closed = argc == 2 && std::strcmp(argv[1], "closed") == 0;
  const bool readOnly = argc == 2 && std::strcmp(argv[1], "read-only") == 0;
  if (closed || readOnly) {
    HANDLE shown = nullptr;
    if (readOnly)
      shown = CreateFileA("CONOUT$", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, shown);
    nagyszam::StartConsole();
    nagyszam::WriteText(Text("lost"));
    nagyszam::CheckOutput();
    return 0;  // not reached: CheckOutput ends the process
  }
  log = std::fopen(argc == 2 ? argv[1] : "console_probe.log", "w");
  if (log == nullptr) return 2;
  out = GetStdHandle(STD_OUTPUT_HANDLE);
  SetUpConsole();
  nagyszam::StartConsole();
  CheckStart();
  CheckCodePages();
  CheckCursor();
  CheckScroll();
  CheckCodePageKept();
  CheckInputModeKept();
  std::fprintf(log, "%s: %d failed\n", failures == 0 ? "PASS" : "FAIL", failures);
  std::fclose(log);
  nagyszam::EndProgram(failures == 0 ? 0 : 1);
}
