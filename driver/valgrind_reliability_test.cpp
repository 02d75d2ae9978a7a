// The real program under valgrind's memory checker: the scripted dialogue,
// the end of input, an output fault and the dialogue on a terminal must run
// without one report (valgrind's own exit code 99 says there was one).
// Skipped where valgrind is missing, in sanitizer builds, whose runtime
// cannot run under it, and for clang builds, whose DWARF 5 debug information
// this valgrind cannot read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "driver/reliability_child.h"

#if defined(__SANITIZE_ADDRESS__)
#define NAGYSZAM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NAGYSZAM_ASAN 1
#endif
#endif

namespace nagyszam::reliability {
namespace {

const std::vector<std::string> Valgrind = {"valgrind",
                                           "-q",
                                           "--error-exitcode=99",
                                           "--leak-check=full",
                                           "--errors-for-leak-kinds=definite,indirect",
                                           "--track-fds=no"};

// Empty when valgrind can run the program, else why not.
std::string WhyNoValgrind() {
#ifdef NAGYSZAM_ASAN
  return "a sanitizer build does not run under valgrind";
#endif
#ifdef __clang__
  return "valgrind cannot read clang's debug information";
#endif
  if (std::system("command -v valgrind >/dev/null 2>&1") != 0) return "no valgrind";
  return "";
}

TEST(Valgrind, ScriptedRunsAreClean) {
  if (const std::string why = WhyNoValgrind(); !why.empty()) GTEST_SKIP() << why;
  const int full = open("/dev/full", O_WRONLY);
  const struct {
    const char* Name;
    std::string Keys;
    bool Full;
    int Code;
  } cases[] = {
      {"the whole dialogue", "7\n3\n \n+12\n+5\nq", false, 0},
      {"256-digit operands",
       std::string(256, '9') + "\n" + std::string(200, '7') + "\n \n-" + std::string(256, '9') +
           "\n+" + std::string(128, '3') + "\nq",
       false, 0},
      {"end of input in an entry", "7\n3\n \n+1\x1b[", false, 1},
      {"no space left", "7\n3\n \n+12\n+5\nq", true, 101},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    int in[2], out[2], err[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    ASSERT_EQ(pipe(err), 0);
    Launch launch;
    launch.In = in[0];
    launch.Out = c.Full ? full : out[1];
    launch.Err = err[1];
    launch.Env = {"COLUMNS=80", "LINES=25"};
    launch.Wrapper = Valgrind;
    const pid_t pid = Spawn(launch);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    ASSERT_EQ(write(in[1], c.Keys.data(), c.Keys.size()), static_cast<ssize_t>(c.Keys.size()));
    close(in[1]);
    const std::string transcript = ReadAll(out[0], 60000);
    const std::string errors = ReadAll(err[0], 60000);
    close(out[0]);
    close(err[0]);
    int status = 0;
    ASSERT_TRUE(WaitChild(pid, 60000, status));
    EXPECT_EQ(ExitText(status), "exit " + std::to_string(c.Code)) << errors;
    EXPECT_EQ(errors.find("=="), std::string::npos) << errors;
    if (!c.Full) {
      EXPECT_FALSE(transcript.empty());
    }
  }
  close(full);
}

TEST(Valgrind, DialogueOnATerminalIsClean) {
  if (const std::string why = WhyNoValgrind(); !why.empty()) GTEST_SKIP() << why;
  Pty pty(80, 60);
  const termios before = pty.Settings();
  int err[2];
  ASSERT_EQ(pipe(err), 0);
  Launch launch;
  launch.In = launch.Out = launch.Tty = pty.Slave();
  launch.Err = err[1];
  launch.Wrapper = Valgrind;
  const pid_t pid = Spawn(launch);
  close(err[1]);
  ASSERT_TRUE(pty.WaitQuiet("jegyű):", 1, 300, 30000));
  pty.Send("7\r3\r +12\r+5\rq");
  int status = 0;
  ASSERT_TRUE(pty.RunToEnd(pid, 60000, status));
  const std::string errors = ReadAll(err[0], 1000);
  close(err[0]);
  EXPECT_EQ(ExitText(status), "exit 0") << errors;
  EXPECT_EQ(errors.find("=="), std::string::npos) << errors;
  EXPECT_TRUE(SameSettings(pty.Settings(), before));
}

}  // namespace
}  // namespace nagyszam::reliability
