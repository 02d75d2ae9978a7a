// What a real terminal sends: tmux encodes each named key for a program in
// its pane; the bytes it sends must decode to that key.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "console/charset.h"
#include "console/key_decoder.h"

namespace nagyszam {
namespace {

struct NamedKey {
  const char* tmuxName;
  const char* event;  // scan/character and modifiers (Shift, Ctrl, Alt, Enhanced)
};

std::string Describe(const KeyEvent& e) {
  std::string s = std::to_string(e.ScanCode) + "/" + std::to_string(e.Character);
  if (e.Shift) s += " S";
  if (e.Ctrl) s += " C";
  if (e.LeftAlt) s += " A";
  if (e.Enhanced) s += " E";
  return s;
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Types the keys into a tmux pane whose program records its raw input,
// each key followed by an 'x', and returns what the program received.
std::string TypeInTmux(const std::vector<NamedKey>& keys, const std::string& paneSetup) {
  char dirTemplate[] = "/tmp/nagyszam-keys-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string tmux = "env -u TMUX tmux -S " + dir + "/socket -f /dev/null ";
  const std::string pane =
      paneSetup + "stty raw -echo; touch " + dir + "/ready; exec cat > " + dir + "/input";
  std::string received;
  if (Shell(tmux + "new-session -d -x 80 -y 24 '" + pane + "'")) {
    for (int i = 0; i < 500 && access((dir + "/ready").c_str(), F_OK) != 0; ++i) usleep(10000);
    std::string send = tmux + "send-keys";
    for (const NamedKey& k : keys) send += std::string(" '") + k.tmuxName + "' x";
    Shell(send + " Q");
    for (int i = 0; i < 500; ++i) {
      received = ReadFile(dir + "/input");
      if (!received.empty() && received.back() == 'Q') break;
      usleep(10000);
    }
    Shell(tmux + "kill-server");
  }
  Shell("rm -rf " + dir);
  return received;
}

std::vector<std::string> DecodeAll(const std::string& bytes) {
  Charset chars;
  MakeCharset("UTF-8", chars);
  KeyDecoder d;
  StartKeyDecoder(d, chars, true);
  std::vector<std::string> keys;
  KeyEvent out[MaxDecodedEvents];
  for (char c : bytes) {
    const int n = FeedKeyByte(d, static_cast<std::uint8_t>(c), 0, out);
    for (int i = 0; i < n; ++i) keys.push_back(Describe(out[i]));
  }
  const int n = EndKeyDecoder(d, out);
  for (int i = 0; i < n; ++i) keys.push_back(Describe(out[i]));
  return keys;
}

void ExpectDecoded(const std::vector<NamedKey>& keys, const std::string& paneSetup) {
  const std::string received = TypeInTmux(keys, paneSetup);
  ASSERT_FALSE(received.empty()) << "tmux delivered nothing";
  std::vector<std::string> expected;
  for (const NamedKey& k : keys) {
    expected.push_back(std::string(k.tmuxName) + " " + k.event);
    expected.push_back("x 45/120");
  }
  expected.push_back("Q 16/81 S");
  // Pair each decoded event with the name of the key it should be.
  const std::vector<std::string> decoded = DecodeAll(received);
  std::vector<std::string> named;
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const std::string& name =
        i < expected.size() ? expected[i].substr(0, expected[i].find(' ')) : std::string("extra");
    named.push_back(name + " " + decoded[i]);
  }
  EXPECT_EQ(named, expected) << testing::PrintToString(received);
}

class TmuxKeys : public testing::Test {
 protected:
  void SetUp() override {
    if (!Shell("tmux -V >/dev/null 2>&1")) GTEST_SKIP() << "tmux is not installed";
  }
};

TEST_F(TmuxKeys, NormalMode) {
  ExpectDecoded(
      {
          {"Up", "72/0 E"},     {"Down", "80/0 E"},
          {"Left", "75/0 E"},   {"Right", "77/0 E"},
          {"Home", "71/0 E"},   {"End", "79/0 E"},
          {"IC", "82/0 E"},     {"DC", "83/0 E"},
          {"PPage", "73/0 E"},  {"NPage", "81/0 E"},
          {"F1", "59/0"},       {"F2", "60/0"},
          {"F3", "61/0"},       {"F4", "62/0"},
          {"F5", "63/0"},       {"F6", "64/0"},
          {"F7", "65/0"},       {"F8", "66/0"},
          {"F9", "67/0"},       {"F10", "68/0"},
          {"F11", "87/0"},      {"F12", "88/0"},
          {"BTab", "15/9 S"},   {"M-b", "48/98 A"},
          {"C-Up", "72/0 C E"}, {"M-Up", "72/0 A E"},
          {"S-Up", "72/0 S E"}, {"C-S-Left", "75/0 S C E"},
          {"S-F1", "59/0 S"},   {"C-F5", "63/0 C"},
          {"M-F12", "88/0 A"},  {"C-Home", "71/0 C E"},
          {"S-DC", "83/0 S E"}, {"C-a", "30/1 C"},
          {"BSpace", "14/8"},   {"Enter", "28/13"},
          {"Tab", "15/9"},      {"M-Enter", "28/13 A"},
          {"KP5", "6/53"},      {"5", "6/53"},
          {"?", "53/63 S"},
      },
      "");
}

// With the cursor keys and the keypad in application mode the keypad keys
// are told apart from the main ones.
TEST_F(TmuxKeys, ApplicationMode) {
  ExpectDecoded(
      {
          {"Up", "72/0 E"},
          {"Left", "75/0 E"},
          {"C-Up", "72/0 C E"},
          {"KP0", "82/48"},
          {"KP5", "76/53"},
          {"KP9", "73/57"},
          {"KP/", "53/47 E"},
          {"KP*", "55/42"},
          {"KP-", "74/45"},
          {"KP+", "78/43"},
          {"KP.", "83/46"},
          {"KPEnter", "28/13 E"},
      },
      "printf \"\\033[?1h\\033=\"; ");
}

}  // namespace
}  // namespace nagyszam
