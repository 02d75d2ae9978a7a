// The seam between the console operations and what shows the window: a
// terminal, a transcript, a Windows console or the memory of a test. The
// operations keep the model; a backend renders its changes and supplies keys.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/key_event.h"
#include "console/window.h"

namespace nagyszam {

// Output error codes. 103 and 105 say standard output was closed or open
// only for reading at start; 101 is any later write the device refused
// (broken pipe, no space, device gone).
constexpr std::uint16_t OutputClosed = 103;
constexpr std::uint16_t OutputNotForWriting = 105;
constexpr std::uint16_t OutputWriteFailed = 101;

struct ConsoleBackend {
  // Before a change of the window. Returns an output error code when
  // standard output cannot take output (0 when it can). A platform that
  // keeps its own cursor loads the write position into the window here.
  std::uint16_t (*BeginOutput)(Window& window) noexcept;
  // After each byte applied to the window.
  void (*ShowByte)(const Window& window, const WindowChange& change) noexcept;
  // After the window was cleared.
  void (*ShowClear)(const Window& window) noexcept;
  // After the change: the platform cursor to the write position and every
  // byte sent before this returns. Returns an output error code (0: none).
  std::uint16_t (*EndOutput)(const Window& window) noexcept;
  // Waits for the next key event. At end of input it does not return.
  void (*NextKeyEvent)(KeyEvent& event) noexcept;
  // At the end of the program, once: leaves the screen showing the window.
  // Returns an output error code (0: none).
  std::uint16_t (*Finish)(const Window& window) noexcept;
  // Writes the run-time error report raw, to standard output where it can
  // take it, else to standard error.
  void (*WriteReport)(const std::uint8_t* bytes, std::size_t length) noexcept;
};

// Switches the console to a backend over a fresh window of the given size.
void UseConsoleBackend(const ConsoleBackend& backend, int width, int height) noexcept;

// The model the operations keep.
Window& ConsoleModel() noexcept;

// Runs the backend's Finish at most once; later calls return 0.
std::uint16_t FinishConsole() noexcept;

// FinishConsole at the end of input: a final output that cannot be made
// stops the program with the run-time error report, as at a normal end.
void FinishAtEndOfInput() noexcept;

// What each platform provides (one definition per platform folder).

// Chooses the backend for the process's standard input and output and
// takes them over, writing nothing.
void StartPlatformConsole() noexcept;

// Where the program's own code was loaded: addresses Start to End - 1.
struct ProgramImage {
  std::uintptr_t Start;
  std::uintptr_t End;
};
ProgramImage ThisProgram() noexcept;

// Ends the process with the exit code.
[[noreturn]] void LeaveProcess(int exitCode) noexcept;

}  // namespace nagyszam
