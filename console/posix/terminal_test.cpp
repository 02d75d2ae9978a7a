// The demo program on a pseudo-terminal, its output fed into a real
// terminal emulator (libvterm): the emulator's screen and cursor must equal
// the window model, and the terminal's settings must come back unchanged
// on every way out.
#include <pty.h>
#include <sys/prctl.h>
#include <termios.h>
#include <vterm.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "console/cp852.h"
#include "console/posix/child_process_test_util.h"
#include "console/window.h"

namespace nagyszam {
namespace {

using test::DemoLaunch;
using test::SameSettings;

// One emulated terminal on the master side of a pseudo-terminal.
struct Emulator {
  int Master = -1;
  int Slave = -1;
  VTerm* Vt = nullptr;
  VTermScreen* Screen = nullptr;
  bool AnswerReports = true;
  int Reports = 0;  // cursor reports the program asked for
  int PushedRows = 0;
  std::string Received;
  VTermScreenCallbacks Callbacks{};

  Emulator(int columns, int rows) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    EXPECT_EQ(openpty(&Master, &Slave, nullptr, nullptr, &size), 0);
    Vt = vterm_new(rows, columns);
    vterm_set_utf8(Vt, 1);
    Screen = vterm_obtain_screen(Vt);
    Callbacks.sb_pushline = [](int, const VTermScreenCell*, void* user) {
      ++static_cast<Emulator*>(user)->PushedRows;
      return 1;
    };
    vterm_screen_set_callbacks(Screen, &Callbacks, this);
    vterm_screen_reset(Screen, 1);
    // The emulator's own answers (the cursor report) go back to the program.
    vterm_output_set_callback(
        Vt,
        [](const char* bytes, std::size_t length, void* user) {
          Emulator& e = *static_cast<Emulator*>(user);
          ++e.Reports;
          if (e.AnswerReports) {
            EXPECT_EQ(write(e.Master, bytes, length), ssize_t(length));
          }
        },
        this);
  }
  ~Emulator() {
    vterm_free(Vt);
    close(Master);
    close(Slave);
  }

  // Shows text as if a shell had written it before the program started.
  void Show(const std::string& text) { vterm_input_write(Vt, text.data(), text.size()); }

  // Reads what the program writes until done() holds or timeoutMs pass.
  bool Pump(int timeoutMs, const std::function<bool()>& done) {
    const long long deadline = test::Millis() + timeoutMs;
    while (!done()) {
      const long long left = deadline - test::Millis();
      if (left <= 0) return false;
      pollfd ready{Master, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(std::min(left, 20LL))) <= 0) continue;
      char bytes[4096];
      const ssize_t n = read(Master, bytes, sizeof bytes);
      if (n <= 0) continue;
      Received.append(bytes, static_cast<std::size_t>(n));
      vterm_input_write(Vt, bytes, static_cast<std::size_t>(n));
    }
    return true;
  }

  // Runs until the child ends, then takes what is still on its way.
  bool RunToEnd(pid_t pid, int& status) {
    bool ended = false;
    Pump(10000, [&] { return ended = waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    Pump(50, [] { return false; });
    return ended;
  }

  bool ShowsText(const std::string& utf8) { return Received.find(utf8) != std::string::npos; }

  char32_t Cell(int column, int row) {
    VTermScreenCell cell{};
    vterm_screen_get_cell(Screen, VTermPos{row - 1, column - 1}, &cell);
    return cell.chars[0] == 0 ? U' ' : cell.chars[0];
  }

  void Cursor(int& column, int& row) {
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(Vt), &pos);
    column = pos.col + 1;
    row = pos.row + 1;
  }
};

termios Settings(int fd) {
  termios t{};
  EXPECT_EQ(tcgetattr(fd, &t), 0);
  return t;
}

// A step for the demo and the same step on the expected model.
struct Step {
  std::string Arg;
  std::function<void(Window&, int& scrolls)> Apply;
};

Step Text(const std::string& bytes) {
  return {"t" + test::Escaped(bytes), [bytes](Window& w, int& scrolls) {
            WindowChange change;
            for (unsigned char b : bytes) {
              ApplyByte(b, w, change);
              scrolls += change.Scrolled;
            }
          }};
}

Step EveryByte() {
  return {"a", [](Window& w, int& scrolls) {
            WindowChange change;
            for (int b = 0; b < 256; ++b) {
              ApplyByte(static_cast<std::uint8_t>(b), w, change);
              scrolls += change.Scrolled;
            }
          }};
}

Step Place(int column, int row) {
  return {"p" + std::to_string(column) + "," + std::to_string(row), [=](Window& w, int&) {
            PlaceWritePosition(static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row),
                               w);
          }};
}

