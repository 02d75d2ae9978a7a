// Keys from standard input: bytes read when they come, decoded into key
// events, a lone ESC decided after its wait.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/key_event.h"
#include "console/posix/charset.h"

namespace nagyszam {

// fromTerminal: the bytes come from a terminal (else a pipe or file, where
// a line end is Enter). onWake, when given, runs before each wait, once the
// signals noted so far were acted on (a continue redraws the window there).
void StartKeyInput(int fd, const Charset& chars, bool fromTerminal, void (*onWake)()) noexcept;

// Bytes that arrived before the layer was ready for them (typed while the
// terminal answered the cursor report); decoded before anything read later.
constexpr std::size_t MaxTypedAtStart = 256;
void KeepTypedBytes(const std::uint8_t (&bytes)[MaxTypedAtStart], std::size_t length) noexcept;

// The terminal did not answer the cursor report in time: an answer that
// comes later is taken out of the input instead of read as keys.
void DropLateCursorReport() noexcept;

// Waits in poll for the next key event. At end of input it ends the
// program: the screen or transcript finished, a message, exit code 1.
void NextKeyEvent(KeyEvent& event) noexcept;

// The monotonic clock in milliseconds.
std::int64_t NowMs() noexcept;

}  // namespace nagyszam
