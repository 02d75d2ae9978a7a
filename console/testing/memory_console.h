// The console of the tests: the window model alone is the screen, keys come
// from a queue, output errors come on demand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nagyszam::testing {

// Replaces the console by a window of the given size, all spaces, cursor at
// column 1, row 1, key state cleared, no output error pending.
void StartMemoryConsole(std::uint8_t width, std::uint8_t height);

// Queues one press and release for each byte, as a key that gives that
// character with no modifier.
void QueueKeyChars(const char* bytes, std::size_t count);

// Called when ReadKey finds the queue empty: it may queue more keys and
// return (reading goes on), or not return at all. If it returns with the
// queue still empty, or by default, the process aborts with a message.
void SetMemoryEndOfInput(void (*handler)());

// Makes the next output fail with the code; it then stays pending until taken.
void SetMemoryOutputError(std::uint16_t code);

}  // namespace nagyszam::testing
