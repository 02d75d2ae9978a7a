// The window shown on a terminal, and the window written as a transcript.
#pragma once

#include <cstdint>

#include "console/console_backend.h"
#include "console/posix/charset.h"

namespace nagyszam {

// The terminal on out, its size in columns and rows (at least the
// window's). Its cursor is not known yet: the first output places it.
const ConsoleBackend& StartTerminalBackend(int out, const Charset& chars, int columns,
                                           int rows) noexcept;

// Draws the whole window again when the process came back from a stop.
void RedrawIfResumed() noexcept;

// The transcript on out; startError is the code every write gets when
// standard output cannot take output at all (0 when it can).
const ConsoleBackend& StartTranscriptBackend(int out, const Charset& chars,
                                             std::uint16_t startError) noexcept;

// Writes the run-time error report on out, or on standard error when out
// refuses it.
void WriteReportTo(int out, bool outUsable, const std::uint8_t* bytes, std::size_t length) noexcept;

}  // namespace nagyszam
