#include "console/testing/memory_console.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

#include "console/console_backend.h"

namespace nagyszam::testing {

namespace {

std::deque<KeyEvent> queue;
void (*endOfInput)();
std::uint16_t failWith;

[[noreturn]] void NoKeyLeft() {
  std::fputs("memory console: ReadKey found no queued key\n", stderr);
  std::abort();
}

std::uint16_t BeginOutput(Window&) noexcept {
  const std::uint16_t code = failWith;
  failWith = 0;
  return code;
}

void ShowByte(const Window&, const WindowChange&) noexcept {}
void ShowClear(const Window&) noexcept {}
std::uint16_t Done(const Window&) noexcept {
  return 0;
}

void NextKeyEvent(KeyEvent& event) noexcept {
  if (queue.empty() && endOfInput != nullptr) endOfInput();
  if (queue.empty()) NoKeyLeft();
  event = queue.front();
  queue.pop_front();
}

void WriteReport(const std::uint8_t* bytes, std::size_t length) noexcept {
  std::fwrite(bytes, 1, length, stdout);
  std::fflush(stdout);
}

constexpr ConsoleBackend MemoryBackend{BeginOutput,  ShowByte, ShowClear,  Done,
                                       NextKeyEvent, Done,     WriteReport};

}  // namespace

void StartMemoryConsole(std::uint8_t width, std::uint8_t height) {
  queue.clear();
  failWith = 0;
  UseConsoleBackend(MemoryBackend, width, height);
}

void QueueKeyChars(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    KeyEvent key{};
    key.IsKey = key.Down = true;
    key.Character = static_cast<std::uint8_t>(bytes[i]);
    queue.push_back(key);
    key.Down = false;
    queue.push_back(key);
  }
}

void SetMemoryEndOfInput(void (*handler)()) {
  endOfInput = handler;
}

void SetMemoryOutputError(std::uint16_t code) {
  failWith = code;
}

}  // namespace nagyszam::testing
