// Shared by the entry tests: a memory console that hands the editor its keys
// in chunks, noting where the cursor stood each time the editor waited for
// more, and helpers to build numbers and read the window back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "console/short_text.h"
#include "console/testing/memory_console.h"
#include "numbers/numbers.h"

namespace nagyszam::testing {

// Keys handed over when the editor has taken everything before; FailWith
// makes the next write fail with that code first.
struct Chunk {
  std::string Keys;
  std::uint16_t FailWith = 0;
};

using Position = std::pair<int, int>;  // column, row

struct ChunkScript {
  std::vector<Chunk> Chunks;
  std::size_t Next;
  std::vector<Position> Pauses;  // the cursor each time the keys ran out
  void (*AtPause)();             // an extra look at each pause, may be null
};

inline ChunkScript script;

inline void QueueChunk(const Chunk& chunk) {
  if (chunk.FailWith != 0) SetMemoryOutputError(chunk.FailWith);
  QueueKeyChars(chunk.Keys.data(), chunk.Keys.size());
}

// Called when the queue runs dry, before the editor reads on.
inline void NextChunk() {
  if (script.Next == 0) return QueueChunk(script.Chunks[script.Next++]);
  script.Pauses.emplace_back(CursorColumn(), CursorRow());
  if (script.AtPause != nullptr) script.AtPause();
  if (script.Next < script.Chunks.size()) QueueChunk(script.Chunks[script.Next++]);
}

// A fresh window with the cursor at column 1, row 1, and the first chunk
// queued; the rest follow at the editor's pauses.
inline void StartScript(int width, int height, std::vector<Chunk> chunks,
                        void (*atPause)() = nullptr) {
  StartMemoryConsole(static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(height));
  script = ChunkScript{std::move(chunks), 0, {}, atPause};
  SetMemoryEndOfInput(NextChunk);
  NextChunk();
}

// True when the editor stopped at the last key of the last chunk.
inline bool AllKeysTaken() {
  if (script.Next != script.Chunks.size()) return false;
  const char sentinel = 'Z';
  QueueKeyChars(&sentinel, 1);
  return ReadKey() == 'Z';
}

inline std::string Bytes(const ShortText& text) {
  return std::string(text.Bytes.begin(), text.Bytes.begin() + text.Length);
}

// The window's rows without trailing spaces, up to the last one not blank.
inline std::vector<std::string> WindowRows() {
  std::vector<std::string> rows;
  for (int row = 1; row <= MemoryHeight(); ++row) {
    std::string text;
    for (int column = 1; column <= MemoryWidth(); ++column)
      text += static_cast<char>(
          MemoryCell(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)));
    text.erase(text.find_last_not_of(' ') + 1);
    rows.push_back(text);
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

// n digits counting 1, 2, ..., 9, 0, 1, ...: every cell tells its place.
inline std::string Digits(int n) {
  std::string digits;
  for (int i = 1; i <= n; ++i) digits += static_cast<char>('0' + i % 10);
  return digits;
}

// The number whose decimal digits, most significant first, are given.
inline NemNegEgesz Number(const std::string& digits) {
  NemNegEgesz x{};
  for (std::size_t i = 0; i < digits.size(); ++i)
    x[i] = static_cast<std::uint8_t>(digits[digits.size() - 1 - i] - '0');
  return x;
}

inline Position Cursor() {
  return {CursorColumn(), CursorRow()};
}

}  // namespace nagyszam::testing
