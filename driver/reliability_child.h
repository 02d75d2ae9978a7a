// Test support for the reliability tests: the built program as a child with
// the standard descriptors a test chooses (pipes, files, a pseudo-terminal
// whose other side the test plays), and nothing that waits without a limit.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vterm.h>

#include <string>
#include <vector>

#include "console/posix/child_process_test_util.h"

namespace nagyszam::reliability {

using test::ExitText;
using test::Millis;
using test::ReadAll;
using test::SameSettings;
using test::WaitChild;

struct Launch {
  int In = -1;  // -1: closed in the child
  int Out = -1;
  int Err = -1;
  int Tty = -1;                      // a terminal to make the child's own
  std::vector<std::string> Env;      // NAME=value, added to LC_ALL=C.UTF-8
  std::vector<std::string> Wrapper;  // run the program under this, e.g. valgrind
};

inline pid_t Spawn(const Launch& launch) {
  test::ChildExec exec;
  exec.Args = launch.Wrapper;
  exec.Args.push_back(NAGYSZAM_PROGRAM);
  exec.Env = {"LC_ALL=C.UTF-8", "TERM=xterm", "PATH=/usr/bin:/bin"};
  exec.Env.insert(exec.Env.end(), launch.Env.begin(), launch.Env.end());
  exec.In = launch.In;
  exec.Out = launch.Out;
  exec.Err = launch.Err;
  exec.ControllingTty = launch.Tty;
  return test::SpawnChild(exec);
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
  std::vector<std::string> Screen() const { return test::ScreenRows(screen_, columns_, lines_); }

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
  void Take(const std::string& bytes) {
    output_ += bytes;
    vterm_input_write(vt_, bytes.data(), bytes.size());
    // Answer each cursor position request once, as the emulator's cursor.
    for (std::size_t at = output_.find("\x1b[6n", answered_); at != std::string::npos;
         at = output_.find("\x1b[6n", answered_)) {
      answered_ = at + 4;
      if (!AnswerReports) continue;
      const std::string answer = test::CursorReport(vt_);
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
