// Test support for the reliability tests: the built program as a child with
// the standard descriptors a test chooses (pipes, files, a pseudo-terminal
// whose other side the test plays), and nothing that waits without a limit.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <utmp.h>
#include <vterm.h>

#include <cstring>
#include <string>
#include <vector>

namespace nagyszam::reliability {

inline long long Millis() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct Launch {
  int In = -1;  // -1: closed in the child
  int Out = -1;
  int Err = -1;
  int Tty = -1;                      // a terminal to make the child's own
  std::vector<std::string> Env;      // NAME=value, added to LC_ALL=C.UTF-8
  std::vector<std::string> Wrapper;  // run the program under this, e.g. valgrind
};

inline pid_t Spawn(const Launch& launch) {
  std::vector<std::string> args = launch.Wrapper;
  args.push_back(NAGYSZAM_PROGRAM);
  std::vector<std::string> env{"LC_ALL=C.UTF-8", "TERM=xterm", "PATH=/usr/bin:/bin"};
  env.insert(env.end(), launch.Env.begin(), launch.Env.end());
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (launch.Tty >= 0) {
    setsid();
    ioctl(launch.Tty, TIOCSCTTY, 0);
  }
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const int fds[3] = {launch.In, launch.Out, launch.Err};
  // Onto 0, 1 and 2 by way of high numbers, so no target overwrites a source.
  int moved[3];
  for (int i = 0; i < 3; ++i) moved[i] = fds[i] >= 0 ? fcntl(fds[i], F_DUPFD, 1000) : -1;
  for (int target = 0; target < 3; ++target) {
    if (moved[target] >= 0)
      dup2(moved[target], target);
    else
      close(target);
  }
  for (int fd = 3; fd < 1100; ++fd) close(fd);
  for (int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGTSTP, SIGCONT}) signal(s, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(argv[0], argv.data(), envp.data());
  execvpe(argv[0], argv.data(), envp.data());
  _exit(127);
}

// Waits for the child; kills it and returns false after timeoutMs.
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

inline std::string ExitText(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

inline bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// A pseudo-terminal whose other side the test plays: what the program sends
// goes into a terminal emulator, cursor position requests are answered or
// not, and keys go in as a terminal would send them.
class Pty {
 public:
  Pty(int columns, int lines) : columns_(columns), lines_(lines) {
    winsize size{static_cast<unsigned short>(lines), static_cast<unsigned short>(columns), 0, 0};
    openpty(&master_, &slave_, nullptr, nullptr, &size);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    vt_ = vterm_new(lines, columns);
    vterm_set_utf8(vt_, 1);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_reset(screen_, 1);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
  ~Pty() {
    vterm_free(vt_);
    if (master_ >= 0) close(master_);
    close(slave_);
  }

  int Slave() const { return slave_; }
  termios Settings() const {
    termios t{};
    tcgetattr(slave_, &t);
    return t;
  }
  bool AnswerReports = true;
  const std::string& Output() const { return output_; }

  void Send(const std::string& bytes) {
    std::size_t done = 0;
    const long long deadline = Millis() + 5000;
    while (done < bytes.size() && Millis() < deadline) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else {
        Pump(10);
      }
    }
  }

  // The other side hangs up.
  void HangUp() {
    close(master_);
    master_ = -1;
  }

  // Reads what the program sends for up to ms.
  void Pump(int ms) {
    const long long deadline = Millis() + ms;
    for (;;) {
      const long long left = deadline - Millis();
      if (left <= 0 || master_ < 0) return;
      pollfd ready{master_, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(left)) <= 0) continue;
      char bytes[4096];
      const ssize_t n = read(master_, bytes, sizeof bytes);
      if (n <= 0) {
        usleep(1000);
        continue;
      }
      Take(std::string(bytes, static_cast<std::size_t>(n)));
    }
  }

  // Pumps until the text was sent count times and then nothing came for
  // quietMs: the program then waits for a key. False on timeout.
  bool WaitQuiet(const std::string& text, int count, int quietMs = 150, int timeoutMs = 5000) {
    const long long deadline = Millis() + timeoutMs;
    while (Millis() < deadline) {
      if (Count(text) >= count) {
        const std::size_t before = output_.size();
        Pump(quietMs);
        if (output_.size() == before) return true;
      } else {
        Pump(10);
      }
    }
    return false;
  }

  int Count(const std::string& text) const {
    int n = 0;
    for (std::size_t at = output_.find(text); at != std::string::npos;
         at = output_.find(text, at + 1))
      ++n;
    return n;
  }

  // The emulator's screen: rows as UTF-8 without trailing spaces.
  std::vector<std::string> Screen() const {
    std::vector<std::string> rows;
    for (int row = 0; row < lines_; ++row) {
      std::string text;
      for (int column = 0; column < columns_; ++column) {
        VTermScreenCell cell;
        vterm_screen_get_cell(screen_, VTermPos{row, column}, &cell);
        AppendUtf8(cell.chars[0] == 0 ? U' ' : static_cast<char32_t>(cell.chars[0]), text);
      }
      text.erase(text.find_last_not_of(' ') + 1);
      rows.push_back(text);
    }
    return rows;
  }

  // Pumps until the child ends (then drains what is left).
  bool RunToEnd(pid_t pid, int timeoutMs, int& status) {
    const long long deadline = Millis() + timeoutMs;
    while (Millis() < deadline) {
      Pump(10);
      if (waitpid(pid, &status, WNOHANG) == pid) {
        Pump(50);
        return true;
      }
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
  }

 private:
  static void AppendUtf8(char32_t c, std::string& out) {
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
  }

  void Take(const std::string& bytes) {
    output_ += bytes;
    vterm_input_write(vt_, bytes.data(), bytes.size());
    // Answer each cursor position request once, as the emulator's cursor.
    for (std::size_t at = output_.find("\x1b[6n", answered_); at != std::string::npos;
         at = output_.find("\x1b[6n", answered_)) {
      answered_ = at + 4;
      if (!AnswerReports) continue;
      VTermPos pos;
      vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
      const std::string answer =
          "\x1b[" + std::to_string(pos.row + 1) + ";" + std::to_string(pos.col + 1) + "R";
      if (write(master_, answer.data(), answer.size()) < 0) return;
    }
  }

  int columns_, lines_;
  int master_ = -1, slave_ = -1;
  VTerm* vt_;
  VTermScreen* screen_;
  std::string output_;
  std::size_t answered_ = 0;
};

}  // namespace nagyszam::reliability
