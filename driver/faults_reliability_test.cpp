// Output faults through the real program: standard output closed, open only
// for reading, a full disk, a reader that goes away in the middle of the
// dialogue. Each ends in the run-time error report on standard error and
// its exit code, never a hang and never a silent success. And a scripted run
// killed by a signal: its transcript is kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/program_run.h"
#include "driver/reliability_child.h"

namespace nagyszam::reliability {
namespace {

constexpr char ExampleKeys[] = "7\n3\n \n+12\n+5\nq";

bool IsLocation(const std::string& text) {
  return text.size() == 8 && text.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

// "Runtime error N at $" and a location, a line "  $" with the same one, one
// more such line per calling level, an empty line; CR LF line ends.
bool IsReport(const std::string& text, int code) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size() || lines.size() < 3 || !lines.back().empty()) return false;
  const std::string head = "Runtime error " + std::to_string(code) + " at $";
  if (lines[0].rfind(head, 0) != 0 || !IsLocation(lines[0].substr(head.size()))) return false;
  if (lines[1] != "  $" + lines[0].substr(head.size())) return false;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i)
    if (lines[i].rfind("  $", 0) != 0 || !IsLocation(lines[i].substr(3))) return false;
  return true;
}

struct Ending {
  int Status;
  std::string Errors;
  bool Ended;
};

// Runs the program with the keys on a pipe and the given standard output
// (-1: closed), standard error read back.
Ending RunWithOutput(int out, const std::string& lines, const std::string& keys) {
  int in[2], err[2];
  if (pipe(in) != 0 || pipe(err) != 0) return {0, "no pipes", false};
  Launch launch;
  launch.In = in[0];
  launch.Out = out;
  launch.Err = err[1];
  launch.Env = {"COLUMNS=80", "LINES=" + lines};
  const pid_t pid = Spawn(launch);
  close(in[0]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  // The program may have ended before it reads a key: the write may fail.
  [[maybe_unused]] const ssize_t sent = write(in[1], keys.data(), keys.size());
  close(in[1]);
  Ending e{};
  e.Errors = ReadAll(err[0], 5000);
  close(err[0]);
  e.Ended = WaitChild(pid, 5000, e.Status);
  return e;
}

TEST(Faults, EachOutputFaultGivesItsReportAndCode) {
  const int readOnly = open("/dev/null", O_RDONLY);
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(readOnly, 0);
  ASSERT_GE(full, 0);
  const struct {
    const char* Name;
    int Out;
    const char* Lines;  // 25: rows scroll out during the dialogue; 60: only at the end
    const char* Keys;
    int Code;
  } cases[] = {
      {"standard output closed", -1, "25", ExampleKeys, 103},
      {"standard output only for reading", readOnly, "25", ExampleKeys, 105},
      {"no space left, rows scrolling out", full, "25", ExampleKeys, 101},
      {"no space left, the window at the end", full, "60", ExampleKeys, 101},
      {"no space left, the window at the end of input", full, "60", "7", 101},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const Ending e = RunWithOutput(c.Out, c.Lines, c.Keys);
    ASSERT_TRUE(e.Ended) << "hung";
    EXPECT_EQ(ExitText(e.Status), "exit " + std::to_string(c.Code));
    EXPECT_TRUE(IsReport(e.Errors, c.Code)) << e.Errors;
  }
  close(readOnly);
  close(full);
}

// The reader of the transcript goes away after the first rows: the next
// row that scrolls out cannot be written.
TEST(Faults, ReaderGoneInTheMiddleOfTheDialogue) {
  int in[2], out[2], err[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  ASSERT_EQ(pipe(err), 0);
  Launch launch;
  launch.In = in[0];
  launch.Out = out[1];
  launch.Err = err[1];
  launch.Env = {"COLUMNS=80", "LINES=4"};
  const pid_t pid = Spawn(launch);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  // The heading and the first prompt row scroll out once the first entry
  // is typed.
  ASSERT_GT(write(in[1], "7\n", 2), 0);
  std::string early;
  const long long deadline = Millis() + 5000;
  while (early.find('\n') == std::string::npos && Millis() < deadline)
    early += ReadAll(out[0], 100);
  ASSERT_NE(early.find("----"), std::string::npos) << early;
  close(out[0]);
  const std::string rest = "3\n \n+12\n+5\nq";
  ASSERT_GT(write(in[1], rest.data(), rest.size()), 0);
  close(in[1]);
  const std::string errors = ReadAll(err[0], 5000);
  close(err[0]);
  int status = 0;
  ASSERT_TRUE(WaitChild(pid, 5000, status)) << "hung";
  EXPECT_EQ(ExitText(status), "exit 101");
  EXPECT_TRUE(IsReport(errors, 101)) << errors;
}

// True once the program has read every key sent and sleeps, waiting for more.
bool WaitsForKeys(pid_t pid, int keys) {
  const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
  for (const long long deadline = Millis() + 5000; Millis() < deadline; usleep(5000)) {
    int unread = -1;
    ioctl(keys, FIONREAD, &unread);
    const int fd = open(stat.c_str(), O_RDONLY);
    const std::string fields = ReadAll(fd, 100);
    close(fd);
    const std::size_t state = fields.rfind(") ") + 2;
    if (unread == 0 && state < fields.size() && fields[state] == 'S') return true;
  }
  return false;
}

// A scripted run killed while it waits for a key: its transcript holds every
// row shown, as at the end of input, and the process ends by the signal.
TEST(Faults, KilledScriptedRunKeepsItsTranscript) {
  const std::string keys = "7\n3\n \n";
  const struct {
    int Signal;
    int Lines;  // 4: most rows have scrolled out by then
  } cases[] = {{SIGTERM, 25}, {SIGHUP, 25}, {SIGINT, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.Signal));
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    Launch launch;
    launch.In = in[0];
    launch.Out = out[1];
    launch.Env = {"COLUMNS=80", "LINES=" + std::to_string(c.Lines)};
    const pid_t pid = Spawn(launch);
    close(out[1]);
    ASSERT_EQ(write(in[1], keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    EXPECT_TRUE(WaitsForKeys(pid, in[0]));
    kill(pid, c.Signal);
    const std::string transcript = ReadAll(out[0], 5000);
    int status = 0;
    ASSERT_TRUE(WaitChild(pid, 5000, status)) << "hung";
    EXPECT_EQ(ExitText(status), std::string("signal ") + strsignal(c.Signal));
    EXPECT_EQ(transcript, nagyszam::testing::RunScripted(keys, 80, c.Lines).Transcript);
    for (int fd : {in[0], in[1], out[0]}) close(fd);
  }
}

}  // namespace
}  // namespace nagyszam::reliability
