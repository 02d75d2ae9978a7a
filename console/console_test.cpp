// The console operations through the memory console.
#include "console/console.h"

#include <gtest/gtest.h>

#include <climits>
#include <csetjmp>
#include <cstring>
#include <string>

#include "console/memory_console.h"
#include "console/runtime_error.h"

namespace nagyszam {
namespace {

std::string Row(int row) {
  std::string cells;
  for (int column = 1; column <= MemoryWidth(); ++column)
    cells.push_back(static_cast<char>(
        MemoryCell(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row))));
  return cells.substr(0, cells.find_last_not_of(' ') + 1);
}

ShortText Text(const std::string& bytes) {
  ShortText text{static_cast<std::uint8_t>(bytes.size()), {}};
  std::memcpy(text.Bytes.data(), bytes.data(), bytes.size());
  return text;
}

TEST(ConsoleTest, EachWriteOperationWritesItsCharacters) {
  const struct {
    const char* Name;
    void (*Write)();
    std::string Shown;
  } cases[] = {
      {"signed lowest", [] { WriteSigned(INT32_MIN); }, "-2147483648"},
      {"signed highest", [] { WriteSigned(INT32_MAX); }, "2147483647"},
      {"signed minus one", [] { WriteSigned(-1); }, "-1"},
      {"signed zero", [] { WriteSigned(0); }, "0"},
      {"unsigned highest", [] { WriteUnsigned(UINT32_MAX); }, "4294967295"},
      {"unsigned zero", [] { WriteUnsigned(0); }, "0"},
      {"unsigned ten", [] { WriteUnsigned(10); }, "10"},
      {"true", [] { WriteBoolean(true); }, "TRUE"},
      {"false", [] { WriteBoolean(false); }, "FALSE"},
      {"char", [] { WriteChar(130); }, "\x82"},
      {"text with control bytes", [] { WriteText(Text("ab\bc\a")); }, "ac"},
      {"empty text", [] { WriteText(EmptyText); }, ""},
      {"text of 255 bytes", [] { WriteText(Text(std::string(255, 'x'))); }, std::string(80, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    StartMemoryConsole(80, 25);
    c.Write();
    EXPECT_EQ(Row(1), c.Shown);
  }
  // The 255 x's: three full rows of 80, then 15 on row 4.
  EXPECT_EQ(CursorColumn(), 16);
  EXPECT_EQ(CursorRow(), 4);
}

TEST(ConsoleTest, EndLineAndCursorQueries) {
  StartMemoryConsole(40, 3);
  WriteText(Text("abc"));
  EXPECT_EQ(CursorColumn(), 4);
  EndLine();
  EXPECT_EQ(CursorColumn(), 1);
  EXPECT_EQ(CursorRow(), 2);
  EndLine();
  EndLine();  // on the bottom row: scrolls
  EXPECT_EQ(CursorRow(), 3);
  EXPECT_EQ(Row(1), "");
  EXPECT_EQ(Row(2), "");
  WriteChar('z');
  EXPECT_EQ(Row(3), "z");
}

TEST(ConsoleTest, PlaceCursorDecidesWhereTheNextWriteLands) {
  StartMemoryConsole(40, 10);
  PlaceCursor(10, 5);
  WriteChar('q');
  EXPECT_EQ(MemoryCell(10, 5), 'q');
  EXPECT_EQ(CursorColumn(), 11);
  PlaceCursor(80, 5);  // wider than the window: nothing at all
  PlaceCursor(0, 1);
  PlaceCursor(1, 0);
  PlaceCursor(1, 11);
  EXPECT_EQ(CursorColumn(), 11);
  EXPECT_EQ(CursorRow(), 5);
}

TEST(ConsoleTest, ClearScreenBlanksEveryCellAndHomes) {
  StartMemoryConsole(20, 4);
  for (int i = 0; i < 79; ++i) WriteChar('#');
  ClearScreen();
  EXPECT_EQ(CursorColumn(), 1);
  EXPECT_EQ(CursorRow(), 1);
  for (int row = 1; row <= 4; ++row) EXPECT_EQ(Row(row), "") << row;
}

TEST(ConsoleTest, PendingOutputErrorMakesEveryWriteWriteNothing) {
  StartMemoryConsole(40, 5);
  WriteChar('a');
  SetMemoryOutputError(101);
  WriteText(Text("bc"));
  WriteChar('d');
  WriteSigned(-5);
  WriteUnsigned(7);
  WriteBoolean(true);
  EndLine();
  EXPECT_EQ(Row(1), "a");
  EXPECT_EQ(CursorColumn(), 2);
  EXPECT_EQ(CursorRow(), 1);
  EXPECT_EQ(TakeOutputError(), 101);
  EXPECT_EQ(TakeOutputError(), 0);
  // Taken: writes work again.
  WriteChar('e');
  EXPECT_EQ(Row(1), "ae");
  CheckOutput();  // nothing pending: returns
  EXPECT_EQ(TakeOutputError(), 0);
}

// Not writes: they act on the window with an error pending; a refused
// output of theirs leaves the code pending like a write's.
TEST(ConsoleTest, ClearScreenAndPlaceCursorAreNoWrites) {
  StartMemoryConsole(40, 5);
  WriteChar('a');
  SetMemoryOutputError(105);
  ClearScreen();
  EXPECT_EQ(MemoryCell(1, 1), ' ');
  PlaceCursor(2, 2);
  EXPECT_EQ(CursorColumn(), 2);
  WriteChar('b');  // the code is pending: nothing at 2, 2
  EXPECT_EQ(MemoryCell(2, 2), ' ');
  PlaceCursor(3, 3);
  EXPECT_EQ(CursorRow(), 3);
  EXPECT_EQ(TakeOutputError(), 105);
  WriteChar('c');
  EXPECT_EQ(MemoryCell(3, 3), 'c');
  EXPECT_EQ(TakeOutputError(), 0);
}

TEST(ConsoleTest, ReadKeyTakesQueuedKeysInOrder) {
  StartMemoryConsole(80, 25);
  QueueKeyChars("1\r", 2);
  KeyEvent up{true, true, 72, 0, false, false, false, false, true};
  KeyEvent release = up;
  release.Down = false;
  const KeyEvent events[] = {up, release};
  QueueKeyEvents(events, 2);
  EXPECT_EQ(ReadKey(), '1');
  EXPECT_EQ(ReadKey(), 13);
  EXPECT_EQ(ReadKey(), 0);
  WriteChar('x');  // the code stays pending across other operations
  EXPECT_EQ(ReadKey(), 72);
  EXPECT_EQ(Row(1), "x");  // keys are not echoed
}

std::jmp_buf endOfInput;

TEST(ConsoleTest, EmptyQueueCallsTheEndOfInputHandler) {
  StartMemoryConsole(80, 25);
  QueueKeyChars("a", 1);
  SetMemoryEndOfInput([] { std::longjmp(endOfInput, 1); });
  volatile int keys = 0;  // kept across the longjmp
  if (setjmp(endOfInput) == 0) {
    for (;;) {
      ReadKey();
      keys = keys + 1;
    }
  }
  EXPECT_EQ(keys, 1);
  SetMemoryEndOfInput(nullptr);
}

TEST(ConsoleDeathTest, CheckOutputStopsWithTheCodeModulo256) {
  const struct {
    std::uint16_t Code;
    int Exit;
  } cases[] = {{103, 103}, {105, 105}, {101, 101}, {300, 44}, {256, 0}};
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          StartMemoryConsole(80, 25);
          SetMemoryOutputError(c.Code);
          WriteChar('x');
          CheckOutput();
          std::exit(200);  // not reached
        },
        testing::ExitedWithCode(c.Exit), "")
        << c.Code;
  }
}

TEST(ConsoleDeathTest, EndProgramEndsWithTheCode) {
  EXPECT_EXIT(
      {
        StartMemoryConsole(80, 25);
        EndProgram(7);
      },
      testing::ExitedWithCode(7), "");
}

TEST(RuntimeErrorTest, ReportLayout) {
  const std::uint32_t locations[] = {0x1A2B, 0xFFFFFFFF, 0};
  ReportBuffer report;
  const std::size_t length = FormatRuntimeError(103, locations, 3, report);
  EXPECT_EQ(std::string(report.begin(), report.begin() + length),
            "Runtime error 103 at $00001A2B\r\n"
            "  $00001A2B\r\n"
            "  $FFFFFFFF\r\n"
            "  $00000000\r\n"
            "\r\n");
  const std::uint32_t deep[MaxReportLocations + 5] = {};
  const std::size_t longest = FormatRuntimeError(65535, deep, MaxReportLocations + 5, report);
  EXPECT_EQ(longest, 34 + 13 * MaxReportLocations + 2u);
}

}  // namespace
}  // namespace nagyszam