Step Clear() {
  return {"c", [](Window& w, int&) { ClearWindow(w); }};
}

struct Scenario {
  const char* Name;
  int Columns, Rows;
  std::vector<Step> Steps;
};

std::vector<Scenario> Scenarios() {
  std::string wide;
  for (int i = 0; i < 255; ++i) wide += static_cast<char>('a' + i % 26);
  return {
      {"wrap, scroll, place, every byte",
       40,
       10,
       {Clear(), Text("Hello\r\n"), Place(38, 2), Text("WRAPPED"), Text("\r\n\r\n\r\n\r\n\r\n"),
        Text("bottom row\r\nscrolls"), EveryByte(), Place(40, 10), Text("Z"), Place(40, 1),
        Text("\x82\x94\x8b\x01\x7f\xff"), Text("ab\bc\a\r\nx\ty\x00z"), Place(80, 3), Place(0, 1),
        Place(5, 11), Text("end")}},
      {"1 x 1", 1, 1, {Clear(), Text("abc"), EveryByte(), Text("\r\n\b")}},
      {"one row", 30, 1, {Clear(), Text(wide), Place(30, 1), Text("\x82")}},
      {"one column", 1, 12, {Clear(), Text(wide), Place(1, 12), Text("q")}},
      {"widest rows", 255, 4, {Clear(), Text(wide), EveryByte(), Place(255, 4), Text("\xb0")}},
      {"wider than 255", 300, 6, {Clear(), Text(wide), Text("!"), Place(255, 6), Text("@")}},
      {"taller than 255", 20, 260, {Clear(), Place(1, 255), Text("last row\r\nscrolled")}},
  };
}

