#include "console/posix/terminal_guard.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "console/console_backend.h"

namespace nagyszam {

namespace {

// How long output after an ending signal may go without progress.
constexpr unsigned GiveUpSeconds = 1;

struct Guard {
  int Fd;
  termios Saved;
  termios Raw;
  volatile std::sig_atomic_t Taken;      // the saved settings are valid
  volatile std::sig_atomic_t IsRaw;      // the terminal is in raw input now
  volatile std::sig_atomic_t Ending;     // the first ending signal, 0: none
  volatile std::sig_atomic_t StopAsked;  // SIGTSTP came
  volatile std::sig_atomic_t Continued;  // SIGCONT came, the terminal not yet taken back
  volatile std::sig_atomic_t Resumed;    // taken back, the window not yet drawn again
  volatile std::sig_atomic_t GivenUp;    // the give-up alarm rang
};

Guard guard{};

constexpr int EndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

void SetTerminal(const termios& settings) noexcept {
  // Interrupted by one of our own signals: try again, the state must land.
  while (tcsetattr(guard.Fd, TCSANOW, &settings) != 0 && errno == EINTR) {
  }
}

// Raw input again, where the terminal is the program's and not raw yet.
void RetakeTerminal() noexcept {
  if (guard.Taken && !guard.IsRaw) {
    guard.IsRaw = 1;
    SetTerminal(guard.Raw);
  }
}

void OnSignal(int signal) {
  const int saved = errno;
  if (signal == SIGTSTP) {
    guard.StopAsked = 1;
  } else if (signal == SIGCONT) {
    guard.Continued = 1;
  } else if (signal == SIGALRM) {
    guard.GivenUp = 1;
  } else {
    if (guard.Ending == 0) guard.Ending = signal;
    alarm(GiveUpSeconds);  // interrupts a write that never returns
  }
  errno = saved;
}

// Without SA_RESTART: a wait or write returns to the program, which acts.
void Install(int signal, void (*handler)(int)) noexcept {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// A signal ignored at start (nohup, a background job) stays ignored.
void InstallUnlessIgnored(int signal) noexcept {
  struct sigaction found {};
  if (sigaction(signal, nullptr, &found) == 0 && found.sa_handler == SIG_IGN) return;
  Install(signal, OnSignal);
}

void GuardedSet(sigset_t& set) noexcept {
  sigemptyset(&set);
  for (int signal : EndingSignals) sigaddset(&set, signal);
  sigaddset(&set, SIGTSTP);
  sigaddset(&set, SIGCONT);
}

// Gives the terminal back and stops until continued (in an orphaned
// process group the stop is discarded and this returns at once).
void Stop() noexcept {
  RestoreTerminal();
  Install(SIGTSTP, SIG_DFL);
  sigset_t guarded, before;
  GuardedSet(guarded);
  sigprocmask(SIG_UNBLOCK, &guarded, &before);
  raise(SIGTSTP);
  sigprocmask(SIG_SETMASK, &before, nullptr);
  Install(SIGTSTP, OnSignal);
}

[[noreturn]] void EndBy(int signal) noexcept {
  FinishConsole();
  RestoreTerminal();
  Install(signal, SIG_DFL);
  raise(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::abort();  // not reached: the signal ends the process
}

}  // namespace

bool TakeTerminal(int fd) noexcept {
  termios found{};
  if (tcgetattr(fd, &found) != 0) return false;
  termios raw = found;
  raw.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHONL | ICANON | IEXTEN));
  raw.c_lflag |= ISIG;
  // CR stays CR (Enter), no flow control keys, no stripped eighth bit.
  raw.c_iflag &= static_cast<tcflag_t>(~(ICRNL | INLCR | IGNCR | IXON | ISTRIP));
  // Output goes out as rendered: every cursor move is explicit.
  raw.c_oflag &= static_cast<tcflag_t>(~OPOST);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  guard.Fd = fd;
  guard.Saved = found;
  guard.Raw = raw;
  guard.Taken = 1;
  RetakeTerminal();
  return true;
}

void RestoreTerminal() noexcept {
  if (!guard.Taken || !guard.IsRaw) return;
  guard.IsRaw = 0;
  SetTerminal(guard.Saved);
}

bool HoldsTerminal() noexcept {
  return !guard.Taken || guard.IsRaw;
}

void GuardSignals() noexcept {
  for (int signal : EndingSignals) InstallUnlessIgnored(signal);
  InstallUnlessIgnored(SIGTSTP);
  Install(SIGCONT, OnSignal);
  Install(SIGALRM, OnSignal);
  Install(SIGPIPE, SIG_IGN);
}

void BlockGuardedSignals(sigset_t& usual) noexcept {
  sigset_t guarded;
  GuardedSet(guarded);
  sigprocmask(SIG_BLOCK, &guarded, &usual);
}

bool WritingGivenUp() noexcept {
  return guard.Ending != 0 && guard.GivenUp;
}

void WritingProgressed() noexcept {
  if (guard.Ending == 0) return;
  guard.GivenUp = 0;
  alarm(GiveUpSeconds);
}

bool ActOnSignals() noexcept {
  if (guard.Ending == 0 && guard.StopAsked) {
    guard.StopAsked = 0;
    Stop();
    guard.Continued = 1;
  }
  EndIfSignalled();
  // From the background a change of the settings would stop the program
  // again (SIGTTOU): the terminal waits for the continue that comes with fg.
  if (guard.Continued && (!guard.Taken || tcgetpgrp(guard.Fd) == getpgrp())) {
    guard.Continued = 0;
    RetakeTerminal();
    guard.Resumed = 1;
  }
  return guard.Continued;
}

bool TakeResumed() noexcept {
  if (!guard.Resumed) return false;
  guard.Resumed = 0;
  return true;
}

bool ResumeNoted() noexcept {
  return guard.Resumed;
}

void EndIfSignalled() noexcept {
  if (guard.Ending != 0) EndBy(guard.Ending);
}

}  // namespace nagyszam
