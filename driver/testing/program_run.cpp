#include "driver/testing/program_run.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <algorithm>
#include <initializer_list>

#include "console/posix/child_process_test_util.h"

namespace nagyszam::testing {

namespace {

constexpr int TimeoutMs = 20000;

// The built program without arguments, over this process's environment with
// its own locale, size and terminal type.
pid_t Start(test::ChildExec exec, std::initializer_list<std::string> set) {
  exec.Args = {NAGYSZAM_PROGRAM};
  exec.Env = test::InheritedEnv({"COLUMNS=", "LINES=", "LC_ALL=", "TERM="});
  exec.Env.push_back("LC_ALL=C.UTF-8");
  exec.Env.insert(exec.Env.end(), set.begin(), set.end());
  return test::SpawnChild(exec);
}

// The exit code, or -1 when ended by a signal or still running after 2 s.
int ExitCode(pid_t child) {
  int status = 0;
  return test::WaitChild(child, 2000, status) && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The keys, and what the emulator answers (the cursor position report).
void ToProgram(const char* bytes, std::size_t length, void* fd) {
  while (length > 0) {
    const ssize_t n = write(*static_cast<int*>(fd), bytes, length);
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
  ScriptedRun run{{}, {}, -1};
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return run;
  test::ChildExec exec;
  exec.In = in[0];
  exec.Out = out[1];
  exec.Err = err[1];
  const pid_t child =
      Start(exec, {"COLUMNS=" + std::to_string(columns), "LINES=" + std::to_string(lines)});
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // The keys fit in the pipe's buffer, so this never waits for the child.
  signal(SIGPIPE, SIG_IGN);
  ToProgram(keys.data(), keys.size(), &in[1]);
  close(in[1]);
  run.Transcript = test::ReadAll(out[0], TimeoutMs);
  run.Errors = test::ReadAll(err[0], 2000);
  close(out[0]);
  close(err[0]);
  run.ExitCode = ExitCode(child);
  return run;
}

TerminalRun RunInTerminal(const std::string& keys, int columns, int lines) {
  TerminalRun run{{}, -1};
  winsize size{static_cast<unsigned short>(lines), static_cast<unsigned short>(columns), 0, 0};
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) return run;
  test::ChildExec exec;
  exec.In = exec.Out = exec.Err = exec.ControllingTty = slave;
  const pid_t child = Start(exec, {"TERM=xterm"});
  // Only the child holds the terminal, so its end shows as the end of input.
  close(slave);
  VTerm* vt = vterm_new(lines, columns);
  vterm_set_utf8(vt, 1);
  vterm_output_set_callback(vt, ToProgram, &master);
  VTermScreen* screen = vterm_obtain_screen(vt);
  vterm_screen_reset(screen, 1);
  // A terminal shows what was there before; the program clears it.
  vterm_input_write(vt, "Earlier output\r\n", 16);

  std::string terminalKeys = keys;
  std::replace(terminalKeys.begin(), terminalKeys.end(), '\n', '\r');
  std::string seen;  // output until the keys go
  const long long start = test::Millis();
  for (bool keysSent = false; test::Millis() < start + TimeoutMs;) {
    // Keys go once the program has taken the terminal and asked where the
    // cursor is, so none of them is mistaken for the answer.
    if (!keysSent && seen.find("\x1b[6n") != std::string::npos) {
      ToProgram(terminalKeys.data(), terminalKeys.size(), &master);
      keysSent = true;
    }
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO: the child has closed the terminal
    vterm_input_write(vt, buffer, static_cast<std::size_t>(n));
    if (!keysSent) seen.append(buffer, static_cast<std::size_t>(n));
  }
  run.ExitCode = ExitCode(child);
  run.Screen = test::ScreenRows(screen, columns, lines);
  while (!run.Screen.empty() && run.Screen.back().empty()) run.Screen.pop_back();
  vterm_free(vt);
  close(master);
  return run;
}

}  // namespace nagyszam::testing