TEST(TerminalTest, EmulatorScreenEqualsTheModel) {
  for (const Scenario& s : Scenarios()) {
    SCOPED_TRACE(s.Name);
    Emulator term(s.Columns, s.Rows);
    term.Show("$ run\r\n$ run\r\n$ ");
    const termios before = Settings(term.Slave);
    DemoLaunch launch;
    launch.In = launch.Out = term.Slave;
    launch.Err = open("/dev/null", O_WRONLY);
    launch.ControllingTty = term.Slave;
    for (const Step& step : s.Steps) launch.Steps.push_back(step.Arg);
    const pid_t pid = test::SpawnDemo(launch);
    close(launch.Err);
    int status = 0;
    ASSERT_TRUE(term.RunToEnd(pid, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(term.Reports, 1);

    auto model = std::make_unique<Window>();
    StartWindow(s.Columns, s.Rows, *model);
    int scrolls = 0;
    for (const Step& step : s.Steps) step.Apply(*model, scrolls);
    int mismatches = 0;
    for (int row = 1; row <= model->Height; ++row)
      for (int column = 1; column <= model->Width; ++column) {
        const char32_t want = Cp852Glyph[model->Cells[row - 1][column - 1]];
        const char32_t shown = term.Cell(column, row);
        if (shown != want && ++mismatches <= 5)
          ADD_FAILURE() << "cell " << column << "," << row << ": U+" << std::hex
                        << static_cast<unsigned>(shown) << " for U+" << static_cast<unsigned>(want);
      }
    EXPECT_EQ(mismatches, 0);
    int column = 0, row = 0;
    term.Cursor(column, row);
    EXPECT_EQ(column, model->Column);
    EXPECT_EQ(row, model->Row);
    // Each scroll of the model is a real one: its row went to the scrollback.
    // (libvterm erases a one-row screen instead of scrolling it.)
    if (s.Rows > 1) {
      EXPECT_EQ(term.PushedRows, scrolls);
    }
    EXPECT_TRUE(SameSettings(Settings(term.Slave), before));
    // Nothing the program wrote reached the terminal raw: only the layer's
    // own sequences and LF for a scroll are control bytes in the stream.
    for (std::size_t i = 0; i < term.Received.size(); ++i) {
      const auto b = static_cast<unsigned char>(term.Received[i]);
      if (b == 0x1b || b == '\n' || b >= 0x20) continue;
      ADD_FAILURE() << "control byte " << int(b) << " at " << i;
      break;
    }
  }
}

TEST(TerminalTest, StartCursorComesFromTheTerminal) {
  Emulator term(40, 10);
  term.Show("$ one\r\n$ two\r\n$ ");  // the cursor at column 3, row 3
  DemoLaunch launch;
  launch.In = launch.Out = term.Slave;
  launch.ControllingTty = term.Slave;
  launch.Steps = {"w", "tX"};
  const pid_t pid = test::SpawnDemo(launch);
  int status = 0;
  ASSERT_TRUE(term.RunToEnd(pid, status));
  // Written where the terminal's cursor stood, the screen kept around it.
  EXPECT_EQ(term.Cell(1, 3), U'$');
  EXPECT_EQ(term.Cell(3, 3), U'3');
  EXPECT_EQ(term.Cell(4, 3), U',');
  EXPECT_EQ(term.Cell(5, 3), U'3');
  EXPECT_EQ(term.Cell(6, 3), U'X');
  EXPECT_EQ(term.Cell(3, 2), U't');
}

TEST(TerminalTest, KeysTypedBeforeTheCursorReportStayKeys) {
  Emulator term(40, 10);
  term.AnswerReports = false;
  DemoLaunch launch;
  launch.In = launch.Out = term.Slave;
  launch.ControllingTty = term.Slave;
  launch.Steps = {"c", "k3"};
  const pid_t pid = test::SpawnDemo(launch);
  ASSERT_TRUE(term.Pump(5000, [&] { return term.Reports > 0; }));
  // Keys first, then the answer, then one more key.
  const std::string typed = "ab\x1b[5;7Rc";
  ASSERT_EQ(write(term.Master, typed.data(), typed.size()), ssize_t(typed.size()));
  int status = 0;
  ASSERT_TRUE(term.RunToEnd(pid, status));
  EXPECT_NE(term.Received.find("97 98 99 "), std::string::npos) << term.Received;
}

TEST(TerminalTest, LateCursorReportIsNoKey) {
  Emulator term(40, 10);
  term.AnswerReports = false;
  DemoLaunch launch;
  launch.In = launch.Out = term.Slave;
  launch.ControllingTty = term.Slave;
  launch.Steps = {"c", "tready", "k1"};
  const pid_t pid = test::SpawnDemo(launch);
  ASSERT_TRUE(term.Pump(5000, [&] { return term.ShowsText("ready"); }));
  // The answer comes after the wait for it, then a key.
  const std::string typed = "\x1b[1;1Rz";
  ASSERT_EQ(write(term.Master, typed.data(), typed.size()), ssize_t(typed.size()));
  int status = 0;
  ASSERT_TRUE(term.RunToEnd(pid, status));
  EXPECT_NE(term.Received.find("122 "), std::string::npos) << test::Escaped(term.Received);
}

// While ReadKey waits the program uses no processor time.
TEST(TerminalTest, WaitingForAKeyCostsNothing) {
  Emulator term(40, 10);
  DemoLaunch launch;
  launch.In = launch.Out = term.Slave;
  launch.ControllingTty = term.Slave;
  launch.Steps = {"tready", "k1"};
  const pid_t pid = test::SpawnDemo(launch);
  ASSERT_TRUE(term.Pump(5000, [&] { return term.ShowsText("ready"); }));
  auto ticks = [pid] {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = open(path.c_str(), O_RDONLY);
    const std::string stat = test::ReadAll(fd, 1000);
    close(fd);
    // Fields after the command's closing parenthesis; utime and stime are 14 and 15.
    std::size_t at = stat.rfind(')') + 2;
    long values[13] = {};
    for (long& v : values) {
      at = stat.find(' ', at) + 1;
      v = std::atol(stat.c_str() + at);
    }
    return values[10] + values[11];
  };
  const long start = ticks();
  term.Pump(500, [] { return false; });
  EXPECT_LE(ticks() - start, 2);
  ASSERT_EQ(write(term.Master, "x", 1), 1);
  int status = 0;
  EXPECT_TRUE(term.RunToEnd(pid, status));
}

TEST(TerminalTest, SilentTerminalStillStartsAtOnce) {
  Emulator term(40, 10);
  term.AnswerReports = false;
  term.Show("$ run\r\n$ ");
  DemoLaunch launch;
  launch.In = launch.Out = term.Slave;
  launch.ControllingTty = term.Slave;
  launch.Steps = {"w"};
  const long long start = test::Millis();
  const pid_t pid = test::SpawnDemo(launch);
  int status = 0;
  ASSERT_TRUE(term.RunToEnd(pid, status));
  EXPECT_LT(test::Millis() - start, 1000);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Without an answer the cursor is taken to be at column 1, row 1.
  EXPECT_EQ(term.Cell(1, 1), U'1');
  EXPECT_EQ(term.Cell(2, 1), U',');
  EXPECT_EQ(term.Cell(3, 1), U'1');
  int column = 0, row = 0;
  term.Cursor(column, row);
  EXPECT_EQ(column, 4);
  EXPECT_EQ(row, 1);
}

TEST(TerminalTest, KeysFromTheTerminal) {
  Emulator term(60, 5);
  DemoLaunch launch;
  launch.In = launch.Out = term.Slave;
  launch.ControllingTty = term.Slave;
  launch.Steps = {"c", "twait", "k9"};
  const pid_t pid = test::SpawnDemo(launch);
  ASSERT_TRUE(term.Pump(5000, [&] { return term.ShowsText("wait"); }));
  // Enter as CR, Backspace as DEL, Up, Alt+B, Shift+Tab, a UTF-8 letter.
  const std::string typed =
      "\r\x7f\x1b[A\x1b"
      "b\x1b[Z\xc3\xa9";
  ASSERT_EQ(write(term.Master, typed.data(), typed.size()), ssize_t(typed.size()));
  int status = 0;
  ASSERT_TRUE(term.RunToEnd(pid, status));
  EXPECT_NE(term.Received.find("13 8 0 72 0 48 0 15 130 "), std::string::npos) << term.Received;
}

// Every way out gives the terminal back as it was found.
TEST(TerminalTest, SettingsComeBackOnEveryWayOut) {
  const struct {
    const char* Name;
    bool OutputClosed;
    std::string Typed;  // sent once the program waits for a key
    int Signal;         // sent once the program waits for a key
    int WantSignal;
    int WantExit;
  } cases[] = {
      {"normal end", false, "k", 0, 0, 0},         {"run-time error report", true, "", 0, 0, 103},
      {"SIGTERM", false, "", SIGTERM, SIGTERM, 0}, {"SIGHUP", false, "", SIGHUP, SIGHUP, 0},
      {"Ctrl-C", false, "\x03", 0, SIGINT, 0},     {"Ctrl-\\", false, "\x1c", 0, SIGQUIT, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Emulator term(40, 10);
    const termios before = Settings(term.Slave);
    DemoLaunch launch;
    launch.In = term.Slave;
    launch.Out = c.OutputClosed ? -1 : term.Slave;
    launch.Err = open("/dev/null", O_WRONLY);
    launch.ControllingTty = term.Slave;
    launch.Steps = {"twait", "k1"};
    const pid_t pid = test::SpawnDemo(launch);
    close(launch.Err);
    if (!c.OutputClosed) {
      ASSERT_TRUE(term.Pump(5000, [&] { return term.ShowsText("wait"); }));
      // Raw input while the program waits.
      EXPECT_FALSE(SameSettings(Settings(term.Slave), before));
      if (!c.Typed.empty()) {
        ASSERT_EQ(write(term.Master, c.Typed.data(), c.Typed.size()), ssize_t(c.Typed.size()));
      }
      if (c.Signal != 0) kill(pid, c.Signal);
    }
    int status = 0;
    ASSERT_TRUE(term.RunToEnd(pid, status));
    if (c.WantSignal != 0) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.WantSignal) << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.WantExit) << status;
    }
    EXPECT_TRUE(SameSettings(Settings(term.Slave), before));
  }
}

