// The whole program against what the dialogue must show, written by hand in
// expected/<name>.txt: scripted through pipes (the transcript of its window)
// and on a real terminal (a pseudo-terminal read back by libvterm: the
// final screen).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "driver/testing/program_run.h"

namespace nagyszam::testing {
namespace {

struct Dialogue {
  const char* Name;
  std::string Keys;
  int Columns, Lines;
  int ExitCode;
};

void PrintTo(const Dialogue& d, std::ostream* out) {
  *out << d.Name;
}

std::string Expected(const Dialogue& d) {
  std::ifstream file(std::string(NAGYSZAM_EXPECTED) + "/" + d.Name + ".txt", std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

const std::string Fives(257, '5'), Sevens(38, '7'), Nines(256, '9');
const std::string FiveE255 = "5" + std::string(255, '0');

// LF is Enter, DEL is Backspace; the key after the second entry is the
// first key wait's.
const Dialogue ScriptedRows[] = {
    {"example_80x25", "7\n3\n \n+12\n+5\nq", 80, 25, 0},
    {"zeros_80x60", "0\n0\n-+05\n-000\n ", 80, 60, 0},
    // The input ends at the last key wait.
    {"subtraction_80x25", "3\n7\n \n-7\n+2\n", 80, 25, 1},
    {"too_long_80x60", Fives + "12\n12\n \n-" + Fives + "42\n+5\n ", 80, 60, 0},
    {"nines_80x25", Nines + "\n1\n \n-1\n-" + Nines + "\n ", 80, 25, 0},
    {"product_overflow_50x20", "2\n" + FiveE255 + "\n \n+2\n-" + FiveE255 + "\n ", 50, 20, 0},
    // BS with nothing held; x, BEL, Tab, é, Ctrl-A refused; an arrow key at
    // the key wait, its second byte ignored before the sign; BS over signs.
    {"editing_80x25",
     "\x7fx3\a\t\xc3\xa9\x7f"
     "12\n7\x01\n\x1b[A5+\x7f-12\n+3\x7f\x7f-4\n ",
     80, 25, 0},
    {"one_column_1x10", "1\n2\n \n+3\n-4\n ", 1, 10, 0},
};

const Dialogue OnTerminal[] = {
    {"screen_example_80x60", "7\n3\n \n+12\n+5\nq", 80, 60, 0},
    // A refused key in the last column and BS over a digit that wrapped.
    {"screen_editing_40x25", "7\n3\n \n+" + Sevens + "x0\x7f\n+\x7f-5\n ", 40, 25, 0},
};

class Scripted : public ::testing::TestWithParam<Dialogue> {};
class OnATerminal : public ::testing::TestWithParam<Dialogue> {};

TEST_P(Scripted, TranscriptAsExpected) {
  const ScriptedRun run = RunScripted(GetParam().Keys, GetParam().Columns, GetParam().Lines);
  EXPECT_EQ(run.Transcript, Expected(GetParam()));
  EXPECT_EQ(run.ExitCode, GetParam().ExitCode) << run.Errors;
}

TEST_P(OnATerminal, ScreenAsExpected) {
  const TerminalRun run = RunInTerminal(GetParam().Keys, GetParam().Columns, GetParam().Lines);
  std::string screen;
  for (const std::string& row : run.Screen) screen += row + "\n";
  EXPECT_EQ(screen, Expected(GetParam()));
  EXPECT_EQ(run.ExitCode, GetParam().ExitCode);
}

std::string NameOf(const ::testing::TestParamInfo<Dialogue>& info) {
  return info.param.Name;
}

INSTANTIATE_TEST_SUITE_P(Runs, Scripted, ::testing::ValuesIn(ScriptedRows), NameOf);
INSTANTIATE_TEST_SUITE_P(Runs, OnATerminal, ::testing::ValuesIn(OnTerminal), NameOf);

}  // namespace
}  // namespace nagyszam::testing
