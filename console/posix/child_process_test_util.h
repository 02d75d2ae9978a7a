// Test support, shared by the console tests and the driver tests: a child
// process with the standard descriptors, environment and terminal a test
// chooses, waits and reads that never go on without a time limit, and a
// libvterm screen read back as text.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <vterm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

extern char** environ;

namespace nagyszam::test {

inline long long Millis() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// This process's environment without the entries that start with any of
// the prefixes (NAME= or a bare prefix such as LC_).
inline std::vector<std::string> InheritedEnv(std::initializer_list<const char*> dropPrefixes) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool drop = false;
    for (const char* prefix : dropPrefixes) drop = drop || entry.rfind(prefix, 0) == 0;
    if (!drop) env.push_back(entry);
  }
  return env;
}

struct ChildExec {
  std::vector<std::string> Args;  // the program (a path, else looked up in PATH) and its arguments
  std::vector<std::string> Env;   // the child's whole environment, NAME=value
  int In = -1;                    // -1: closed in the child
  int Out = -1;
  int Err = -1;
  int ControllingTty = -1;  // a new session with this terminal as its own
  int ForegroundOn = -1;    // a process group of its own, in the foreground of this terminal
};

// Starts a child; the descriptors given become its 0, 1 and 2 (any of them,
// in any order), every other descriptor is closed, signals are at their
// defaults with none blocked, and it leaves no core file.
inline pid_t SpawnChild(const ChildExec& exec) {
  std::vector<std::string> args = exec.Args;
  std::vector<std::string> env = exec.Env;
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (exec.ControllingTty >= 0) {
    setsid();
    ioctl(exec.ControllingTty, TIOCSCTTY, 0);
  }
  if (exec.ForegroundOn >= 0) {
    setpgid(0, 0);
    signal(SIGTTOU, SIG_IGN);  // a background group may not take the terminal otherwise
    tcsetpgrp(exec.ForegroundOn, getpid());
  }
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const int fds[3] = {exec.In, exec.Out, exec.Err};
  // Onto 0, 1 and 2 by way of high numbers, so no target overwrites a source.
  int moved[3];
  for (int i = 0; i < 3; ++i) moved[i] = fds[i] >= 0 ? fcntl(fds[i], F_DUPFD, 1000) : -1;
  for (int target = 0; target < 3; ++target) {
    if (moved[target] >= 0)
      dup2(moved[target], target);
    else
      close(target);
  }
  // Only the three: a pipe end left open here would keep its own input open.
  for (int fd = 3; fd < 1100; ++fd) close(fd);
  // Default signal handling, whatever the test runner set.
  for (int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGTSTP, SIGCONT, SIGTTOU})
    signal(s, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(argv[0], argv.data(), envp.data());
  execvpe(argv[0], argv.data(), envp.data());
  std::perror(argv[0]);
  _exit(127);
}

// Waits for the child to end; kills it and returns false after timeoutMs.
inline bool WaitChild(pid_t pid, int timeoutMs, int& status) {
  const long long deadline = Millis() + timeoutMs;
  while (Millis() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    usleep(2000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return false;
}

// Everything readable from fd until its end or until timeoutMs pass.
inline std::string ReadAll(int fd, int timeoutMs) {
  std::string got;
  const long long deadline = Millis() + timeoutMs;
  for (;;) {
    const long long left = deadline - Millis();
    if (left <= 0) break;
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left)) <= 0) break;
    char bytes[4096];
    const ssize_t n = read(fd, bytes, sizeof bytes);
    if (n <= 0) break;
    got.append(bytes, static_cast<std::size_t>(n));
  }
  return got;
}

// How a child ended, for messages: "exit N", "signal NAME" or the raw status.
inline std::string ExitText(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

inline bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

inline void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

inline std::string Utf8(char32_t c) {
  std::string out;
  AppendUtf8(c, out);
  return out;
}

// A libvterm screen's rows, every one of them, as UTF-8 without trailing
// spaces.
inline std::vector<std::string> ScreenRows(VTermScreen* screen, int columns, int lines) {
  std::vector<std::string> rows;
  for (int row = 0; row < lines; ++row) {
    std::string text;
    for (int column = 0; column < columns; ++column) {
      VTermScreenCell cell;
      vterm_screen_get_cell(screen, VTermPos{row, column}, &cell);
      AppendUtf8(cell.chars[0] == 0 ? U' ' : static_cast<char32_t>(cell.chars[0]), text);
    }
    text.erase(text.find_last_not_of(' ') + 1);
    rows.push_back(text);
  }
  return rows;
}

// The cursor position report a terminal at the emulator's cursor sends.
inline std::string CursorReport(VTerm* vt) {
  VTermPos pos;
  vterm_state_get_cursorpos(vterm_obtain_state(vt), &pos);
  return "\x1b[" + std::to_string(pos.row + 1) + ";" + std::to_string(pos.col + 1) + "R";
}

// The console demo's own launch: over this environment with a C.UTF-8
// locale and no size of its own.
struct DemoLaunch {
  std::vector<std::string> Steps;  // the demo's arguments
  std::vector<std::string> Env;    // NAME=value, over a clean C.UTF-8 environment
  int In = -1;                     // -1: closed
  int Out = -1;
  int Err = -1;
  int ControllingTty = -1;  // a new session with this terminal as its own
  int ForegroundOn = -1;    // a process group of its own, in the foreground of this terminal
};

#ifdef CONSOLE_DEMO
inline pid_t SpawnDemo(const DemoLaunch& launch) {
  ChildExec exec;
  exec.Args.push_back(CONSOLE_DEMO);
  exec.Args.insert(exec.Args.end(), launch.Steps.begin(), launch.Steps.end());
  exec.Env = InheritedEnv({"LC_", "LANG", "COLUMNS=", "LINES="});
  exec.Env.push_back("LC_ALL=C.UTF-8");
  exec.Env.insert(exec.Env.end(), launch.Env.begin(), launch.Env.end());
  exec.In = launch.In;
  exec.Out = launch.Out;
  exec.Err = launch.Err;
  exec.ControllingTty = launch.ControllingTty;
  exec.ForegroundOn = launch.ForegroundOn;
  return SpawnChild(exec);
}
#endif

// Every byte as \xNN, so any text passes through the demo's arguments.
inline std::string Escaped(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += "\\x";
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace nagyszam::test
