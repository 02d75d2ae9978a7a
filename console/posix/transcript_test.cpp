// The demo program with standard output that is no terminal: the window
// as a transcript, and each way an output error ends the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/cp852.h"
#include "console/posix/child_process_test_util.h"
#include "console/window.h"

namespace nagyszam {
namespace {

using test::DemoLaunch;

struct Outcome {
  std::string Out;
  std::string Err;
  int Status = -1;
  bool Ended = false;
};

int ExitCode(const Outcome& o) {
  return WIFEXITED(o.Status) ? WEXITSTATUS(o.Status) : -1;
}

// Runs the demo with stdout and stderr read through pipes; stdin is
// /dev/null unless the launch gives one.
Outcome RunDemo(DemoLaunch launch, bool closeStdin = false) {
  int out[2], err[2];
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  const int nullIn = open("/dev/null", O_RDONLY);
  if (launch.In < 0 && !closeStdin) launch.In = nullIn;
  if (launch.Out < 0) launch.Out = out[1];
  launch.Err = err[1];
  const pid_t pid = test::SpawnDemo(launch);
  close(out[1]);
  close(err[1]);
  close(nullIn);
  Outcome o;
  o.Out = test::ReadAll(out[0], 5000);
  o.Err = test::ReadAll(err[0], 5000);
  o.Ended = test::WaitChild(pid, 5000, o.Status);
  close(out[0]);
  close(err[0]);
  return o;
}

std::string LastLine(const std::string& out) {
  const std::size_t end = out.size() - (out.empty() || out.back() != '\n' ? 0 : 1);
  const std::size_t start = out.rfind('\n', end == 0 ? 0 : end - 1);
  return out.substr(start == std::string::npos ? 0 : start + 1,
                    end - (start == std::string::npos ? 0 : start + 1));
}

TEST(TranscriptTest, WindowSizeFromTheEnvironment) {
  const struct {
    const char* Columns;
    const char* Lines;
    int Width, Height;
  } cases[] = {
      {"20", "3", 20, 3},   {"255", "255", 255, 255},   {"3", "1", 3, 1},   {"0", "3", 80, 3},
      {"256", "3", 80, 3},  {"20", "abc", 20, 25},      {"-5", "", 80, 25}, {"12x", " 4", 80, 25},
      {"007", "+9", 7, 25}, {nullptr, nullptr, 80, 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Columns ? c.Columns : "unset") + " x " +
                 (c.Lines ? c.Lines : "unset"));
    DemoLaunch launch;
    if (c.Columns) launch.Env.push_back(std::string("COLUMNS=") + c.Columns);
    if (c.Lines) launch.Env.push_back(std::string("LINES=") + c.Lines);
    // After many line ends the cursor stands on the bottom row.
    launch.Steps = {"l300", "w"};
    const Outcome rows = RunDemo(launch);
    ASSERT_TRUE(rows.Ended);
    EXPECT_EQ(ExitCode(rows), 0) << rows.Err;
    EXPECT_EQ(LastLine(rows.Out), "1," + std::to_string(c.Height));
    // A text longer than a row wraps at the width.
    launch.Steps = {"t" + test::Escaped(std::string(255, 'x'))};
    const Outcome wide = RunDemo(launch);
    EXPECT_EQ(wide.Out.substr(0, wide.Out.find('\n')), std::string(c.Width, 'x'));
  }
}

TEST(TranscriptTest, RowsAsTheyScrollOutThenTheWindow) {
  const struct {
    const char* Name;
    std::vector<std::string> Steps;
    std::string Want;
  } cases[] = {
      {"scrolled rows first, then rows to the last shown",
       {"l5"},
       "line 1\nline 2\nline 3\nline 4\nline 5\n"},
      {"trailing blanks dropped, blank rows kept inside",
       {"tab   \\r\\n\\r\\n  c  \\x00"},
       "ab\n\n  c\n"},
      {"cleared rows are not written", {"tgone", "c", "tkept"}, "kept\n"},
      {"nothing written: nothing shown", {"p5,2"}, ""},
      {"byte 0 shows as a blank", {"t\\x00\\x00a\\x00"}, "  a\n"},
      {"cursor placed writes over", {"tabcdef", "p2,1", "tX"}, "aXcdef\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    DemoLaunch launch;
    launch.Env = {"COLUMNS=20", "LINES=3"};
    launch.Steps = c.Steps;
    const Outcome o = RunDemo(launch);
    ASSERT_TRUE(o.Ended);
    EXPECT_EQ(ExitCode(o), 0) << o.Err;
    EXPECT_EQ(o.Out, c.Want);
    EXPECT_EQ(o.Err, "");
  }
}

// The rows a transcript of the model shows: glyphs as UTF-8, trailing
// blanks dropped, rows down to the last one that shows something.
std::string ShownRows(const Window& window) {
  std::string shown;
  int last = window.Height;
  while (last > 0 && ShownRowLength(window.Cells[last - 1], window.Width) == 0) --last;
  for (int row = 0; row < last; ++row) {
    for (int column = 0; column < ShownRowLength(window.Cells[row], window.Width); ++column)
      shown += test::Utf8(Cp852Glyph[window.Cells[row][column]]);
    shown += "\n";
  }
  return shown;
}

TEST(TranscriptTest, EveryByteShowsAsItsGlyph) {
  for (const char* locale : {"C.UTF-8", "C", "POSIX"}) {
    SCOPED_TRACE(locale);
    DemoLaunch launch;
    launch.Env = {"COLUMNS=64", "LINES=10", std::string("LC_ALL=") + locale};
    launch.Steps = {"a"};
    const Outcome o = RunDemo(launch);
    ASSERT_TRUE(o.Ended);
    EXPECT_EQ(ExitCode(o), 0);
    auto window = std::make_unique<Window>();
    StartWindow(64, 10, *window);
    WindowChange change;
    for (int b = 0; b < 256; ++b) ApplyByte(static_cast<std::uint8_t>(b), *window, change);
    EXPECT_EQ(o.Out, ShownRows(*window));
    // No byte of the program reaches the output as a control character.
    for (unsigned char ch : o.Out) EXPECT_TRUE((ch >= 0x20 && ch != 0x7F) || ch == '\n') << int(ch);
  }
}

bool IsHex8(const std::string& s, std::size_t at) {
  if (at + 8 > s.size()) return false;
  for (std::size_t i = at; i < at + 8; ++i)
    if (!std::isdigit(static_cast<unsigned char>(s[i])) && (s[i] < 'A' || s[i] > 'F')) return false;
  return true;
}

// The locations of a run-time error report with the code, each as 8 hex
// digits; empty when the text is not exactly such a report.
std::vector<std::string> ReportLocations(const std::string& text, int code) {
  const std::string head = "Runtime error " + std::to_string(code) + " at $";
  if (text.rfind(head, 0) != 0 || !IsHex8(text, head.size())) return {};
  const std::string failing = text.substr(head.size(), 8);
  std::size_t at = head.size() + 8;
  std::vector<std::string> levels;
  while (text.compare(at, 5, "\r\n  $") == 0 && IsHex8(text, at + 5)) {
    levels.push_back(text.substr(at + 5, 8));
    at += 13;
  }
  if (levels.empty() || levels[0] != failing || text.substr(at) != "\r\n\r\n") return {};
  return levels;
}

TEST(TranscriptTest, OutputErrorsGiveTheReportAndTheExitCode) {
  const int readOnly = open("/dev/null", O_RDONLY);
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(readOnly, 0);
  ASSERT_GE(full, 0);
  int closedPipe[2];
  ASSERT_EQ(pipe(closedPipe), 0);
  close(closedPipe[0]);
  const struct {
    const char* Name;
    int Out;
    std::vector<std::string> Steps;
    int Code;
  } cases[] = {
      {"standard output closed", -2, {"tx"}, 103},
      {"standard output only for reading", readOnly, {"tx"}, 105},
      {"no space left", full, {"l30"}, 101},
      {"reader gone", closedPipe[1], {"l30"}, 101},
      {"no space left at the end", full, {"tshort"}, 101},
      {"reader gone at the end", closedPipe[1], {"tshort"}, 101},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    DemoLaunch launch;
    launch.Out = c.Out;
    launch.Steps = c.Steps;
    Outcome o;
    if (c.Out == -2) {
      // Closed: the launch's -1 closes stdout in the child.
      int err[2];
      ASSERT_EQ(pipe(err), 0);
      launch.Out = -1;
      launch.Err = err[1];
      launch.In = open("/dev/null", O_RDONLY);
      const pid_t pid = test::SpawnDemo(launch);
      close(err[1]);
      close(launch.In);
      o.Err = test::ReadAll(err[0], 5000);
      o.Ended = test::WaitChild(pid, 5000, o.Status);
      close(err[0]);
    } else {
      o = RunDemo(launch);
    }
    ASSERT_TRUE(o.Ended);
    EXPECT_EQ(ExitCode(o), c.Code);
    // Standard output cannot take the report: it is on standard error.
    EXPECT_FALSE(ReportLocations(o.Err, c.Code).empty()) << o.Err;
  }
  close(readOnly);
  close(full);
  close(closedPipe[1]);
}

// The locations are the program's own code: each one maps to a source line
// of the demo or the console layer.
TEST(TranscriptTest, ReportLocationsAreInTheProgram) {
  if (std::system("command -v addr2line >/dev/null 2>&1") != 0) GTEST_SKIP() << "no addr2line";
  const int full = open("/dev/full", O_WRONLY);
  DemoLaunch launch;
  launch.Out = full;
  launch.Steps = {"l30"};
  const Outcome o = RunDemo(launch);
  close(full);
  const std::vector<std::string> levels = ReportLocations(o.Err, 101);
  // The failing level in Step, then main that called it.
  ASSERT_GE(levels.size(), 2u) << o.Err;
  std::string locations;
  for (const std::string& level : levels) locations += " 0x" + level;
  const std::string command = std::string("addr2line -f -i -e ") + CONSOLE_DEMO + locations;
  FILE* lines = popen(command.c_str(), "r");
  ASSERT_NE(lines, nullptr);
  std::string answer;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, lines) != nullptr) answer += buffer;
  pclose(lines);
  EXPECT_NE(answer.find("console_demo.cpp"), std::string::npos) << answer;
  EXPECT_NE(answer.find("Step"), std::string::npos) << answer;
  EXPECT_NE(answer.find("main"), std::string::npos) << answer;
  EXPECT_EQ(answer.find("??:"), std::string::npos) << answer;
}

