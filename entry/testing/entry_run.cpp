#include "entry/testing/entry_run.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>

#include "console/console.h"
#include "console/console_backend.h"
#include "console/testing/memory_console.h"
#include "entry/entry.h"

namespace nagyszam::testing {

namespace {

// Static: the run outlives the jump out of a wait with no keys left.
struct Script {
  const std::vector<Chunk>* Chunks;
  std::size_t Next;
  EntryRun Run;
  Egesz Number;
  std::jmp_buf Out;
};

Script script;

void KeysRanOut() {
  EntryRun& run = script.Run;
  run.Cursor.emplace_back(CursorColumn(), CursorRow());
  if (script.Next == script.Chunks->size()) std::longjmp(script.Out, 1);
  const Chunk& chunk = (*script.Chunks)[script.Next++];
  if (chunk.Fail) SetMemoryOutputError(101);
  QueueKeyChars(chunk.Keys.data(), chunk.Keys.size());
  if (chunk.Keys.empty()) KeysRanOut();
}

// The sign and the digits from Top down of a signed entry, the digits
// without leading zeros of a non-negative one; see EntryRun.
std::string Shown(const Egesz& x, bool isSigned) {
  std::string digits;
  for (const std::uint8_t cell : x.Magnitude)
    digits.insert(digits.begin(), cell <= 9 ? static_cast<char>('0' + cell) : '?');
  const std::size_t top = std::min(digits.find_first_not_of('0'), digits.size() - 1);
  if (!isSigned) return digits.substr(top);
  const char sign = x.Sign == Elojel::Pozitiv ? '+' : x.Sign == Elojel::Negativ ? '-' : '?';
  const std::size_t from = digits.size() - 1 - x.Top;
  return sign + digits.substr(from) + (top < from ? "?" : "");
}

}  // namespace

std::string WindowCells(int first, int last) {
  std::string cells;
  const Window& window = ConsoleModel();
  for (int row = first; row <= last; ++row)
    cells.append(window.Cells[row - 1].begin(), window.Cells[row - 1].begin() + window.Width);
  return cells;
}

EntryRun RunEntry(bool isSigned, int width, int height, const std::vector<Chunk>& chunks) {
  script.Chunks = &chunks;
  script.Next = 0;
  script.Run = EntryRun{false, "", {}};
  script.Number = Egesz{200, Elojel::Negativ, {}};
  script.Number.Magnitude.fill(7);
  StartMemoryConsole(static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(height));
  SetMemoryEndOfInput(KeysRanOut);
  if (setjmp(script.Out) != 0) return script.Run;
  constexpr ShortText Prompt = Cp852Text(u8"x:");
  if (isSigned)
    ReadEgesz(Prompt, script.Number);
  else
    ReadNemNegEgesz(Prompt, script.Number.Magnitude);
  EntryRun& run = script.Run;
  run.Ended = true;
  run.Cursor.emplace_back(CursorColumn(), CursorRow());
  run.Number = Shown(script.Number, isSigned);
  return run;
}

}  // namespace nagyszam::testing
