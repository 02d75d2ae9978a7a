// The terminal's settings as found, raw input while the program runs, and
// the signals that end or stop the program. A handler only notes its signal;
// the program acts on it between whole outputs, or while it waits for a key,
// so an escape sequence is never cut in two and the window is whole.
#pragma once

#include <signal.h>

namespace nagyszam {

// Saves the settings of the terminal on fd and switches it to raw input:
// no echo, no line editing, CR kept as CR, Ctrl-C and Ctrl-\ still signals.
// False (and nothing changed) when fd is no terminal.
bool TakeTerminal(int fd) noexcept;

// Puts the saved settings back; safe to call again.
void RestoreTerminal() noexcept;

// False while the program has given the terminal back for a stop and not
// taken it again (it was continued in the background): nothing may be sent.
bool HoldsTerminal() noexcept;

// Handlers for the signals that end (SIGINT, SIGQUIT, SIGTERM, SIGHUP),
// stop (SIGTSTP) and continue the process. SIGPIPE is ignored so a closed
// pipe is a failing write.
void GuardSignals() noexcept;

// Blocks the guarded signals; usual gets the mask before, for a wait that
// lets them in (ppoll).
void BlockGuardedSignals(sigset_t& usual) noexcept;

// After an ending signal, output that made no progress for a second is
// given up; a write makes progress when this is called.
bool WritingGivenUp() noexcept;
void WritingProgressed() noexcept;

// Acts on the signals noted since the last call: an ending signal finishes
// the console (the transcript is written) and ends the process by the
// signal; a stop gives the terminal back and stops; after a continue the
// terminal is taken back once the program is in the foreground. True while
// it waits for that: fg continues no running job, so call again soon.
bool ActOnSignals() noexcept;

// True once after the terminal was taken back: the screen may show
// something else by now.
bool TakeResumed() noexcept;

// The same without taking it: a redraw is due.
bool ResumeNoted() noexcept;

// The process ends by the ending signal that came, if any came.
void EndIfSignalled() noexcept;

}  // namespace nagyszam
