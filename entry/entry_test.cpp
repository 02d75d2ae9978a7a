// Both entry editors on the in-memory console: for a list of keys, the
// number stored, the window afterwards and where the cursor stood each time
// the keys ran out.
#include <gtest/gtest.h>

#include <algorithm>

#include "console/short_text.h"
#include "entry/testing/entry_run.h"

namespace nagyszam::testing {
namespace {

std::string Bytes(const ShortText& text) {
  return std::string(text.Bytes.begin(), text.Bytes.begin() + text.Length);
}

const std::string Prompt = Bytes(Cp852Text(u8"x: (A szám legfeljebb 256 jegyű):"));
const std::string SignedPrompt = Bytes(Cp852Text(u8"x: (Az előjeles szám legfeljebb 256 jegyű):"));
const std::string TooLong = Bytes(Cp852Text(u8"Túl hosszú szám! Kérem újra!"));

// n digits counting 1, 2, ..., 9, 0, 1, ...
std::string D(int n) {
  std::string digits;
  for (int i = 1; i <= n; ++i) digits += static_cast<char>('0' + i % 10);
  return digits;
}

struct EntryCase {
  const char* Name;
  bool Signed;
  int Width, Height;
  std::string Keys;    // '|' hands the keys over in parts; '!' first: the next write fails
  std::string Number;  // as EntryRun gives it; empty while still reading
  std::string Screen;  // rows without trailing spaces, '/' between, "P" the prompt row
  std::string Cursor;  // column,row at each wait for keys, then at the end
};

void PrintTo(const EntryCase& c, std::ostream* out) {
  *out << c.Name;
}

constexpr bool N = false, S = true;
const std::string D80 = D(80) + "/";

const EntryCase Cases[] = {
    {"BsDropsTheOnlyDigit", N, 80, 25, "5\b7\r", "7", "P/7", "1,2 1,3"},
    {"BsAndCrWithNothingHeld", N, 80, 25, "\b\r|5\r", "5", "P/5", "1,2 1,2 1,3"},
    {"RefusedKeyBlanked", N, 80, 25, "12x|3\r", "123", "P/123", "1,2 3,2 1,3"},
    {"RefusedInTheLastColumn", N, 80, 25, D(79) + "x|5\r", D(79) + "5", "P/" + D(79) + "5",
     "1,2 80,2 1,4"},
    {"RefusedAtTheEndOfAOneRowWindow", N, 80, 1, D(79) + "x|5\r", D(79) + "5", "", "1,1 1,1 1,1"},
    {"BellAndLineFeedInOneColumn", N, 1, 3, "1\a|\n|2\r", "12", "2", "1,3 1,3 1,3 1,3"},
    {"BsInOneColumn", N, 1, 3, "12\b\r", "1", "1", "1,3 1,3"},
    {"FailedEchoInColumnOneThenBs", N, 80, 25, "!5|\b|7\r", "7", "P/7", "1,2 1,2 1,2 1,3"},
    {"ErrorAtCrKeepsTheEntryGoing", N, 80, 25, "5|!\r|6\r", "56", "P/56", "1,2 2,2 2,2 1,3"},
    {"ErrorTakenAtADigit", N, 80, 25, "5|!7|\r", "57", "P/5", "1,2 2,2 2,2 1,3"},
    {"ErrorPendingPastARefusedKey", N, 80, 25, "5|!x|\r|\r", "5", "P/5", "1,2 2,2 2,2 2,2 1,3"},
    {"DigitPastCapacityStartsOver", N, 80, 25, D(256) + "|1|\r|42\r", "42",
     "P/" + D80 + D80 + D80 + D(16) + "1/" + TooLong + "/42", "1,2 17,5 1,7 1,7 1,8"},
    {"BsOverTheSignReopensTheSignPhase", S, 80, 25, "+\b|-5\r", "-5", "P/-5", "1,2 1,2 1,3"},
    {"KeysBeforeTheSignIgnored", S, 80, 25, "12\b\rx|+3\r", "+3", "P/+3", "1,2 1,2 1,3"},
    {"CrAfterTheSignNotEchoed", S, 80, 25, "+\r|5\r", "+5", "P/+5", "1,2 2,2 1,3"},
    {"BsOverADigitThatWrapped", S, 80, 25, "+" + D(79) + "|\b|\r", "+" + D(78), "P/+" + D(78),
     "1,2 1,3 80,2 1,3"},
    {"SignStaysAfterTooLong", S, 80, 3, "-" + D(257) + "|42\r", "-42", TooLong + "/42",
     "1,2 1,3 1,3"},
    {"TooLongThenBsOverTheSignInOneColumn", S, 1, 3, "+" + D(257) + "|\b|-5\r", "-5", "5",
     "1,3 1,3 1,3 1,3"},
    {"BsOverTheFirstDigitInTwoColumns", S, 2, 3, "+5|\b|7\r", "+7", "+7", "1,3 1,3 2,2 1,3"},
};

std::vector<Chunk> Chunks(const std::string& keys) {
  std::vector<Chunk> chunks;
  for (std::size_t start = 0, end = 0; start <= keys.size(); start = end + 1) {
    end = std::min(keys.find('|', start), keys.size());
    const bool fail = end > start && keys[start] == '!';
    chunks.push_back({keys.substr(start + fail, end - start - fail), fail});
  }
  return chunks;
}

class Entry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Entry, NumberScreenAndCursor) {
  const EntryCase& c = GetParam();
  const EntryRun run = RunEntry(c.Signed, c.Width, c.Height, Chunks(c.Keys));
  EXPECT_EQ(run.Ended ? run.Number : "", c.Number);
  std::string screen;
  for (int row = 1; row <= c.Height; ++row) {
    std::string cells = WindowCells(row, row);
    cells.erase(cells.find_last_not_of(' ') + 1);
    screen += (cells == (c.Signed ? SignedPrompt : Prompt) ? "P" : cells) + "/";
  }
  EXPECT_EQ(screen.erase(screen.find_last_not_of('/') + 1), c.Screen);
  std::string cursor;
  for (const auto& [column, row] : run.Cursor)
    cursor += std::to_string(column) + "," + std::to_string(row) + " ";
  EXPECT_EQ(cursor.substr(0, cursor.size() - 1), c.Cursor);
}

INSTANTIATE_TEST_SUITE_P(Keys, Entry, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace nagyszam::testing
