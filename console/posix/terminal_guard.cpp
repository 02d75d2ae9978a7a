#include "console/posix/terminal_guard.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace nagyszam {

namespace {

struct Guard {
  int Fd;
  termios Saved;
  termios Raw;
  volatile std::sig_atomic_t Taken;  // the saved settings are valid
  volatile std::sig_atomic_t IsRaw;  // the terminal is in raw input now
  volatile std::sig_atomic_t Resumed;
};

Guard guard{};

constexpr int EndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

void SetTerminal(const termios& settings) noexcept {
  // Interrupted by one of our own signals: try again, the state must land.
  while (tcsetattr(guard.Fd, TCSANOW, &settings) != 0 && errno == EINTR) {
  }
}

void OnEndingSignal(int signal) {
  const int saved = errno;
  RestoreTerminal();
  // The handler was reset to the default on entry; the signal stays
  // blocked until this returns, then ends the process as it would have.
  raise(signal);
  errno = saved;
}

void Install(int signal, void (*handler)(int), int flags) noexcept {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = flags;
  sigaction(signal, &action, nullptr);
}

void OnStop(int) {
  const int saved = errno;
  RestoreTerminal();
  Install(SIGTSTP, SIG_DFL, 0);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  raise(SIGTSTP);  // stops here until continued
  Install(SIGTSTP, OnStop, 0);
  RetakeTerminal();
  guard.Resumed = 1;
  errno = saved;
}

void OnContinue(int) {
  const int saved = errno;
  RetakeTerminal();
  guard.Resumed = 1;
  errno = saved;
}

// A signal ignored at start (nohup, a background job) stays ignored.
void InstallUnlessIgnored(int signal, void (*handler)(int), int flags) noexcept {
  struct sigaction found {};
  if (sigaction(signal, nullptr, &found) == 0 && found.sa_handler == SIG_IGN) return;
  Install(signal, handler, flags);
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

void RetakeTerminal() noexcept {
  if (!guard.Taken || guard.IsRaw) return;
  guard.IsRaw = 1;
  SetTerminal(guard.Raw);
}

void GuardSignals() noexcept {
  for (int signal : EndingSignals) InstallUnlessIgnored(signal, OnEndingSignal, SA_RESETHAND);
  InstallUnlessIgnored(SIGTSTP, OnStop, 0);
  Install(SIGCONT, OnContinue, 0);
  Install(SIGPIPE, SIG_IGN, 0);
}

bool TakeResumed() noexcept {
  if (!guard.Resumed) return false;
  guard.Resumed = 0;
  return true;
}

}  // namespace nagyszam
