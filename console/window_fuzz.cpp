// Console output on the memory console in any window size: every cursor
// position stays inside the window, and the cells and cursor equal a plain
// model of the byte rules (CR, LF, BS and BEL move or do nothing, every
// other byte fills a cell, the wrap at the last column and the scroll at
// the bottom happen at once), and of output errors (a refused output stays
// pending until taken, the first one is kept, writes write nothing while
// one is pending).
//
// Input: width and height (0 stands for the smallest window), then
// operations: a byte choosing one, followed by its arguments.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "console/console.h"
#include "console/console_backend.h"
#include "console/memory_console.h"

namespace nagyszam {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "window fuzz: %s\n", what);
  __builtin_trap();
}

struct Model {
  int Width, Height, Column, Row;
  std::vector<std::vector<std::uint8_t>> Cells;  // [row][column], 0-based
  std::uint16_t FailNext;  // the memory console refuses the next output with it
  std::uint16_t Pending;   // the output error the console holds

  // A write writes nothing while an error is pending, and meets a refusal
  // only when none is.
  bool Refused() {
    if (Pending != 0) return true;
    if (FailNext == 0) return false;
    Pending = FailNext;
    FailNext = 0;
    return true;
  }

  // ClearScreen and PlaceCursor act even when refused; the refusal stays
  // pending behind an earlier error.
  void Output() {
    if (FailNext != 0 && Pending == 0) Pending = FailNext;
    FailNext = 0;
  }

  void Clear() {
    Cells.assign(Height, std::vector<std::uint8_t>(Width, ' '));
    Column = Row = 1;
  }

  void Put(std::uint8_t byte) {
    if (byte == 13) {
      Column = 1;
    } else if (byte == 10) {
      ++Row;
    } else if (byte == 8) {
      if (Column > 1) --Column;
    } else if (byte != 7) {
      Cells[Row - 1][Column - 1] = byte;
      ++Column;
    }
    if (Column > Width) Column = 1, ++Row;
    if (Row > Height) {
      Cells.erase(Cells.begin());
      Cells.emplace_back(Width, ' ');
      Row = Height;
    }
  }

  void Put(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(bytes[i]);
  }
};

void CheckCursor(const Model& m) {
  const int column = CursorColumn(), row = CursorRow();
  if (column < 1 || column > m.Width || row < 1 || row > m.Height)
    Fail("cursor outside the window");
  if (column != m.Column || row != m.Row) Fail("cursor differs from the model");
}

void CheckCells(const Model& m) {
  for (int row = 1; row <= m.Height; ++row)
    for (int column = 1; column <= m.Width; ++column)
      if (MemoryCell(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)) !=
          m.Cells[row - 1][column - 1])
        Fail("a cell differs from the model");
}

// Nothing outside the window is ever written.
void CheckOutside(const Model& m) {
  const Window& w = ConsoleModel();
  for (int row = 0; row < MaxWindowSide; ++row)
    for (int column = 0; column < MaxWindowSide; ++column)
      if ((row >= m.Height || column >= m.Width) && w.Cells[row][column] != ' ')
        Fail("a cell outside the window was written");
}

std::uint32_t Word(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::vector<std::uint8_t> Decimal(std::uint32_t magnitude, bool negative) {
  std::vector<std::uint8_t> text;
  do {
    text.insert(text.begin(), static_cast<std::uint8_t>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) text.insert(text.begin(), '-');
  return text;
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  if (size < 2) return 0;
  StartMemoryConsole(data[0], data[1]);
  Model m{data[0] == 0 ? 1 : data[0], data[1] == 0 ? 1 : data[1], 1, 1, {}, 0, 0};
  m.Clear();
  if (MemoryWidth() != m.Width || MemoryHeight() != m.Height) Fail("window size not as asked");
  const bool checkEveryStep = m.Width * m.Height <= 512;
  std::size_t pos = 2;
  auto left = [&] { return size - pos; };
  while (pos < size) {
    const std::uint8_t op = data[pos++] % 8;
    if (op == 0 && left() >= 1) {
      ShortText text{data[pos++], {}};
      if (text.Length > left()) text.Length = static_cast<std::uint8_t>(left());
      for (int i = 0; i < text.Length; ++i) text.Bytes[i] = data[pos++];
      WriteText(text);
      if (!m.Refused()) m.Put(text.Bytes.data(), text.Length);
    } else if (op == 1 && left() >= 1) {
      WriteChar(data[pos]);
      if (!m.Refused()) m.Put(data[pos]);
      ++pos;
    } else if (op == 2 && left() >= 2) {
      const std::uint8_t column = data[pos], row = data[pos + 1];
      pos += 2;
      PlaceCursor(column, row);
      m.Output();
      if (column >= 1 && column <= m.Width && row >= 1 && row <= m.Height)
        m.Column = column, m.Row = row;
    } else if (op == 3) {
      ClearScreen();
      m.Output();
      m.Clear();
    } else if (op == 4) {
      EndLine();
      if (!m.Refused()) m.Put(13), m.Put(10);
    } else if ((op == 5 || op == 6) && left() >= 4) {
      const std::uint32_t bits = Word(data + pos);
      pos += 4;
      const auto value = static_cast<std::int32_t>(bits);
      std::vector<std::uint8_t> text;
      if (op == 5) {
        WriteSigned(value);
        text = Decimal(value < 0 ? 0u - bits : bits, value < 0);
      } else {
        WriteUnsigned(bits);
        text = Decimal(bits, false);
      }
      if (!m.Refused()) m.Put(text.data(), text.size());
    } else if (op == 7 && left() >= 1) {
      // An odd byte makes the next output fail with a code; an even one
      // takes the pending code, which must be the first one met.
      const std::uint8_t b = data[pos++];
      if (b & 1) {
        SetMemoryOutputError(static_cast<std::uint16_t>(b + 1));
        m.FailNext = static_cast<std::uint16_t>(b + 1);
      } else {
        if (TakeOutputError() != m.Pending) Fail("the output error differs from the model's");
        m.Pending = 0;
      }
    }
    CheckCursor(m);
    if (checkEveryStep) CheckCells(m);
  }
  CheckCells(m);
  CheckOutside(m);
  return 0;
}
