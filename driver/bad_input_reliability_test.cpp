// Bad input through the real program, scripted (keys through a pipe, the
// transcript back): a huge paste, every byte value at every prompt, unknown
// and cut-off escape sequences, input that ends anywhere, the smallest
// window. None may crash, hang or lose what was typed correctly.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "driver/program_run.h"

namespace nagyszam::testing {
namespace {

const std::string TooLong = "Túl hosszú szám! Kérem újra!";

std::string Joined(const std::string& transcript) {
  std::string joined = transcript;
  joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
  return joined;
}

bool HasRow(const ScriptedRun& run, const std::string& row) {
  const std::vector<std::string> rows = Rows(run.Transcript);
  return std::find(rows.begin(), rows.end(), row) != rows.end();
}

// 10,000 digits at the first prompt: a message for each 257th digit, each
// dropping what was held, then Enter takes the 234 digits after the last.
TEST(BadInput, PasteOfTenThousandDigits) {
  std::string paste;
  for (int i = 0; i < 10000; ++i) paste += static_cast<char>('1' + i % 9);
  const ScriptedRun run = RunScripted(paste + "\n3\n \n+12\n+5\nq", 255, 25);
  ASSERT_EQ(run.ExitCode, 0) << run.Errors;
  const std::vector<std::string> rows = Rows(run.Transcript);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), TooLong), 10000 / 257);
  const std::string held = paste.substr(10000 / 257 * 257);
  ASSERT_EQ(held.size(), 234u);
  EXPECT_NE(Joined(run.Transcript).find(held + "+1 = "), std::string::npos);
  // The signed section runs as if nothing had happened.
  EXPECT_TRUE(HasRow(run, "+12*+5 = +60"));
}

std::string EveryByte() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// Bytes 0 to 255 in order at each prompt, then Enter. LF and CR come before
// any digit (no entry ends), the digits are held, DEL takes the last one
// back, every other byte is rejected or ignored; in a signed entry the plus
// sign is the sign.
TEST(BadInput, EveryByteValueAtEveryPrompt) {
  const std::string entry = EveryByte() + "\n";
  const ScriptedRun run = RunScripted(entry + entry + " " + entry + entry + "q", 80, 25);
  ASSERT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_TRUE(HasRow(run, "12345678*12345678 = 152415765279684"));
  EXPECT_TRUE(HasRow(run, "+012345678*+012345678 = +152415765279684"));
}

// Sequences no key sends are dropped whole, a cut-off one where the next
// byte cannot belong to it; what stands between them is typed as usual.
TEST(BadInput, UnknownAndCutOffEscapeSequences) {
  const std::string longSequence = "\x1b[" + std::string(80, ';') + "A";
  const std::string a =
      "1\x1b[99z2\x1b[?1;2c3\x1b[200~4" + longSequence + "5\x1b[1;2;3;4H6\x1b[[Z7\x1b[1;\n";
  const std::string b = "8\x1bO\x1b[9\n";
  const ScriptedRun run = RunScripted(a + b + " \n+12\n+5\n\x1b[", 80, 25);
  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_TRUE(HasRow(run, "1234567=8 = FALSE")) << run.Transcript;
  EXPECT_TRUE(HasRow(run, "+12*+5 = +60"));
}

// The input may end anywhere: the program ends at once with exit code 1 and
// one line on standard error, the transcript shows what was typed and
// nothing of a sequence cut off by the end.
TEST(BadInput, InputEndingAnywhere) {
  const struct {
    const char* Name;
    std::string Keys;
    std::string LastRow;
  } cases[] = {
      {"in the first entry", "12", "12"},
      {"in an escape sequence", "12\x1b[1;", "12"},
      {"after a lone Esc", "12\x1b", "12"},
      {"in a UTF-8 character", "12\xc3", "12"},
      {"in the second entry", "7\n3", "3"},
      {"at the first key wait", "7\n3\n", "7 Mod 3 = 1"},
      {"in the sign of a signed entry", "7\n3\n \n-", "-"},
      {"at the last key wait", "7\n3\n \n+12\n+5\n", "+12 Mod +5 = +2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const ScriptedRun run = RunScripted(c.Keys, 80, 25);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(std::count(run.Errors.begin(), run.Errors.end(), '\n'), 1) << run.Errors;
    EXPECT_NE(run.Errors.find("end of input"), std::string::npos) << run.Errors;
    const std::vector<std::string> rows = Rows(run.Transcript);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back(), c.LastRow);
  }
}

// A window of one cell: every row of the transcript holds one character at
// most, and together they are the characters of the same dialogue in a
// window where nothing scrolls.
TEST(BadInput, OneByOneWindow) {
  const std::string keys = "7\n3\n \n+12\n+5\nq";
  const ScriptedRun tiny = RunScripted(keys, 1, 1);
  const ScriptedRun tall = RunScripted(keys, 80, 60);
  EXPECT_EQ(tiny.ExitCode, 0) << tiny.Errors;
  for (const std::string& row : Rows(tiny.Transcript)) {
    const auto count = std::count_if(row.begin(), row.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    EXPECT_LE(count, 1) << row;
  }
  const auto shown = [](const std::string& transcript) {
    std::string cells = Joined(transcript);
    cells.erase(std::remove(cells.begin(), cells.end(), ' '), cells.end());
    return cells;
  };
  EXPECT_EQ(shown(tiny.Transcript), shown(tall.Transcript));
}

}  // namespace
}  // namespace nagyszam::testing