// Ctrl-Z: the terminal as found while the program is stopped; on resuming,
// raw input again and the window drawn again from the model. A small
// job-control shell in between, so the program's process group is not
// orphaned (the kernel would discard the stop otherwise).
TEST(TerminalTest, SuspendGivesTheTerminalBackAndResumeRedraws) {
  Emulator term(30, 5);
  const termios before = Settings(term.Slave);
  int events[2], control[2];
  ASSERT_EQ(pipe(events), 0);
  ASSERT_EQ(pipe(control), 0);
  const pid_t shell = fork();
  if (shell == 0) {
    // Gone with the test, and the program with it (it loses its terminal).
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    setsid();
    ioctl(term.Slave, TIOCSCTTY, 0);
    signal(SIGTTOU, SIG_IGN);
    DemoLaunch launch;
    launch.In = launch.Out = term.Slave;
    launch.Err = term.Slave;
    launch.ForegroundOn = term.Slave;
    launch.Steps = {"c", "tshown before", "k1"};
    const pid_t demo = test::SpawnDemo(launch);
    int status = 0;
    while (waitpid(demo, &status, WUNTRACED) == demo) {
      if (!WIFSTOPPED(status)) break;
      char go = 0;
      if (write(events[1], "S", 1) != 1 || read(control[0], &go, 1) != 1) break;
      kill(demo, SIGCONT);
    }
    const char end = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 'E' : 'F';
    _exit(write(events[1], &end, 1) == 1 ? 0 : 1);
  }
  close(events[1]);
  close(control[0]);
  struct EndShell {
    pid_t Pid;
    ~EndShell() {
      kill(Pid, SIGKILL);
      waitpid(Pid, nullptr, 0);
    }
  } endShell{shell};
  ASSERT_TRUE(term.Pump(5000, [&] { return term.ShowsText("shown before"); }));
  ASSERT_EQ(write(term.Master, "\x1a", 1), 1);  // Ctrl-Z
  std::string seen;
  ASSERT_TRUE(term.Pump(5000, [&] {
    seen += test::ReadAll(events[0], 1);
    return !seen.empty();
  }));
  EXPECT_EQ(seen, "S");
  EXPECT_TRUE(SameSettings(Settings(term.Slave), before));
  // Meanwhile a shell writes over the screen.
  term.Show("\x1b[H\x1b[2J$ fg");
  EXPECT_EQ(term.Cell(1, 1), U'$');
  ASSERT_EQ(write(control[1], "C", 1), 1);
  const std::size_t heard = term.Received.size();
  ASSERT_TRUE(term.Pump(5000, [&] { return term.Cell(1, 1) == U's'; }))
      << test::Escaped(term.Received.substr(heard));
  EXPECT_FALSE(SameSettings(Settings(term.Slave), before));
  const std::string shown = "shown before";
  for (std::size_t i = 0; i < shown.size(); ++i)
    EXPECT_EQ(term.Cell(static_cast<int>(i) + 1, 1), static_cast<char32_t>(shown[i]));
  EXPECT_EQ(term.Cell(3, 2), U' ');
  int column = 0, row = 0;
  term.Cursor(column, row);
  EXPECT_EQ(column, 13);
  EXPECT_EQ(row, 1);
  ASSERT_EQ(write(term.Master, "q", 1), 1);
  seen.clear();
  ASSERT_TRUE(term.Pump(5000, [&] {
    seen += test::ReadAll(events[0], 1);
    return !seen.empty();
  }));
  EXPECT_EQ(seen, "E");
  EXPECT_TRUE(SameSettings(Settings(term.Slave), before));
  close(events[0]);
  close(control[1]);
}

TEST(TerminalTest, EndOfInputFromAPipeWithTheScreenOnATerminal) {
  Emulator term(40, 10);
  const termios before = Settings(term.Slave);
  int in[2], err[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(err), 0);
  DemoLaunch launch;
  launch.In = in[0];
  launch.Out = term.Slave;
  launch.Err = err[1];
  launch.ControllingTty = term.Slave;
  launch.Steps = {"c", "K"};
  const pid_t pid = test::SpawnDemo(launch);
  close(in[0]);
  close(err[1]);
  ASSERT_EQ(write(in[1], "ab\n", 3), 3);
  close(in[1]);
  int status = 0;
  ASSERT_TRUE(term.RunToEnd(pid, status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_NE(test::ReadAll(err[0], 1000).find("end of input"), std::string::npos);
  close(err[0]);
  EXPECT_EQ(term.Cell(1, 1), U'9');
  EXPECT_EQ(term.Reports, 0);  // no cursor report without a terminal to answer it
  EXPECT_TRUE(SameSettings(Settings(term.Slave), before));
}

}  // namespace
}  // namespace nagyszam
