// Both entry editors on the in-memory console, any keys, any window size:
// an entry that ends returns exactly what the screen shows after the prompt
// row (or below the last too-long message), the sign last shown in force;
// the cursor stays in the window and typing starts and ends in column 1.
// With failing output the keys come one at a time, each with a byte whose
// bit 0 makes the next write fail; the number must still be a valid one.
//
// Input: flags (bit 0 the signed editor, bit 1 failing output), width and
// height (0 stands for 1), then the keys (or key and byte pairs).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/short_text.h"
#include "entry/testing/entry_run.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "entry fuzz: %s\n", what);
  __builtin_trap();
}

constexpr nagyszam::ShortText TooLong = nagyszam::Cp852Text(u8"Túl hosszú szám! Kérem újra!");

// What the screen shows of the entry that ended: the cells from the row
// where typing began (or below the last too-long message) to the row above
// the cursor, blanks left out, with the sign in force first.
std::string Shown(bool isSigned, int width, int first, int last) {
  const std::string cells = nagyszam::testing::WindowCells(first, last);
  const std::string message(TooLong.Bytes.begin(), TooLong.Bytes.begin() + TooLong.Length);
  const std::size_t at = cells.rfind(message);
  std::string shown;
  if (at != std::string::npos) {
    // A sign typed before the message stays in force.
    const std::size_t sign = cells.find_last_of("+-", at);
    if (isSigned && sign != std::string::npos) shown = cells[sign];
  }
  // The message is followed by a line end: typing went on a row lower.
  const std::size_t from =
      at == std::string::npos ? 0 : ((at + message.size()) / width + 1) * width;
  for (std::size_t i = from; i < cells.size(); ++i)
    if (cells[i] != ' ') shown += cells[i];
  if (isSigned && shown.size() > 1 && (shown[1] == '+' || shown[1] == '-')) shown.erase(0, 1);
  if (isSigned) return shown;
  const std::size_t top = shown.find_first_not_of('0');
  return top == std::string::npos ? shown.substr(0, 1) : shown.substr(top);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam::testing;
  if (size < 3) return 0;
  const bool isSigned = data[0] & 1, failing = data[0] & 2;
  const int width = data[1] == 0 ? 1 : data[1], height = data[2] == 0 ? 1 : data[2];
  std::vector<Chunk> chunks;
  if (!failing) chunks.push_back({std::string(data + 3, data + size), false});
  for (std::size_t i = 3; failing && i + 1 < size; i += 2)
    chunks.push_back({std::string(1, static_cast<char>(data[i])), (data[i + 1] & 1) != 0});
  const EntryRun run = RunEntry(isSigned, width, height, chunks);

  for (const auto& [column, row] : run.Cursor)
    if (column < 1 || column > width || row < 1 || row > height) Fail("cursor outside the window");
  if (run.Cursor.front().first != 1) Fail("typing did not start in column 1");
  if (!run.Ended) return 0;
  if (run.Cursor.back().first != 1) Fail("the entry did not end in column 1");
  if (run.Number.find('?') != std::string::npos) Fail("a number that is not one");
  // A window that scrolled moved the entry; failed writes left things out.
  const int start = run.Cursor.front().second, end = run.Cursor.back().second;
  if (failing || end <= start || WindowCells(1, start - 1) != run.PromptCells) return 0;
  if (run.Number != Shown(isSigned, width, start, end - 1))
    Fail("the number differs from what the screen shows");
  return 0;
}
