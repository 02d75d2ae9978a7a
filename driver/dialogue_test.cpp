// The whole program against what the dialogue must show, written by hand in
// expected/<name>.txt: scripted through pipes (the transcript of its window)
// and on a real terminal (a pseudo-terminal read back by libvterm: the rows
// that scrolled off and the final screen).
#include <gtest/gtest.h>

#include "driver/testing/program_run.h"

namespace nagyszam::testing {
namespace {

const std::string Fives(257, '5'), Sevens(38, '7'), Nines(256, '9');
const std::string FiveE255 = "5" + std::string(255, '0');
const std::string Overflow = "2\n" + FiveE255 + "\n \n+2\n-" + FiveE255 + "\n ";
// BS with nothing held; x, BEL, Tab, é, Ctrl-A refused; an arrow key at the
// key wait, its second byte ignored before the sign; BS over signs.
const std::string Editing =
    "\x7fx3\a\t\xc3\xa9\x7f"
    "12\n7\x01\n\x1b[A5+\x7f-12\n+3\x7f\x7f-4\n ";

// Every byte value but the skipped ones, then Enter, at each of the four
// prompts: the digits are held, DEL takes the last one back, every other
// byte is refused or ignored, and in a signed entry the plus sign is the sign.
std::string EveryByte(const std::string& skip) {
  std::string entry;
  for (int b = 0; b < 256; ++b)
    if (skip.find(static_cast<char>(b)) == std::string::npos) entry += static_cast<char>(b);
  entry += "\r";
  return entry + entry + " " + entry + entry + "q";
}

struct Scripted {
  const char* File;
  std::string Keys;              // LF is Enter, DEL is Backspace
  std::vector<std::string> Env;  // the window's size and the locale, as the program finds them
  int ExitCode;                  // 1: the input ends at the last key wait...
  int Scrolled;                  // ...when this many rows must already be out
  friend void PrintTo(const Scripted& row, std::ostream* out) { *out << row.File; }
};

const Scripted ScriptedRows[] = {
    {"example_80", "7\n3\n \n+12\n+5\nq", {"COLUMNS=80", "LINES=25", "LC_ALL=C"}, 0, 0},
    {"zeros_80", "0\n0\n-+05\n-000\n ", {"COLUMNS=80", "LINES=60"}, 0, 0},
    {"subtraction_80", "3\n7\n \n-7\n+2\n", {}, 1, 21},  // neither size set: 80 x 25
    {"too_long_80", Fives + "12\n12\n \n-" + Fives + "42\n+5\n ", {"COLUMNS=80", "LINES=60"}, 0, 0},
    {"nines_80", Nines + "\n1\n \n-1\n-" + Nines + "\n", {"COLUMNS=2x", "LINES=0"}, 1, 126},
    {"product_overflow_50", Overflow, {"COLUMNS=50", "LINES=20"}, 0, 0},
    {"editing_80", Editing, {"COLUMNS=80", "LINES=25", "LC_ALL=POSIX"}, 0, 0},
    // One column: each row ends with the cursor wrapped onto a row of its own.
    {"one_column_1", "1\n2\n \n+3\n-4\n", {"COLUMNS=01", "LINES=255"}, 1, 468},
    {"one_column_1", "1\n2\n \n+3\n-4\n", {"COLUMNS=1", "LINES=256"}, 1, 698},
    {"every_byte_80", EveryByte(""), {"COLUMNS=80", "LINES=60"}, 0, 0},
};

struct OnTerminal {
  const char* File;
  std::vector<std::string> Keys;  // the first once asked for the cursor, each next once waited for
  int Columns, Lines;
  bool Answers;  // whether the terminal answers where its cursor is
  bool SizeUnknown = false;
  friend void PrintTo(const OnTerminal& row, std::ostream* out) { *out << row.File; }
};

const OnTerminal TerminalRows[] = {
    {"example_80", {"7\r3\r \r+12\r+5\rq"}, 80, 25, true},
    {"example_80", {"7\r3\r \r+12\r+5\rq"}, 80, 25, true, true},  // no size known: 80 x 25
    // Keys before the answer, which comes too late and is no key: the
    // minus sign is the key wait's key.
    {"example_80", {"7\r3\r", "\x1b[1;1R-+12\r+5\rq"}, 80, 25, false},
    // A refused key in the last column and BS over a digit that wrapped.
    {"editing_40", {"7\r3\r \r+" + Sevens + "x0\x7f\r+\x7f-5\r "}, 40, 25, true},
    {"one_column_1", {"1\r2\r \r+3\r-4\r "}, 1, 10, true},
    // Taller than any window: the rows below it keep what they showed.
    {"one_column_below", {"1\r2\r \r+3\r-4\r "}, 1, 300, true},
    // Ctrl-C, Ctrl-Z and Ctrl-\ signal; XON, XOFF and the rest are keys.
    {"every_byte_80", {EveryByte("\x03\x1a\x1c")}, 80, 60, true},
    // Sequences cut off by a pause: a lone ESC is Esc, a bare introducer
    // Alt and its letter, a cut-off parameter list is dropped.
    {"cut_off_80",
     {"1\x1b", "2\x1b[", "3\x1b[1;", "4\x1bO", "5\x1b[99z6\xc3", "7\r3\r \r+12\r+5\rq"},
     80,
     25,
     true},
};

class ScriptedTable : public ::testing::TestWithParam<Scripted> {};
class TerminalTable : public ::testing::TestWithParam<OnTerminal> {};

TEST_P(ScriptedTable, TranscriptAsExpected) {
  const Scripted& row = GetParam();
  Session run({Wiring::Pipes, 80, 25, row.Env, true, "", ""});
  run.Type(row.Keys);
  std::string early;  // written while the program waits at the end of the keys
  if (run.WaitForKey()) {
    early = run.Out;
    run.EndInput();
  }
  EXPECT_EQ(run.End(), row.ExitCode);
  const std::string expected = Expected(row.File);
  EXPECT_EQ(run.Out, expected);
  EXPECT_EQ(run.Err, row.ExitCode == 1 ? "nagyszam: end of input\n" : "");
  std::size_t rows = 0;
  for (int i = 0; i < row.Scrolled; ++i) rows = expected.find('\n', rows) + 1;
  EXPECT_EQ(early, expected.substr(0, rows));
}

TEST_P(TerminalTable, ScreenAsExpected) {
  const OnTerminal& row = GetParam();
  Session run({Wiring::Terminal, row.Columns, row.Lines, {}, row.Answers, "", "", row.SizeUnknown});
  run.Type(row.Keys[0]);
  for (std::size_t i = 1; i < row.Keys.size(); ++i) {
    ASSERT_TRUE(run.WaitForKey());
    run.Type(row.Keys[i]);
  }
  EXPECT_EQ(run.End(), 0);
  EXPECT_EQ(run.Shown(), Expected(row.File));
  EXPECT_EQ(run.Err, "");
  EXPECT_TRUE(run.AsFound());
}

template <typename Row>
std::string NameOf(const ::testing::TestParamInfo<Row>& info) {
  return info.param.File + std::string("_") + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Rows, ScriptedTable, ::testing::ValuesIn(ScriptedRows), NameOf<Scripted>);
INSTANTIATE_TEST_SUITE_P(Rows, TerminalTable, ::testing::ValuesIn(TerminalRows),
                         NameOf<OnTerminal>);

}  // namespace
}  // namespace nagyszam::testing
