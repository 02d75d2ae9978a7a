// What the terminal receives, byte for byte: a cursor move only where the
// terminal's cursor is not already where the next glyph or the window's
// cursor goes. Typing sends the glyph alone; over a slow line every
// redundant move is felt. (That the screen shows the window is the
// terminal fuzz target's job, against a real terminal emulator.)
#include "console/posix/terminal_backend.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/console_backend.h"
#include "console/short_text.h"

namespace nagyszam {
namespace {

struct Step {
  std::function<void()> output;
  std::string sent;
};

struct Case {
  const char* name;
  int width, height, columns, rows;  // the window's size and the terminal's
  std::vector<Step> steps;
};

const Case kCases[] = {
    {"typing on a known cursor",
     10,
     3,
     10,
     3,
     {{[] { WriteText(Cp852Text(u8"abc")); }, "\x1b[1;1Habc"},  // the first output places it
      {[] { WriteText(Cp852Text(u8"de")); }, "de"},
      {[] { WriteChar('f'); }, "f"},
      {[] { PlaceCursor(7, 2); }, "\x1b[2;7H"},
      {[] { PlaceCursor(7, 2); }, ""},
      {[] { WriteChar('x'); }, "x"},
      {[] { EndLine(); }, "\x1b[3;1H"}}},
    {"the terminal's last column defers its wrap",
     10,
     3,
     10,
     3,
     {{[] { PlaceCursor(9, 1); }, "\x1b[1;9H"},
      {[] { WriteText(Cp852Text(u8"yz")); }, "yz\x1b[2;1H"},
      {[] { WriteChar('w'); }, "w"}}},
    {"the window's last column inside a wider terminal",
     5,
     2,
     8,
     3,
     {{[] { PlaceCursor(4, 1); }, "\x1b[1;4H"},
      {[] { WriteText(Cp852Text(u8"pq")); }, "pq\x1b[2;1H"},
      {[] { WriteChar('r'); }, "r"}}},
    {"a clear of the whole terminal homes the cursor",
     6,
     2,
     6,
     2,
     {{[] { PlaceCursor(3, 2); }, "\x1b[2;3H"},
      {[] { ClearScreen(); }, "\x1b[H\x1b[2J"},
      {[] { WriteChar('a'); }, "a"},
      {[] { ClearScreen(); }, "\x1b[H\x1b[2J"}}},
    // The case before leaves the terminal's cursor known, at home: a new
    // start cannot know that the terminal still has it there.
    {"a new start places the cursor again", 6, 2, 6, 2, {{[] { WriteChar('b'); }, "\x1b[1;1Hb"}}},
};

TEST(TerminalBackend, SendsACursorMoveOnlyWhereNeeded) {
  Charset chars{};
  MakeCharset("UTF-8", chars);
  const int fd = memfd_create("terminal", 0);
  ASSERT_GE(fd, 0);
  for (const Case& c : kCases) {
    UseConsoleBackend(StartTerminalBackend(fd, chars, c.columns, c.rows), c.width, c.height);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      ASSERT_EQ(ftruncate(fd, 0), 0);
      ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
      c.steps[i].output();
      std::string sent(256, '\0');
      sent.resize(static_cast<std::size_t>(std::max<ssize_t>(pread(fd, sent.data(), 256, 0), 0)));
      EXPECT_EQ(sent, c.steps[i].sent) << c.name << ", step " << i;
    }
  }
  close(fd);
}

}  // namespace
}  // namespace nagyszam
