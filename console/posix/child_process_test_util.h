// Test support: runs the console demo program in a child process with the
// standard descriptors and environment a test chooses; nothing waits
// without a time limit.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace nagyszam::test {

inline long long Millis() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct ChildSpec {
  std::vector<std::string> Steps;  // the demo's arguments
  std::vector<std::string> Env;    // NAME=value, over a clean C.UTF-8 environment
  int In = -1;                     // -1: closed
  int Out = -1;
  int Err = -1;
  int ControllingTty = -1;  // a new session with this terminal as its own
  int ForegroundOn = -1;    // a process group of its own, in the foreground of this terminal
};

// Starts the demo; every descriptor given is dup'ed onto 0, 1 and 2.
inline pid_t SpawnDemo(const ChildSpec& spec) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("LC_", 0) == 0 || entry.rfind("LANG", 0) == 0 ||
        entry.rfind("COLUMNS=", 0) == 0 || entry.rfind("LINES=", 0) == 0)
      continue;
    env.push_back(entry);
  }
  env.push_back("LC_ALL=C.UTF-8");
  for (const std::string& e : spec.Env) env.push_back(e);
  std::vector<std::string> args{CONSOLE_DEMO};
  args.insert(args.end(), spec.Steps.begin(), spec.Steps.end());
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (spec.ControllingTty >= 0) {
    setsid();
    ioctl(spec.ControllingTty, TIOCSCTTY, 0);
  }
  if (spec.ForegroundOn >= 0) {
    setpgid(0, 0);
    signal(SIGTTOU, SIG_IGN);  // a background group may not take the terminal otherwise
    tcsetpgrp(spec.ForegroundOn, getpid());
  }
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const int fds[3] = {spec.In, spec.Out, spec.Err};
  for (int target = 0; target < 3; ++target) {
    if (fds[target] >= 0)
      dup2(fds[target], target);
    else
      close(target);
  }
  // Only the three: a pipe end left open here would keep its own input open.
  for (int fd = 3; fd < 1024; ++fd) close(fd);
  // Default signal handling, whatever the test runner set.
  for (int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGTSTP, SIGCONT, SIGTTOU})
    signal(s, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(argv[0], argv.data(), envp.data());
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

inline std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace nagyszam::test
