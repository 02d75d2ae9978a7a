#include "console/posix/cursor_report.h"

#include <cstring>

namespace nagyszam {

namespace {

// Reads a decimal parameter at bytes[i]; -1 when there is no digit. Large
// values are capped, as no terminal has that many rows or columns.
int ReadParameter(const std::uint8_t* bytes, std::size_t length, std::size_t& i) noexcept {
  if (i >= length || bytes[i] < '0' || bytes[i] > '9') return -1;
  int value = 0;
  while (i < length && bytes[i] >= '0' && bytes[i] <= '9') {
    if (value < 100000) value = value * 10 + (bytes[i] - '0');
    ++i;
  }
  return value;
}

bool ReportAt(const std::uint8_t* bytes, std::size_t length, std::size_t start,
              CursorReport& report) noexcept {
  std::size_t i = start;
  if (i + 1 >= length || bytes[i] != 0x1B || bytes[i + 1] != '[') return false;
  i += 2;
  const int row = ReadParameter(bytes, length, i);
  if (row < 0 || i >= length || bytes[i] != ';') return false;
  ++i;
  const int column = ReadParameter(bytes, length, i);
  if (column < 0 || i >= length || bytes[i] != 'R') return false;
  report = CursorReport{start, i + 1 - start, row, column};
  return true;
}

}  // namespace

bool FindCursorReport(const std::uint8_t* bytes, std::size_t length,
                      CursorReport& report) noexcept {
  for (std::size_t start = 0; start < length; ++start)
    if (ReportAt(bytes, length, start, report)) return true;
  return false;
}

std::size_t CutCursorReport(std::uint8_t* bytes, std::size_t length,
                            const CursorReport& report) noexcept {
  const std::size_t end = report.Start + report.Length;
  std::memmove(bytes + report.Start, bytes + end, length - end);
  return length - report.Length;
}

}  // namespace nagyszam
