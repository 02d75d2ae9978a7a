// The dialogue on a real terminal: the program in a pseudo-terminal, what it
// sends fed into a terminal emulator, the final screen compared with the last
// window of the scripted run of the same keys.
#include <gtest/gtest.h>

#include "driver/program_run.h"

namespace nagyszam::testing {
namespace {

struct TerminalCase {
  const char* Name;
  std::string Keys;
  int Columns, Lines;
};

void PrintTo(const TerminalCase& c, std::ostream* out) {
  *out << c.Name;
}

// The window's last rows in the transcript: the rows below them were never
// written, so they are the blank rows at the bottom of the screen.
std::vector<std::string> LastWindow(const std::string& transcript, int lines) {
  const std::vector<std::string> rows = Rows(transcript);
  const std::size_t shown = std::min(rows.size(), static_cast<std::size_t>(lines));
  return {rows.end() - static_cast<std::ptrdiff_t>(shown), rows.end()};
}

const std::vector<TerminalCase> Cases = {
    {"ExampleIn80x25", "7\n3\n \n+12\n+5\nq", 80, 25},
    {"ExampleIn80x60", "7\n3\n \n+12\n+5\nq", 80, 60},
    // Rejected keys, BS over a sign, an arrow key at the first wait, a
    // negative zero, and rows that wrap in a narrow window.
    {"EditingKeysIn50x20",
     "x3\t\x7f"
     "12\n"
     "7\x01\n\x1b[A5-000\n+\x7f-7\n ",
     50, 20},
    {"LongRowsIn80x25", std::string(256, '9') + "\n1\n \n-" + std::string(200, '7') + "\n+2\n ", 80,
     25},
};

class Terminal : public ::testing::TestWithParam<TerminalCase> {};

TEST_P(Terminal, FinalScreenEqualsTheTranscriptsLastWindow) {
  const TerminalCase& c = GetParam();
  const ScriptedRun scripted = RunScripted(c.Keys, c.Columns, c.Lines);
  ASSERT_EQ(scripted.ExitCode, 0) << scripted.Errors;
  const TerminalRun terminal = RunInTerminal(c.Keys, c.Columns, c.Lines);
  EXPECT_EQ(terminal.ExitCode, 0);
  EXPECT_EQ(terminal.Screen, LastWindow(scripted.Transcript, c.Lines));
}

INSTANTIATE_TEST_SUITE_P(Runs, Terminal, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace nagyszam::testing
