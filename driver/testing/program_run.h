// Test support: the built program as a child process, with keys on its
// standard input, either through pipes (the program then writes a transcript
// of its window) or in a pseudo-terminal read back by a terminal emulator.
#pragma once

#include <string>
#include <vector>

namespace nagyszam::testing {

struct ScriptedRun {
  std::string Transcript;  // standard output
  std::string Errors;      // standard error
  int ExitCode;            // -1 when ended by a signal or killed on timeout
};

// Keys are bytes as a terminal would send them; LF is Enter.
ScriptedRun RunScripted(const std::string& keys, int columns, int lines);

struct TerminalRun {
  std::vector<std::string> Screen;  // UTF-8 rows without trailing spaces, to the last not blank
  int ExitCode;
};

// The same in a pseudo-terminal of the given size with a UTF-8 locale; LF in
// the keys is sent as CR, as a terminal's Enter key sends it.
TerminalRun RunInTerminal(const std::string& keys, int columns, int lines);

// Splits a transcript into its LF-terminated rows.
std::vector<std::string> Rows(const std::string& transcript);

}  // namespace nagyszam::testing