TEST(TranscriptTest, EndOfInputEndsAtOnce) {
  int in[2];
  ASSERT_EQ(pipe(in), 0);
  int out[2], err[2];
  ASSERT_EQ(pipe(out), 0);
  ASSERT_EQ(pipe(err), 0);
  DemoLaunch launch;
  launch.Env = {"COLUMNS=20", "LINES=3"};
  launch.Steps = {"l5", "K"};
  launch.In = in[0];
  launch.Out = out[1];
  launch.Err = err[1];
  const pid_t pid = test::SpawnDemo(launch);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // The rows that scrolled out are there while the program waits for a key.
  std::string early;
  const long long deadline = test::Millis() + 5000;
  while (early.size() < 21 && test::Millis() < deadline) early += test::ReadAll(out[0], 100);
  EXPECT_EQ(early, "line 1\nline 2\nline 3\n");
  // Keys from a pipe: a line end is Enter, DEL is Backspace; then the end.
  const char keys[] = "a\n\x7f";
  ASSERT_EQ(write(in[1], keys, 3), 3);
  close(in[1]);
  const std::string rest = test::ReadAll(out[0], 5000);
  const std::string message = test::ReadAll(err[0], 5000);
  int status = 0;
  ASSERT_TRUE(test::WaitChild(pid, 5000, status));
  EXPECT_EQ(rest, "line 4\nline 5\n97 13 8\n");
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
  EXPECT_NE(message.find("end of input"), std::string::npos);
  close(out[0]);
  close(err[0]);
}

}  // namespace
}  // namespace nagyszam
