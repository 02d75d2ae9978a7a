// The console for tests: the model alone is the screen, keys come from a
// queue, output errors come on demand.
#include "console/memory_console.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "console/console_backend.h"

namespace nagyszam {

namespace {

constexpr std::size_t QueueCapacity = 1 << 16;

struct MemoryState {
  std::array<KeyEvent, QueueCapacity> Queue;  // a ring
  std::size_t First;
  std::size_t Count;
  void (*EndOfInput)();
  std::uint16_t FailWith;
};

MemoryState memory{};

void DefaultEndOfInput() {
  std::fputs("memory console: ReadKey found no queued key\n", stderr);
  std::abort();
}

std::uint16_t MemoryBeginOutput(Window&) noexcept {
  // The first write after SetMemoryOutputError fails; the code then stays
  // pending, so every later write fails too until it is taken.
  const std::uint16_t code = memory.FailWith;
  memory.FailWith = 0;
  return code;
}

void MemoryShowByte(const Window&, const WindowChange&) noexcept {}
void MemoryShowClear(const Window&) noexcept {}
std::uint16_t MemoryEndOutput(const Window&) noexcept {
  return 0;
}
std::uint16_t MemoryFinish(const Window&) noexcept {
  return 0;
}

void MemoryNextKeyEvent(KeyEvent& event) noexcept {
  if (memory.Count == 0) {
    // A handler may queue more keys and return; one that queued none would
    // leave ReadKey spinning.
    memory.EndOfInput();
    if (memory.Count == 0) DefaultEndOfInput();
  }
  event = memory.Queue[memory.First];
  memory.First = (memory.First + 1) % QueueCapacity;
  --memory.Count;
}

void MemoryWriteReport(const std::uint8_t* bytes, std::size_t length) noexcept {
  std::fwrite(bytes, 1, length, stdout);
  std::fflush(stdout);
}

constexpr ConsoleBackend MemoryBackend{
    MemoryBeginOutput,  MemoryShowByte, MemoryShowClear,   MemoryEndOutput,
    MemoryNextKeyEvent, MemoryFinish,   MemoryWriteReport,
};

void Queue(const KeyEvent& event) {
  if (memory.Count == QueueCapacity) {
    std::fputs("memory console: key queue full\n", stderr);
    std::abort();
  }
  memory.Queue[(memory.First + memory.Count) % QueueCapacity] = event;
  ++memory.Count;
}

}  // namespace

void StartMemoryConsole(std::uint8_t width, std::uint8_t height) {
  memory.First = 0;
  memory.Count = 0;
  memory.FailWith = 0;
  if (memory.EndOfInput == nullptr) memory.EndOfInput = DefaultEndOfInput;
  UseConsoleBackend(MemoryBackend, width, height);
}

void QueueKeyEvents(const KeyEvent* events, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) Queue(events[i]);
}

void QueueKeyChars(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    KeyEvent press{};
    press.IsKey = true;
    press.Down = true;
    press.Character = static_cast<std::uint8_t>(bytes[i]);
    Queue(press);
    KeyEvent release = press;
    release.Down = false;
    Queue(release);
  }
}

void SetMemoryEndOfInput(void (*handler)()) {
  memory.EndOfInput = handler != nullptr ? handler : DefaultEndOfInput;
}

void SetMemoryOutputError(std::uint16_t code) {
  memory.FailWith = code;
}

std::uint8_t MemoryCell(std::uint8_t column, std::uint8_t row) {
  const Window& window = ConsoleModel();
  if (column < 1 || column > window.Width || row < 1 || row > window.Height) return 0;
  return window.Cells[row - 1][column - 1];
}

std::uint8_t MemoryWidth() {
  return ConsoleModel().Width;
}

std::uint8_t MemoryHeight() {
  return ConsoleModel().Height;
}

}  // namespace nagyszam
