// What the window fuzzer does not reach: the stop by CheckOutput, the
// run-time error report and joined texts.
#include "console/console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/runtime_error.h"
#include "console/testing/memory_console.h"

namespace nagyszam::testing {
namespace {

TEST(ConsoleDeathTest, CheckOutputStopsWithTheCodeModulo256) {
  for (const int code : {101, 300, 256}) {
    EXPECT_EXIT(
        {
          StartMemoryConsole(80, 25);
          SetMemoryOutputError(static_cast<std::uint16_t>(code));
          WriteChar('x');
          CheckOutput();
          std::exit(200);
        },
        ::testing::ExitedWithCode(code % 256), "")
        << code;
  }
  EXPECT_EXIT(
      {
        StartMemoryConsole(80, 25);
        EndProgram(7);
      },
      ::testing::ExitedWithCode(7), "");
}

TEST(Console, RuntimeErrorReport) {
  const std::uint32_t locations[] = {0x1A2B, 0xFFFFFFFF, 0x0C0FFEE0};
  ReportBuffer report;
  std::size_t length = FormatRuntimeError(65535, locations, 3, report);
  EXPECT_EQ(std::string(report.begin(), report.begin() + length),
            "Runtime error 65535 at $00001A2B\r\n"
            "  $00001A2B\r\n  $FFFFFFFF\r\n  $0C0FFEE0\r\n\r\n");
  // At least the failing level, at most 32: levels past them are left out.
  length = FormatRuntimeError(7, locations, 0, report);
  EXPECT_EQ(std::string(report.begin(), report.begin() + length),
            "Runtime error 7 at $00001A2B\r\n  $00001A2B\r\n\r\n");
  const std::uint32_t deep[33] = {};
  length = FormatRuntimeError(0, deep, 33, report);
  EXPECT_EQ(length, 30 + 13 * 32 + 2u);
  // No locations known: the failing level shows as zero.
  length = FormatRuntimeError(5, nullptr, 2, report);
  EXPECT_EQ(std::string(report.begin(), report.begin() + length),
            "Runtime error 5 at $00000000\r\n  $00000000\r\n  $00000000\r\n\r\n");
}

TEST(Console, CallingLocationsFitTheirRoom) {
  // No room: nothing written, not even the failing level.
  std::uint32_t locations[4] = {0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};
  const void* here = reinterpret_cast<const void*>(&FormatRuntimeError);
  EXPECT_EQ(CallingLocations(here, locations, 0), 0);
  EXPECT_EQ(CallingLocations(here, locations, -1), 0);
  EXPECT_EQ(locations[0], 0xDEADBEEF);
  // Room for three: the failing level at least, the fourth slot untouched.
  const int count = CallingLocations(here, locations, 3);
  EXPECT_GE(count, 1);
  EXPECT_LE(count, 3);
  EXPECT_NE(locations[0], 0xDEADBEEF);
  EXPECT_EQ(locations[3], 0xDEADBEEF);
}

TEST(Console, ConcatCutsAt255Bytes) {
  ShortText a{200, {}}, b{100, {}};
  a.Bytes.fill('a');
  b.Bytes.fill('b');
  const ShortText joined = Concat(a, b);
  EXPECT_EQ(joined.Length, 255);
  EXPECT_EQ(std::string(joined.Bytes.begin() + 199, joined.Bytes.end()),
            "a" + std::string(55, 'b'));
}

}  // namespace
}  // namespace nagyszam::testing
