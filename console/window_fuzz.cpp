// The console operations in any window size against a plain model of the
// byte rules (CR, LF, BS and BEL move or do nothing, every other byte fills
// a cell, the wrap at the last column and the scroll at the bottom happen at
// once) and of output errors (a refused output stays pending until taken,
// the first is kept, writes write nothing while one is pending; ClearScreen
// and PlaceCursor act all the same).
//
// Input: width and height (0 stands for 1), then operations: a byte
// choosing one, followed by its arguments.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "console/console_backend.h"
#include "console/testing/memory_console.h"

namespace nagyszam::testing {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "window fuzz: %s\n", what);
  __builtin_trap();
}

struct Model {
  int Width, Height, Column = 1, Row = 1;
  std::vector<std::string> Rows;
  std::uint16_t FailNext = 0, Pending = 0;

  bool Refused() {  // a write, refused or not
    if (Pending == 0) std::swap(Pending, FailNext);
    return Pending != 0;
  }
  void Output() {  // not a write: acts even when refused
    if (Pending == 0) Pending = FailNext;
    FailNext = 0;
  }
  void Clear() {
    Rows.assign(Height, std::string(Width, ' '));
    Column = Row = 1;
  }
  void Put(const std::string& bytes) {
    for (const char c : bytes) {
      if (c == '\r')
        Column = 1;
      else if (c == '\n')
        ++Row;
      else if (c == '\b')
        Column -= Column > 1;
      else if (c != '\a')
        Rows[Row - 1][Column++ - 1] = c;
      if (Column > Width) Column = 1, ++Row;
      if (Row > Height) {
        Rows.erase(Rows.begin());
        Rows.emplace_back(Width, ' ');
        Row = Height;
      }
    }
  }
};

// The cursor, and the cells of the window (all cells when outside too).
void Check(const Model& m, bool cells, bool outside) {
  if (CursorColumn() != m.Column || CursorRow() != m.Row) Fail("cursor differs from the model");
  const int rows = outside ? MaxWindowSide : m.Height, columns = outside ? MaxWindowSide : m.Width;
  for (int row = 1; cells && row <= rows; ++row)
    for (int column = 1; column <= columns; ++column) {
      const bool inside = row <= m.Height && column <= m.Width;
      const char want = inside ? m.Rows[row - 1][column - 1] : ' ';
      if (ConsoleModel().Cells[row - 1][column - 1] != static_cast<std::uint8_t>(want))
        Fail(inside ? "a cell differs from the model" : "a cell outside the window was written");
    }
}

}  // namespace
}  // namespace nagyszam::testing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  using namespace nagyszam::testing;
  if (size < 2) return 0;
  StartMemoryConsole(data[0], data[1]);
  Model m{data[0] == 0 ? 1 : data[0], data[1] == 0 ? 1 : data[1], 1, 1, {}, 0, 0};
  m.Clear();
  const bool everyStep = m.Width * m.Height <= 512;
  std::size_t pos = 2;
  auto left = [&] { return size - pos; };
  while (pos < size) {
    const std::uint8_t op = data[pos++] % 8;
    std::string written;
    bool isWrite = true;
    if (op == 0 && left() >= 1) {
      ShortText text{static_cast<std::uint8_t>(std::min<std::size_t>(data[pos++], left())), {}};
      for (int i = 0; i < text.Length; ++i) text.Bytes[i] = data[pos++];
      WriteText(text);
      written.assign(text.Bytes.begin(), text.Bytes.begin() + text.Length);
    } else if (op == 1 && left() >= 1) {
      WriteChar(data[pos]);
      written = static_cast<char>(data[pos++]);
    } else if (op == 2 && left() >= 2) {
      const std::uint8_t column = data[pos++], row = data[pos++];
      PlaceCursor(column, row);
      m.Output();
      if (column >= 1 && column <= m.Width && row >= 1 && row <= m.Height)
        m.Column = column, m.Row = row;
      isWrite = false;
    } else if (op == 3) {
      ClearScreen();
      m.Output();
      m.Clear();
      isWrite = false;
    } else if (op == 4) {
      EndLine();
      written = "\r\n";
    } else if (op == 5 && left() >= 4) {
      const std::uint32_t bits = data[pos] | data[pos + 1] << 8 | data[pos + 2] << 16 |
                                 static_cast<std::uint32_t>(data[pos + 3]) << 24;
      pos += 4;
      if (bits & 1)
        WriteSigned(static_cast<std::int32_t>(bits));
      else
        WriteUnsigned(bits);
      written = bits & 1 ? std::to_string(static_cast<std::int32_t>(bits)) : std::to_string(bits);
    } else if (op == 6 && left() >= 1) {
      WriteBoolean(data[pos] & 1);
      written = data[pos++] & 1 ? "TRUE" : "FALSE";
    } else if (op == 7 && left() >= 1) {
      // An odd byte makes the next output fail with a code; an even one
      // takes the pending code, which must be the first one met.
      const std::uint8_t b = data[pos++];
      if (b & 1) {
        SetMemoryOutputError(b + 1);
        m.FailNext = b + 1;
      } else {
        if (TakeOutputError() != m.Pending) Fail("the output error differs from the model's");
        m.Pending = 0;
      }
      isWrite = false;
    } else {
      isWrite = false;  // its arguments ran out
    }
    if (isWrite && !m.Refused()) m.Put(written);
    Check(m, everyStep, false);
  }
  Check(m, true, true);
  return 0;
}
