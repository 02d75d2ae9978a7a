// Both entry editors on the memory console, any keys, any window size. An
// entry either keeps reading (the keys run out) or returns a number whose
// digits are exactly the digits the screen shows after the prompt row (after
// the last too-long message, if any), every cell 0..9, Top counting the
// digits shown and, for a signed entry, the sign last shown in force.
//
// With bit 1 of the flags the keys come one at a time, each as a pair of a
// key and a byte whose bit 0 makes the console refuse the next output: the
// editors must then still return only a valid number (what the screen
// shows is no longer all that was typed).
//
// Input: a flags byte (bit 0 the signed editor, bit 1 failing output),
// width and height (0 stands for 1), then the bytes ReadKey returns, one
// key each (or one pair each).
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "console/console.h"
#include "console/testing/memory_console.h"
#include "entry/entry.h"

namespace nagyszam {
namespace {

using namespace testing;

void Fail(const char* what) {
  std::fprintf(stderr, "entry fuzz: %s\n", what);
  __builtin_trap();
}

constexpr ShortText Prompt = Cp852Text(u8"a(NemNegEgész):");
constexpr ShortText TooLongMessage = Cp852Text(u8"Túl hosszú szám! Kérem újra!");

struct Run {
  const std::uint8_t* Keys;
  std::size_t KeyCount;
  bool Failing;
  std::size_t Next;  // with failing output: the next pair
  bool Queued;
  int StartColumn, StartRow;  // where typing began, after the prompt row
  std::string PromptRows;     // the window above that row, as it was then
  std::jmp_buf Out;
};

Run run;

std::string Rows(int first, int last) {
  std::string cells;
  for (int row = first; row <= last; ++row)
    for (int column = 1; column <= MemoryWidth(); ++column)
      cells += static_cast<char>(
          MemoryCell(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)));
  return cells;
}

// The first time the keys run out is right after the prompt row: note the
// screen, then hand over every key. The second time the entry is still
// reading and the input has ended.
void KeysRanOut() {
  if (CursorColumn() < 1 || CursorColumn() > MemoryWidth() || CursorRow() < 1 ||
      CursorRow() > MemoryHeight())
    Fail("cursor outside the window while reading");
  if (run.Queued && run.Failing) {
    if (run.Next + 2 > run.KeyCount) std::longjmp(run.Out, 1);
    if (run.Keys[run.Next + 1] & 1) SetMemoryOutputError(101);
    QueueKeyChars(reinterpret_cast<const char*>(run.Keys + run.Next), 1);
    run.Next += 2;
    return;
  }
  if (run.Queued) std::longjmp(run.Out, 1);
  run.Queued = true;
  run.StartColumn = CursorColumn();
  run.StartRow = CursorRow();
  run.PromptRows = Rows(1, run.StartRow - 1);
  if (run.Failing) return KeysRanOut();
  QueueKeyChars(reinterpret_cast<const char*>(run.Keys), run.KeyCount);
  // An empty list still has to end the entry's wait.
  if (run.KeyCount == 0) std::longjmp(run.Out, 1);
}

// What the screen shows of the entry: the cells from the row where typing
// began (or below the last too-long message) to the row above the cursor,
// blanks left out. Empty when the window scrolled, which moves the prompt.
bool ShownEntry(std::string& shown, char& lastSign) {
  if (run.StartColumn != 1) Fail("typing did not start in column 1");
  if (CursorColumn() != 1) Fail("the entry did not end at column 1");
  if (Rows(1, run.StartRow - 1) != run.PromptRows || CursorRow() <= run.StartRow) return false;
  const std::string cells = Rows(run.StartRow, CursorRow() - 1);
  const std::string message(TooLongMessage.Bytes.begin(),
                            TooLongMessage.Bytes.begin() + TooLongMessage.Length);
  std::size_t from = 0;
  const std::size_t at = cells.rfind(message);
  lastSign = 0;
  for (char c : cells.substr(0, at == std::string::npos ? 0 : at))
    if (c == '+' || c == '-') lastSign = c;
  if (at != std::string::npos) {
    // The message is followed by a line end: typing went on a row lower.
    const std::size_t width = MemoryWidth();
    from = ((at + message.size()) / width + 1) * width;
  }
  shown.clear();
  for (std::size_t i = from; i < cells.size(); ++i)
    if (cells[i] != ' ') shown += cells[i];
  return true;
}

void CheckDigits(const std::string& digits, const NemNegEgesz& x) {
  if (digits.empty() || digits.size() > 256) Fail("an entry of no digits or too many");
  for (int i = 0; i <= MaxIndex; ++i) {
    const std::size_t n = digits.size();
    const int want = static_cast<std::size_t>(i) < n ? digits[n - 1 - i] - '0' : 0;
    if (want < 0 || want > 9) Fail("something other than digits shown");
    if (x[i] != want) Fail("the number differs from the digits shown");
  }
}

void CheckCells(const NemNegEgesz& x) {
  for (std::uint8_t cell : x)
    if (cell > 9) Fail("a cell outside 0..9");
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  using namespace nagyszam::testing;
  if (size < 3) return 0;
  const bool isSigned = data[0] & 1;
  StartMemoryConsole(data[1], data[2]);
  run.Keys = data + 3;
  run.KeyCount = size - 3;
  run.Failing = data[0] & 2;
  run.Next = 0;
  run.Queued = false;
  SetMemoryEndOfInput(KeysRanOut);

  // Results outlive the jump: static storage.
  static Egesz signedResult;
  static NemNegEgesz result;
  if (setjmp(run.Out) != 0) return 0;  // still reading when the keys ran out
  signedResult = Egesz{77, Elojel::Negativ, {}};
  result.fill(5);
  if (isSigned)
    ReadEgesz(Prompt, signedResult);
  else
    ReadNemNegEgesz(Prompt, result);

  std::string shown;
  char lastSign = 0;
  const bool visible = !run.Failing && ShownEntry(shown, lastSign);
  if (!isSigned) {
    CheckCells(result);
    if (visible) CheckDigits(shown, result);
    return 0;
  }
  CheckCells(signedResult.Magnitude);
  if (signedResult.Top < TopIndex(signedResult.Magnitude)) Fail("Top below the top digit");
  if (signedResult.Sign != Elojel::Pozitiv && signedResult.Sign != Elojel::Negativ)
    Fail("a sign that is neither");
  if (!visible) return 0;
  if (!shown.empty() && (shown[0] == '+' || shown[0] == '-')) {
    lastSign = shown[0];
    shown.erase(0, 1);
  }
  if (lastSign == 0) Fail("no sign shown");
  if ((lastSign == '-') != (signedResult.Sign == Elojel::Negativ))
    Fail("the sign differs from the one shown");
  CheckDigits(shown, signedResult.Magnitude);
  if (static_cast<std::size_t>(signedResult.Top) + 1 != shown.size())
    Fail("Top does not count the digits shown");
  return 0;
}
