#include "driver/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "console/posix/child_process_test_util.h"

namespace nagyszam::testing {

namespace {

constexpr int TimeoutMs = 20000;

int ExitCodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The built program without arguments, over this process's environment with
// the entries that start as in drop left out and those in set added.
test::ChildExec ProgramExec(std::initializer_list<const char*> drop,
                            std::initializer_list<std::string> set) {
  test::ChildExec exec;
  exec.Args = {NAGYSZAM_PROGRAM};
  exec.Env = test::InheritedEnv(drop);
  exec.Env.insert(exec.Env.end(), set.begin(), set.end());
  return exec;
}

// Reads both pipes until they close or time runs out.
bool DrainPipes(int out, int err, std::string& outText, std::string& errText) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
  std::string* texts[2] = {&outText, &errText};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

std::vector<std::string> ScreenRows(VTermScreen* screen, int columns, int lines) {
  std::vector<std::string> rows = test::ScreenRows(screen, columns, lines);
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

// What the emulator answers (the cursor position report) goes back to the
// program as terminal input.
void ForwardToProgram(const char* bytes, std::size_t length, void* master) {
  const int fd = *static_cast<int*>(master);
  while (length > 0) {
    const ssize_t n = write(fd, bytes, length);
    if (n <= 0) return;
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
}

}  // namespace

std::vector<std::string> Rows(const std::string& transcript) {
  std::vector<std::string> rows;
  std::size_t start = 0;
  for (std::size_t end; (end = transcript.find('\n', start)) != std::string::npos; start = end + 1)
    rows.push_back(transcript.substr(start, end - start));
  if (start < transcript.size()) rows.push_back(transcript.substr(start) + "<no LF>");
  return rows;
}

ScriptedRun RunScripted(const std::string& keys, int columns, int lines) {
  ScriptedRun run{{}, {}, -1, 0.0};
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return run;
  test::ChildExec exec = ProgramExec(
      {"COLUMNS=", "LINES=", "LC_ALL="},
      {"COLUMNS=" + std::to_string(columns), "LINES=" + std::to_string(lines), "LC_ALL=C.UTF-8"});
  exec.In = in[0];
  exec.Out = out[1];
  exec.Err = err[1];
  const pid_t child = test::SpawnChild(exec);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // The keys fit in the pipe's buffer, so this never waits for the child.
  signal(SIGPIPE, SIG_IGN);
  if (write(in[1], keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
    run.Errors = "short write of keys\n";
  close(in[1]);
  if (!DrainPipes(out[0], err[0], run.Transcript, run.Errors)) {
    kill(child, SIGKILL);
    run.Errors += "timed out\n";
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.ExitCode = ExitCodeOf(status);
  run.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return run;
}

TerminalRun RunInTerminal(const std::string& keys, int columns, int lines) {
  TerminalRun run{{}, -1};
  winsize size{static_cast<unsigned short>(lines), static_cast<unsigned short>(columns), 0, 0};
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) return run;
  test::ChildExec exec =
      ProgramExec({"LC_ALL=", "TERM=", "COLUMNS=", "LINES="}, {"LC_ALL=C.UTF-8", "TERM=xterm"});
  exec.In = exec.Out = exec.Err = exec.ControllingTty = slave;
  const pid_t child = test::SpawnChild(exec);
  // Only the child holds the terminal, so its end shows as the end of input.
  close(slave);
  if (child < 0) {
    close(master);
    return run;
  }
  VTerm* vt = vterm_new(lines, columns);
  vterm_set_utf8(vt, 1);
  vterm_output_set_callback(vt, ForwardToProgram, &master);
  VTermScreen* screen = vterm_obtain_screen(vt);
  vterm_screen_reset(screen, 1);

  std::string terminalKeys = keys;
  for (char& c : terminalKeys)
    if (c == '\n') c = '\r';
  bool keysSent = false;
  std::string seen;  // output so far, to spot the program's position request
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::milliseconds(TimeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    // A program that does not ask for the cursor gets the keys after a while.
    if (!keysSent && std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) {
      ForwardToProgram(terminalKeys.data(), terminalKeys.size(), &master);
      keysSent = true;
    }
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 100) < 0 && errno != EINTR) break;
    if (fd.revents == 0) continue;
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO: the child has closed the terminal
    vterm_input_write(vt, buffer, static_cast<std::size_t>(n));
    if (!keysSent) {
      seen.append(buffer, static_cast<std::size_t>(n));
      // Keys go once the program has taken the terminal and asked where the
      // cursor is, so none of them is mistaken for the answer.
      if (seen.find("\x1b[6n") != std::string::npos) {
        ForwardToProgram(terminalKeys.data(), terminalKeys.size(), &master);
        keysSent = true;
      }
    }
  }
  int status = 0;
  if (test::WaitChild(child, 2000, status)) run.ExitCode = ExitCodeOf(status);
  run.Screen = ScreenRows(screen, columns, lines);
  vterm_free(vt);
  close(master);
  return run;
}

}  // namespace nagyszam::testing
