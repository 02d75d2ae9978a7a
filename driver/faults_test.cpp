// Each way the program can end or be disturbed, with how it must end, what
// standard error must hold (the run-time error report naming the function of
// the checked write that met the fault, the end of input's message, or
// nothing) and what must be left shown; a terminal must be left as found.
// Every wait for a key must be one without a time limit, costing no
// processor time (Session::WaitForKey).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>

#include "driver/testing/program_run.h"

namespace nagyszam::testing {
namespace {

struct Fault {
  // What happens once the first keys are read: a signal named, "hang up",
  // "reader gone", "written over" (then SIGCONT), "redraws" (many SIGCONT),
  // "nobody reads"; "valgrind" or "nohup": run under it. For a shell, its
  // commands after the program stopped.
  const char* What;
  Wiring How;
  int Columns, Lines;
  std::vector<std::string> Keys;  // the first once asked for the cursor, each next once waited for
  int Ends;                       // the exit code, or minus the ending signal
  // For an output error's code, the function the run-time error report
  // names first; else the transcript or screen left, if checked.
  const char* Left;
  friend void PrintTo(const Fault& row, std::ostream* out) { *out << row.What; }
};

const std::string Ex = "7\r3\r \r+12\r+5\rq", Sub = "3\r7\r \r-7\r+2\r";
// Stopped, the terminal is as found; continued in the background, the
// program leaves it alone (it is not stopped again); at fg it takes it back
// (BEL, a key that shows nothing, must be read) and draws the window at once;
// a second stop is like the first.
const char* const BgFg =
    "[ \"$(stty -g)\" = \"$found\" ] && bg && sleep .5 && [ -z \"$(jobs -s)\" ] && fg; "
    "[ \"$(stty -g)\" = \"$found\" ] && fg";
using W = Wiring;

const Fault Faults[] = {
    {"stdout closed", W::Closed, 80, 25, {Ex}, 103, "ReadOperands"},
    {"stdout only for reading", W::ReadOnly, 80, 25, {Ex}, 105, "ReadOperands"},
    {"no space for a row scrolling out", W::Full, 80, 7, {Ex}, 101, "WriteNemNegEgesz"},
    {"no space for the window at the end", W::Full, 80, 60, {Ex}, 101, "main"},
    {"no space at the end of input", W::Full, 80, 60, {"7"}, 101, "EndOfInput"},
    {"reader gone", W::Pipes, 80, 4, {"7\r", Ex.substr(2)}, 101, "StoreDigits"},
    {"valgrind", W::Full, 80, 3, {Ex}, 101, "WritePromptRow"},
    {"stdout closed, keys on a terminal", W::KeysOnly, 80, 25, {Ex}, 103, "ReadOperands"},
    // At the last key wait; a killed run leaves the transcript of the end of input.
    {"SIGTERM", W::Pipes, 80, 25, {Sub}, -SIGTERM, "subtraction_80"},
    {"SIGHUP, rows out", W::Pipes, 80, 4, {Sub}, -SIGHUP, "subtraction_80"},
    {"SIGINT", W::Pipes, 80, 60, {Sub}, -SIGINT, "subtraction_80"},
    {"nohup, SIGHUP", W::Pipes, 80, 25, {Sub}, 1, "subtraction_80"},
    {"end of input", W::ScreenOnly, 80, 25, {Sub}, 1, "subtraction_80"},
    // A read error (not an interruption, nor "try again") ends the input.
    {"keys unreadable", W::Unreadable, 80, 25, {""}, 1, nullptr},
    {"Ctrl-C", W::Terminal, 80, 25, {Sub, "\x03"}, -SIGINT, "subtraction_80"},
    {"quit key", W::Terminal, 80, 25, {Sub, "\x1c"}, -SIGQUIT, "subtraction_80"},
    {"SIGTERM", W::Terminal, 80, 25, {Sub}, -SIGTERM, "subtraction_80"},
    {"hang up", W::Terminal, 80, 25, {Sub}, -SIGHUP, "subtraction_80"},
    {"valgrind, SIGTERM", W::Terminal, 80, 25, {Sub}, -SIGTERM, "subtraction_80"},
    {"written over, hang up", W::Terminal, 80, 25, {"7"}, -SIGHUP, "first_prompt_80"},
    // One column: the redraws are mostly escape sequences.
    {"SIGTERM amid redraws", W::Terminal, 1, 200, {""}, -SIGTERM, nullptr},
    {"SIGTERM amid redraws nobody reads", W::Terminal, 1, 200, {""}, -SIGTERM, nullptr},
    {BgFg, W::Shell, 80, 60, {"7", "\x1a", "\a", "\x1a", "\a", "\x03"}, 130, "first_prompt_80"},
    // A stopped job ends once continued (bash's kill sends SIGCONT itself but
    // still takes the job for stopped).
    {"kill %1; kill -CONT %1; wait %1", W::Shell, 80, 60, {"7", "\x1a"}, 143, nullptr},
    {"kill -HUP %1; kill -CONT %1; wait %1", W::Shell, 80, 60, {"7", "\x1a"}, 129, nullptr},
    {"kill -INT %1; kill -CONT %1; wait %1", W::Shell, 80, 60, {"7", "\x1a"}, 130, nullptr},
};

// The function around a location of the report (a return address): the
// nearest definition above its source line, which starts in the first column.
std::string FunctionAt(const std::string& location) {
  char command[512], where[512] = "";
  std::snprintf(command, sizeof command, "addr2line -e %s 0x%lx", NAGYSZAM_PROGRAM,
                std::stoul(location, nullptr, 16) - 1);
  FILE* answer = popen(command, "r");
  if (answer != nullptr && std::fgets(where, sizeof where, answer) == nullptr) where[0] = '\0';
  if (answer != nullptr) pclose(answer);
  const std::string path = where;
  std::ifstream source(path.substr(0, path.rfind(':')));
  const int line = std::atoi(path.c_str() + path.rfind(':') + 1);
  static const std::regex definition("[^ /#}].*?(\\w+)\\(.*");
  std::string function, text;
  std::smatch name;
  for (int i = 1; i <= line && std::getline(source, text); ++i)
    if (std::regex_match(text, name, definition)) function = name[1];
  return function;
}

class FaultTable : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultTable, EndsAsItMust) {
  const Fault& f = GetParam();
  const std::string what = f.What;
  const auto has = [&what](const char* text) { return what.find(text) != std::string::npos; };
#if defined(__SANITIZE_ADDRESS__) || defined(__clang__)
  // A sanitizer's runtime does not run under valgrind; clang's debug information it cannot read.
  if (has("valgrind")) GTEST_SKIP() << "no valgrind in this build";
#endif
  const bool terminal = f.How >= W::Terminal, pipedKeys = !terminal || f.How == W::ScreenOnly;
  int signal = 0;
  for (int s : {SIGTERM, SIGHUP, SIGINT})
    if (has(("SIG" + std::string(sigabbrev_np(s))).c_str())) signal = s;
  const char* wrapper = has("valgrind") ? "valgrind" : has("nohup") ? "nohup" : "";
  Session run({f.How,
               f.Columns,
               f.Lines,
               {"COLUMNS=80", "LINES=" + std::to_string(f.Lines)},
               true,
               wrapper,
               f.How == W::Shell ? what : ""});
  run.Type(f.Keys[0]);
  if (f.How != W::Shell && (signal != 0 || has("hang") || has("reader") || has("written"))) {
    ASSERT_TRUE(run.WaitForKey());
    for (int i = 0; has("redraws") && i < 50; ++i, usleep(2000)) run.Signal(SIGCONT);
    if (has("written over")) {
      run.Show("\x1b[H\x1b[2J$ fg");
      run.Signal(SIGCONT);
      ASSERT_TRUE(run.WaitForKey());
    }
    if (signal != 0) run.Signal(signal);
    // It gives up a second after the last byte went, reading nothing.
    const auto signalled = std::chrono::steady_clock::now();
    for (int i = 0; has("nobody reads") && i < 500 && !run.Ended(); ++i) usleep(10000);
    EXPECT_TRUE(!has("nobody reads") ||
                std::chrono::steady_clock::now() - signalled < std::chrono::milliseconds(1800))
        << "still writing to a terminal nobody reads";
    if (has("hang up")) run.EndInput();
    if (has("reader gone")) run.CloseReader();
  }
  for (std::size_t i = 1; i < f.Keys.size(); ++i) {
    ASSERT_TRUE(run.WaitForKey());
    run.Type(f.Keys[i]);
  }
  if (pipedKeys && f.Ends >= 0) run.EndInput();
  EXPECT_EQ(run.End(), f.Ends);
  const bool reported = f.Ends > 100 && f.Ends < 128;  // an output error's code
  if (reported) {
    std::smatch report;
    const std::regex form(
        "Runtime error (\\d+) at \\$([0-9A-F]{8})\r\n  \\$\\2\r\n(  \\$[0-9A-F]{8}\r\n)*\r\n");
    ASSERT_TRUE(std::regex_match(run.Err, report, form)) << run.Err;
    EXPECT_EQ(report[1], std::to_string(f.Ends));
    EXPECT_EQ(FunctionAt(report[2]), f.Left);
  } else if (!has("hang up")) {  // which ends the input too, and its message may come first
    EXPECT_EQ(run.Err, f.Ends == 1 ? "nagyszam: end of input\n" : "");
  }
  if (f.Left != nullptr && !reported) {
    EXPECT_EQ(run.Shown(), Expected(f.Left));
  }
  EXPECT_TRUE(!terminal || has("hang up") || run.AsFound()) << "the terminal not as found";
  // Only a terminal that stops reading may be left an escape sequence or a
  // character begun and not finished.
  const std::regex cut(
      "(\x1b[\\[0-9;]*|[\xC0-\xDF]|[\xE0-\xEF][\x80-\xBF]?|[\xF0-\xF7][\x80-\xBF]{0,2})$");
  const std::string tail = run.Out.substr(run.Out.size() > 64 ? run.Out.size() - 64 : 0);
  EXPECT_TRUE(!terminal || has("nobody reads") || !std::regex_search(tail, cut)) << "cut short";
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultTable, ::testing::ValuesIn(Faults),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                           std::string name = info.param.What + std::to_string(info.index);
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace nagyszam::testing
