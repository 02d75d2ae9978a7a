// The backends of the Windows console layer: the console screen buffer,
// and a transcript for standard output that is no console.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "console/console_backend.h"

namespace nagyszam {

// The console screen buffer out; window is its visible window at start-up,
// attribute the colour every written, cleared or scrolled-in cell gets.
const ConsoleBackend& StartScreenBackend(HANDLE out, HANDLE err, SMALL_RECT window,
                                         WORD attribute) noexcept;

// Standard output that is no console (a file or a pipe); startError is
// the code every output gets when it cannot take output at all.
const ConsoleBackend& StartTranscriptBackend(HANDLE out, HANDLE err,
                                             std::uint16_t startError) noexcept;

// Keys from standard input: console input events, or the bytes of a file
// or pipe (a line end is Enter, and the end of input ends the program).
void StartKeyInput(HANDLE in, HANDLE err, bool fromConsole) noexcept;
void NextKeyEvent(KeyEvent& event) noexcept;

// Writes all bytes to out; false when it refused any.
bool WriteAll(HANDLE out, const void* bytes, DWORD length) noexcept;

// The run-time error report on out, or on err when out refuses it.
void WriteReportTo(HANDLE out, HANDLE err, const std::uint8_t* bytes, std::size_t length) noexcept;

}  // namespace nagyszam
