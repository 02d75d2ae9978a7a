// The console services: a text window of fixed size with a cursor, text
// output into it, and single-key input without echo. Coordinates are
// 1-based and relative to the window captured at start-up. Every byte given
// or returned is a code page 852 byte.
#pragma once

#include <cstdint>

#include "console/short_text.h"

namespace nagyszam {

// Start-up: captures the window and takes over standard input and output.
// Writes nothing and leaves the cursor where it is. It comes before any other
// operation.
void StartConsole();

// Ends the process with the given exit code. The screen keeps its content.
[[noreturn]] void EndProgram(int exitCode);

void ClearScreen();
std::uint8_t ReadKey();
std::uint8_t CursorColumn();
std::uint8_t CursorRow();
void PlaceCursor(std::uint8_t column, std::uint8_t row);
void WriteText(ShortText text);
void WriteChar(std::uint8_t c);
void WriteSigned(std::int32_t value);
void WriteUnsigned(std::uint32_t value);
void WriteBoolean(bool value);
void EndLine();

// Stops the program with the run-time error report when an output error is
// pending; otherwise does nothing.
void CheckOutput();

// Returns the pending output error code (0 when none) and clears it.
std::uint16_t TakeOutputError();

// Checked writes: each write followed at once by CheckOutput.
void WriteTextChecked(ShortText text);
void WriteCharChecked(std::uint8_t c);
void WriteSignedChecked(std::int32_t value);
void WriteUnsignedChecked(std::uint32_t value);
void WriteBooleanChecked(bool value);
void EndLineChecked();

}  // namespace nagyszam
