// The whole program, scripted: keys in through a pipe, the transcript of its
// window out, compared with the rows the dialogue must show.
#include <gtest/gtest.h>

#include "driver/expected_rows.h"
#include "driver/program_run.h"

namespace nagyszam::testing {
namespace {

// 7 and 3, then +12 and +5: the dialogue from its first row to its last.
constexpr char ExampleKeys[] = "7\n3\n \n+12\n+5\nq";
constexpr char ExampleTranscript[] = R"(---- Elöjel nélüli egészek tesztje ----

a(NemNegEgész): (A szám legfeljebb 256 jegyű):
7
b(NemNegEgész): (A szám legfeljebb 256 jegyű):
3

7=3 = FALSE
7>3 = TRUE

7+1 = 8
7-1 = 6
7+3 = 10
7-3 = 4
7*3 = 21
7 és 3 osztása során képződött-e hiba = nem
7 Div 3 = 2
7 Mod 3 = 1

---- Elöjeles egészek tesztje ----

a(egész):+7 és b(egész):+3

+7=+3 = FALSE
+7>+3 = TRUE

+7+1 = +8
+7-1 = +6
+7++3 = +10
+7-+3 = +4
+7 és +3 osztása során képződött-e hiba = nem
+7 Div +3 = +2
+7 Mod +3 = +1

a(Egész): (Az előjeles szám legfeljebb 256 jegyű):
+12
b(Egész): (Az előjeles szám legfeljebb 256 jegyű):
+5

+12>+5 = TRUE

+12*+5 = +60

+12 és +5 osztása során képződött-e hiba = nem
+12 Div +5 = +2
+12 Mod +5 = +2
)";

TEST(Example, WholeDialogueInATallWindow) {
  const ScriptedRun run = RunScripted(ExampleKeys, 80, 60);
  EXPECT_EQ(run.Transcript, ExampleTranscript);
  EXPECT_EQ(Rows(run.Transcript).size(), 46u);
  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
}

// 46 rows through 25: the rows that scroll out come first, then the window.
TEST(Example, WholeDialogueScrollingThrough25Rows) {
  const ScriptedRun run = RunScripted(ExampleKeys, 80, 25);
  EXPECT_EQ(run.Transcript, ExampleTranscript);
  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
}

const std::string Nines(int n) {
  return std::string(static_cast<std::size_t>(n), '9');
}
const std::string Zeros(int n) {
  return std::string(static_cast<std::size_t>(n), '0');
}

// n digits counting 1, 2, ..., 9, 0, 1, ...
std::string Digits(int n) {
  std::string digits;
  for (int i = 1; i <= n; ++i) digits += static_cast<char>('0' + i % 10);
  return digits;
}

const std::string N9 = Nines(256);
const std::string N98 = Nines(255) + "8";
const std::string B5 = "5" + Zeros(255);

struct Scenario {
  const char* Name;
  std::string Keys;
  std::vector<std::string> Rows;  // as written, before the window wraps them
};

const std::vector<Scenario> Scenarios = {
    // Zero operands, the arrow key at the first wait (its 'H' reaches the
    // signed entry's sign phase), a key before the sign, a negative zero with
    // leading zeros, and BS over a sign.
    {"ZeroOperandsNegativeZeroAndArrowKey",
     "0\n0\n\x1b[A5-000\n+\x7f-7\nx",
     {NemNegHeading,
      "",
      PromptA,
      "0",
      PromptB,
      "0",
      "",
      "0=0 = TRUE",
      "0>0 = FALSE",
      "",
      "0+1 = 1",
      "Nem lehet csökkenteni 0-t",
      "0+0 = 0",
      "0-0 = 0",
      "0*0 = 0",
      "0 és 0" + DivisionQuestion + "igen",
      "0 Div 0 = 0",
      "0 Mod 0 = 0",
      "",
      EgeszHeading,
      "",
      "a(egész):+0 és b(egész):+0",
      "",
      "+0=+0 = TRUE",
      "+0>+0 = FALSE",
      "",
      "+0+1 = +1",
      "+0-1 = -1",
      "+0++0 = +0",
      "+0-+0 = +0",
      "+0 és +0" + DivisionQuestion + "igen",
      "+0 Div +0 = +0",
      "+0 Mod +0 = +0",
      "",
      SignedPromptA,
      "-000",
      SignedPromptB,
      "-7",
      "",
      "-000>-7 = TRUE",
      "",
      "-000*-7 = +0",
      "",
      "-000 és -7" + DivisionQuestion + "nem",
      "-000 Div -7 = +0",
      "-000 Mod -7 = +0"}},
    // a < b; rejected letters and control keys (Ctrl-A, Tab, BEL, a letter
    // outside ASCII) leave nothing behind; signed entries with leading zeros.
    {"SmallerFirstRejectedKeysAndLeadingZeros",
     "x3\a\t\n\xc3\xa9\x01"
     "7\n\n+0012\n-03\n\n",
     {NemNegHeading,
      "",
      PromptA,
      "3",
      PromptB,
      "7",
      "",
      "3=7 = FALSE",
      "3>7 = FALSE",
      "",
      "3+1 = 4",
      "3-1 = 2",
      "3+7 = 10",
      "Nem lehet kivonni 3-ból/böl 7-t!",
      "3*7 = 21",
      "3 és 7" + DivisionQuestion + "nem",
      "3 Div 7 = 0",
      "3 Mod 7 = 3",
      "",
      EgeszHeading,
      "",
      "a(egész):+3 és b(egész):+7",
      "",
      "+3=+7 = FALSE",
      "+3>+7 = FALSE",
      "",
      "+3+1 = +4",
      "+3-1 = +2",
      "+3++7 = +10",
      "+3-+7 = -4",
      "+3 és +7" + DivisionQuestion + "nem",
      "+3 Div +7 = +0",
      "+3 Mod +7 = +3",
      "",
      SignedPromptA,
      "+0012",
      SignedPromptB,
      "-03",
      "",
      "+0012>-03 = TRUE",
      "",
      "+0012*-03 = -36",
      "",
      "+0012 és -03" + DivisionQuestion + "nem",
      "+0012 Div -03 = -4",
      "+0012 Mod -03 = +0"}},
    // Equal operands, a 257th digit and the entry starting over, and a
    // signed division by zero.
    {"EqualOperandsTooLongAndDivisionByZero",
     Digits(257) + "12\n12\n \n+5\n+0\n ",
     {NemNegHeading,
      "",
      PromptA,
      Digits(257),
      TooLong,
      "12",
      PromptB,
      "12",
      "",
      "12=12 = TRUE",
      "12>12 = FALSE",
      "",
      "12+1 = 13",
      "12-1 = 11",
      "12+12 = 24",
      "12-12 = 0",
      "12*12 = 144",
      "12 és 12" + DivisionQuestion + "nem",
      "12 Div 12 = 1",
      "12 Mod 12 = 0",
      "",
      EgeszHeading,
      "",
      "a(egész):+12 és b(egész):+12",
      "",
      "+12=+12 = TRUE",
      "+12>+12 = FALSE",
      "",
      "+12+1 = +13",
      "+12-1 = +11",
      "+12++12 = +24",
      "+12-+12 = +0",
      "+12 és +12" + DivisionQuestion + "nem",
      "+12 Div +12 = +1",
      "+12 Mod +12 = +0",
      "",
      SignedPromptA,
      "+5",
      SignedPromptB,
      "+0",
      "",
      "+5>+0 = TRUE",
      "",
      "+5*+0 = +0",
      "",
      "+5 és +0" + DivisionQuestion + "igen",
      "+5 Div +0 = +0",
      "+5 Mod +0 = +0"}},
    // 256 nines and 1: the increment, the sum and the signed product overflow,
    // each on its own row; rows of 256 digits wrap over four window rows.
    {"AllNinesOverflowRows",
     N9 + "\n1\n \n-" + N9 + "\n+2\n ",
     {NemNegHeading,
      "",
      PromptA,
      N9,
      PromptB,
      "1",
      "",
      N9 + "=1 = FALSE",
      N9 + ">1 = TRUE",
      "",
      N9 + "+1 = 0" + Overflow,
      N9 + "-1 = " + N98,
      N9 + "+1 = 0" + Overflow,
      N9 + "-1 = " + N98,
      N9 + "*1 = " + N9,
      N9 + " és 1" + DivisionQuestion + "nem",
      N9 + " Div 1 = " + N9,
      N9 + " Mod 1 = 0",
      "",
      EgeszHeading,
      "",
      "a(egész):+" + N9 + " és b(egész):+1",
      "",
      "+" + N9 + "=+1 = FALSE",
      "+" + N9 + ">+1 = TRUE",
      "",
      "+" + N9 + "+1 = +0" + Overflow,
      "+" + N9 + "-1 = +" + N98,
      "+" + N9 + "++1 = +0" + Overflow,
      "+" + N9 + "-+1 = +" + N98,
      "+" + N9 + " és +1" + DivisionQuestion + "nem",
      "+" + N9 + " Div +1 = +" + N9,
      "+" + N9 + " Mod +1 = +0",
      "",
      SignedPromptA,
      "-" + N9,
      SignedPromptB,
      "+2",
      "",
      "-" + N9 + ">+2 = FALSE",
      "",
      "-" + N9 + "*+2 = -" + N98 + Overflow,
      "",
      "-" + N9 + " és +2" + DivisionQuestion + "nem",
      "-" + N9 + " Div +2 = -4" + Nines(255),
      "-" + N9 + " Mod +2 = -1"}},
    // 2 and 5 * 10^255: the product overflows, the subtraction is refused,
    // the signed difference is negative; then a negative division.
    {"ProductOverflowAndNegativeDivision",
     "2\n" + B5 + "\n \n-7\n+2\n ",
     {NemNegHeading,
      "",
      PromptA,
      "2",
      PromptB,
      B5,
      "",
      "2=" + B5 + " = FALSE",
      "2>" + B5 + " = FALSE",
      "",
      "2+1 = 3",
      "2-1 = 1",
      "2+" + B5 + " = 5" + Zeros(254) + "2",
      "Nem lehet kivonni 2-ból/böl " + B5 + "-t!",
      "2*" + B5 + " = 10" + Overflow,
      "2 és " + B5 + DivisionQuestion + "nem",
      "2 Div " + B5 + " = 0",
      "2 Mod " + B5 + " = 2",
      "",
      EgeszHeading,
      "",
      "a(egész):+2 és b(egész):+" + B5,
      "",
      "+2=+" + B5 + " = FALSE",
      "+2>+" + B5 + " = FALSE",
      "",
      "+2+1 = +3",
      "+2-1 = +1",
      "+2++" + B5 + " = +5" + Zeros(254) + "2",
      "+2-+" + B5 + " = -4" + Nines(254) + "8",
      "+2 és +" + B5 + DivisionQuestion + "nem",
      "+2 Div +" + B5 + " = +0",
      "+2 Mod +" + B5 + " = +2",
      "",
      SignedPromptA,
      "-7",
      SignedPromptB,
      "+2",
      "",
      "-7>+2 = FALSE",
      "",
      "-7*+2 = -14",
      "",
      "-7 és +2" + DivisionQuestion + "nem",
      "-7 Div +2 = -3",
      "-7 Mod +2 = -1"}},
};

void PrintTo(const Scenario& s, std::ostream* out) {
  *out << s.Name;
}

class Dialogue : public ::testing::TestWithParam<Scenario> {};

TEST_P(Dialogue, TranscriptIn80Columns) {
  const Scenario& s = GetParam();
  for (const int lines : {25, 60}) {
    const ScriptedRun run = RunScripted(s.Keys, 80, lines);
    EXPECT_EQ(run.Transcript, Transcript(s.Rows, 80)) << lines << " rows";
    EXPECT_EQ(run.ExitCode, 0) << run.Errors;
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, Dialogue, ::testing::ValuesIn(Scenarios),
                         [](const auto& info) { return std::string(info.param.Name); });

// The rows break at the window's own width, here 50 columns.
TEST(NarrowWindow, RowsBreakAtTheWindowWidth) {
  const Scenario& s = Scenarios[3];
  const ScriptedRun run = RunScripted(s.Keys, 50, 25);
  EXPECT_EQ(run.Transcript, Transcript(s.Rows, 50));
  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
}

}  // namespace
}  // namespace nagyszam::testing
