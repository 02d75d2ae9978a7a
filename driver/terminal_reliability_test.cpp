// The real program on a pseudo-terminal whose other side the test plays:
// a terminal that never answers the cursor position request, every byte
// value typed at every prompt, sequences cut off by a pause, a window of one
// cell, signals and Ctrl-C at every kind of wait, job control in a shell, a
// signal during a redraw, a hang-up. The terminal's settings must come back
// exactly as they were found.
#include <gtest/gtest.h>

#include <string>

#include "driver/reliability_child.h"

namespace nagyszam::reliability {
namespace {

// The prompt row's closing text, UTF-8 on the terminal: one per entry.
const std::string PromptEnd = "jegyű):";
constexpr char ExampleKeys[] = "7\r3\r \r+12\r+5\rq";

// The program, or a shell (wrapper) that gets the program's path as $1 and
// needs the terminal on standard error for its job control.
pid_t StartOn(Pty& pty, const std::vector<std::string>& wrapper = {}) {
  Launch launch;
  launch.Wrapper = wrapper;
  launch.In = launch.Out = launch.Tty = pty.Slave();
  launch.Err = wrapper.empty() ? open("/dev/null", O_WRONLY) : dup(pty.Slave());
  const pid_t pid = Spawn(launch);
  close(launch.Err);
  return pid;
}

bool HasRow(const Pty& pty, const std::string& row) {
  for (const std::string& shown : pty.Screen())
    if (shown == row) return true;
  return false;
}

TEST(Terminal, SilentTerminalStillStartsWithinASecond) {
  Pty pty(80, 60);
  pty.AnswerReports = false;
  const termios before = pty.Settings();
  const long long start = Millis();
  const pid_t pid = StartOn(pty);
  ASSERT_TRUE(pty.WaitQuiet(PromptEnd, 1, 50, 3000));
  EXPECT_LT(Millis() - start, 1000);
  pty.Send(ExampleKeys);
  int status = 0;
  ASSERT_TRUE(pty.RunToEnd(pid, 10000, status));
  EXPECT_EQ(ExitText(status), "exit 0");
  EXPECT_TRUE(HasRow(pty, "+12*+5 = +60"));
  EXPECT_TRUE(SameSettings(pty.Settings(), before));
}

// Every byte but the three that signal (Ctrl-C, Ctrl-\, Ctrl-Z): flow
// control bytes, ESC and bytes that are no UTF-8 must all stay keys.
TEST(Terminal, EveryByteValueAtEveryPrompt) {
  std::string entry;
  for (int b = 0; b < 256; ++b)
    if (b != 3 && b != 28 && b != 26) entry += static_cast<char>(b);
  entry += "\r";
  Pty pty(80, 60);
  const termios before = pty.Settings();
  const pid_t pid = StartOn(pty);
  for (int prompt = 1; prompt <= 4; ++prompt) {
    ASSERT_TRUE(pty.WaitQuiet(PromptEnd, prompt)) << "prompt " << prompt;
    pty.Send(entry);
    if (prompt == 2) {
      ASSERT_TRUE(pty.WaitQuiet(" Mod ", 1));
      pty.Send(" ");
    }
  }
  ASSERT_TRUE(pty.WaitQuiet(" Mod ", 3));
  pty.Send("q");
  int status = 0;
  ASSERT_TRUE(pty.RunToEnd(pid, 10000, status));
  EXPECT_EQ(ExitText(status), "exit 0");
  EXPECT_TRUE(HasRow(pty, "+012345678*+012345678 = +152415765279684"));
  EXPECT_TRUE(SameSettings(pty.Settings(), before));
}

// Keys with pauses in the middle of sequences: a lone ESC is Esc, a bare
// introducer is Alt with its letter, a cut-off parameter list is dropped;
// all of them are rejected keys, the digits between are kept.
TEST(Terminal, SequencesCutOffByAPause) {
  Pty pty(80, 60);
  const termios before = pty.Settings();
  const pid_t pid = StartOn(pty);
  ASSERT_TRUE(pty.WaitQuiet(PromptEnd, 1));
  for (const char* piece : {"1\x1b", "2\x1b[", "3\x1b[1;", "4\x1bO", "5\x1b[99z6\xc3", "7\r"}) {
    pty.Send(piece);
    pty.Pump(150);
  }
  ASSERT_TRUE(pty.WaitQuiet(PromptEnd, 2));
  pty.Send("3\r");
  ASSERT_TRUE(pty.WaitQuiet(" Mod ", 1));
  pty.Send(" +12\r+5\rq");
  int status = 0;
  ASSERT_TRUE(pty.RunToEnd(pid, 10000, status));
  EXPECT_EQ(ExitText(status), "exit 0");
  EXPECT_TRUE(HasRow(pty, "1234567+1 = 1234568"));
  EXPECT_TRUE(SameSettings(pty.Settings(), before));
}

TEST(Terminal, OneByOneWindow) {
  Pty pty(1, 1);
  const termios before = pty.Settings();
  const pid_t pid = StartOn(pty);
  pty.Pump(300);
  pty.Send(ExampleKeys);
  int status = 0;
  ASSERT_TRUE(pty.RunToEnd(pid, 10000, status));
  EXPECT_EQ(ExitText(status), "exit 0");
  EXPECT_TRUE(SameSettings(pty.Settings(), before));
}

// Each kind of wait: the four entry prompts and the two key waits, reached
// with the example's keys.
struct Wait {
  const char* Name;
  std::string Keys;  // typed before, each piece once the one before was taken
  std::string Shown;
  int Count;
};

const Wait Waits[] = {
    {"first prompt", "", PromptEnd, 1},
    {"second prompt", "7\r", PromptEnd, 2},
    {"first key wait", "7\r3\r", " Mod ", 1},
    {"first signed prompt", "7\r3\r ", PromptEnd, 3},
    {"second signed prompt", "7\r3\r +12\r", PromptEnd, 4},
    {"last key wait", "7\r3\r +12\r+5\r", " Mod ", 3},
};

TEST(Terminal, SignalsAtEveryWaitRestoreTheTerminal) {
  const struct {
    const char* Name;
    int Signal;         // sent to the program, or 0
    std::string Typed;  // typed instead
    int WantSignal;
  } ways[] = {
      {"SIGTERM", SIGTERM, "", SIGTERM},
      {"SIGHUP", SIGHUP, "", SIGHUP},
      {"Ctrl-C", 0, "\x03", SIGINT},
  };
  for (const Wait& wait : Waits) {
    for (const auto& way : ways) {
      SCOPED_TRACE(std::string(way.Name) + " at the " + wait.Name);
      Pty pty(80, 30);
      const termios before = pty.Settings();
      const pid_t pid = StartOn(pty);
      ASSERT_TRUE(pty.WaitQuiet(PromptEnd, 1));
      pty.Send(wait.Keys);
      ASSERT_TRUE(pty.WaitQuiet(wait.Shown, wait.Count));
      EXPECT_FALSE(SameSettings(pty.Settings(), before)) << "not raw while waiting";
      if (way.Signal != 0) kill(pid, way.Signal);
      pty.Send(way.Typed);
      int status = 0;
      ASSERT_TRUE(pty.RunToEnd(pid, 5000, status));
      EXPECT_EQ(ExitText(status), std::string("signal ") + strsignal(way.WantSignal));
      EXPECT_TRUE(SameSettings(pty.Settings(), before));
    }
  }
}

// Job control in bash: Ctrl-Z, then a signal and a continue, or bg and
// later fg. (bash's kill continues the job itself after SIGTERM and SIGHUP
// but still takes it for stopped: the kill -CONT lets wait see the end.)
TEST(Terminal, JobControlInAShell) {
  const struct {
    const char* Then;
    const char* Ended;
  } cases[] = {
      {"kill %1; kill -CONT %1; wait %1", "ended 143"},
      {"kill -HUP %1; kill -CONT %1; wait %1", "ended 129"},
      {"kill -INT %1; kill -CONT %1; wait %1", "ended 130"},
      {"bg; sleep 1; jobs; sleep 1; fg", "ended 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Then);
    Pty pty(80, 30);
    const termios before = pty.Settings();
    const std::string script = std::string("set -m; \"$1\"; ") + c.Then + "; echo ended $?";
    const pid_t shell = StartOn(pty, {"bash", "-c", script, "bash"});
    ASSERT_TRUE(pty.WaitQuiet(PromptEnd, 1));
    pty.Send("12");
    ASSERT_TRUE(pty.WaitQuiet("12", 1));
    pty.Send("\x1a");
    if (std::string(c.Then).rfind("bg", 0) == 0) {
      // In the background it waits with the terminal left to the shell, and
      // at fg it takes the terminal back and draws its window again.
      ASSERT_TRUE(pty.WaitQuiet("Running", 1));
      EXPECT_TRUE(SameSettings(pty.Settings(), before));
      EXPECT_EQ(pty.Count("---- El"), 1);
      ASSERT_TRUE(pty.WaitQuiet("---- El", 2));
      EXPECT_FALSE(SameSettings(pty.Settings(), before));
      pty.Send("\r3\r \r+12\r+5\rq");
    }
    EXPECT_TRUE(pty.WaitQuiet(c.Ended, 1));
    int status = 0;
    EXPECT_TRUE(pty.RunToEnd(shell, 5000, status));
    EXPECT_TRUE(SameSettings(pty.Settings(), before));
  }
}

// A terminal that reads slowly, a redraw in flight (each SIGCONT redraws),
// then SIGTERM: the last bytes sent are no escape sequence cut short. One
// column is mostly sequences; three heights move where the terminal's
// buffer cuts the redraw.
TEST(Terminal, SignalDuringARedrawCutsNoSequence) {
  for (int rows : {200, 201, 202}) {
    SCOPED_TRACE(rows);
    Pty pty(1, rows);
    const pid_t pid = StartOn(pty);
    ASSERT_TRUE(pty.WaitQuiet("\x1b[6n", 1));
    for (int i = 0; i < 50; ++i) {
      kill(pid, SIGCONT);
      usleep(2000);
    }
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_TRUE(pty.RunToEnd(pid, 5000, status));
    EXPECT_EQ(ExitText(status), std::string("signal ") + strsignal(SIGTERM));
    // The last ESC begins a whole sequence: ESC [, parameters, a final byte.
    const std::string tail = pty.Output().substr(pty.Output().rfind('\x1b'));
    const std::size_t end = tail.find_first_not_of("0123456789;", 2);
    EXPECT_TRUE(tail.rfind("\x1b[", 0) == 0 && end < tail.size() && tail[end] >= '@' &&
                tail[end] <= '~')
        << test::Escaped(tail);
  }
}

// The terminal goes away while the program waits: it ends instead of
// spinning on a terminal that is no more.
TEST(Terminal, HangUpWhileWaitingEndsTheProgram) {
  for (const Wait& wait : Waits) {
    SCOPED_TRACE(wait.Name);
    Pty pty(80, 30);
    const pid_t pid = StartOn(pty);
    ASSERT_TRUE(pty.WaitQuiet(PromptEnd, 1));
    pty.Send(wait.Keys);
    ASSERT_TRUE(pty.WaitQuiet(wait.Shown, wait.Count));
    pty.HangUp();
    int status = 0;
    EXPECT_TRUE(WaitChild(pid, 3000, status)) << "still running after the hang-up";
    EXPECT_NE(ExitText(status), "exit 0");
  }
}

}  // namespace
}  // namespace nagyszam::reliability
