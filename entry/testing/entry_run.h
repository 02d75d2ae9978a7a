// Test support: one run of an entry editor on the in-memory console, the
// keys handed over in chunks, each once the editor has taken all before it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace nagyszam::testing {

struct Chunk {
  std::string Keys;
  bool Fail;  // the first write after these keys are handed over fails (101)
};

struct EntryRun {
  bool Ended;  // else the editor still waited for a key when they ran out
  // The sign and digits from Top down ("-007"), or the digits without leading
  // zeros; '?' for a cell over 9, a sign that is neither or a digit above Top.
  std::string Number;
  std::vector<std::pair<int, int>> Cursor;  // column, row at each key wait, then at the end
};

// Prompt "x:" in a fresh window of the given size.
EntryRun RunEntry(bool isSigned, int width, int height, const std::vector<Chunk>& chunks);

// The window's cells from row first to row last, row after row.
std::string WindowCells(int first, int last);

}  // namespace nagyszam::testing
