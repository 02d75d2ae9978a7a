// The terminal's settings as found, raw input while the program runs, and
// the signals that must give the terminal back before the process stops.
#pragma once

namespace nagyszam {

// Saves the settings of the terminal on fd and switches it to raw input:
// no echo, no line editing, CR kept as CR, Ctrl-C and Ctrl-\ still signals.
// False (and nothing changed) when fd is no terminal.
bool TakeTerminal(int fd) noexcept;

// Puts the saved settings back; safe to call again, at exit and from a
// signal handler.
void RestoreTerminal() noexcept;

// Raw input again after a suspension (only when TakeTerminal succeeded).
void RetakeTerminal() noexcept;

// Handlers for the signals that end or suspend the process: each gives the
// terminal back first. SIGPIPE is ignored so a closed pipe is a failing write.
void GuardSignals() noexcept;

// True once after the process was continued from a stop: the screen may
// show something else by now.
bool TakeResumed() noexcept;

}  // namespace nagyszam
