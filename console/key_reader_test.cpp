#include "console/key_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "console/key_scan_codes.h"

namespace nagyszam {
namespace {

// Modifier sets held with a key.
enum Held : unsigned { None = 0, Shift = 1, Ctrl = 2, LAlt = 4, RAlt = 8, Enh = 16 };

KeyEvent Press(std::uint8_t scanCode, std::uint8_t character, unsigned held = None) {
  return KeyEvent{true,
                  true,
                  scanCode,
                  character,
                  (held & Shift) != 0,
                  (held & Ctrl) != 0,
                  (held & LAlt) != 0,
                  (held & RAlt) != 0,
                  (held & Enh) != 0};
}

KeyEvent Release(std::uint8_t scanCode, unsigned held = None) {
  KeyEvent e = Press(scanCode, 0, held);
  e.Down = false;
  return e;
}

// What successive ReadKey calls deliver for the events, the way the console
// drives the reader: events are offered only while no byte is ready.
std::vector<int> Deliver(std::initializer_list<KeyEvent> events) {
  KeyReader reader;
  ClearKeyReader(reader);
  std::vector<int> out;
  auto next = events.begin();
  for (;;) {
    std::uint8_t key = 0;
    while (!TakeReadyKey(reader, key)) {
      if (next == events.end()) return out;
      OfferKeyEvent(reader, *next++);
    }
    out.push_back(key);
  }
}

using Bytes = std::vector<int>;

TEST(KeyReader, EdgeCasesOfTheKeyboard) {
  struct Case {
    const char* name;
    std::initializer_list<KeyEvent> events;
    Bytes expected;
  };
  const Case cases[] = {
      {"plain letter", {Press(30, 'a'), Release(30)}, {'a'}},
      {"Up arrow", {Press(scan::Up, 0, Enh), Release(scan::Up, Enh)}, {0, 72}},
      {"keypad 8 without Num Lock", {Press(scan::Up, 0)}, {0, 72}},
      {"keypad 8 with Num Lock", {Press(scan::Up, '8')}, {'8'}},
      {"keypad slash", {Press(scan::Slash, '/', Enh)}, {0, 53}},
      {"keypad Enter", {Press(scan::Enter, 13, Enh)}, {0, 28}},
      {"Enter", {Press(scan::Enter, 13)}, {13}},
      {"Shift+Tab", {Press(scan::LeftShift, 0, Shift), Press(scan::Tab, 9, Shift)}, {0, 15}},
      {"Tab", {Press(scan::Tab, 9)}, {9}},
      {"left Alt+B",
       {Press(scan::Alt, 0, LAlt), Press(48, 'b', LAlt), Release(48, LAlt), Release(scan::Alt)},
       {0, 48}},
      {"Alt+keypad 6, 5, release",
       {Press(scan::Alt, 0, LAlt), Press(scan::Right, 0, LAlt), Release(scan::Right, LAlt),
        Press(scan::KeypadFive, 0, LAlt), Release(scan::KeypadFive, LAlt), Release(scan::Alt)},
       {65}},
      {"right Alt composes too",
       {Press(scan::Alt, 0, RAlt | Enh), Press(scan::PageDown, 0, RAlt), Press(scan::Up, 0, RAlt),
        Release(scan::Alt, Enh)},
       {38}},
      {"composed code kept to 8 bits",  // 3*100+0*10+0 = 300 -> 44
       {Press(scan::PageDown, 0, LAlt), Press(scan::Insert, 0, LAlt), Press(scan::Insert, 0, LAlt),
        Release(scan::Alt)},
       {44}},
      {"composed code 0 gives nothing",
       {Press(scan::Insert, 0, LAlt), Release(scan::Alt), Press(30, 'a')},
       {'a'}},
      {"composition then a letter, then the release",
       {Press(scan::End, 0, LAlt), Press(48, 'b', LAlt), Release(scan::Alt)},
       {0, 48, 1}},
      {"Alt with the grey arrow does not compose",
       {Press(scan::Up, 0, LAlt | Enh), Release(scan::Alt)},
       {0, 152}},
      {"releases of other keys skipped", {Release(30), Release(scan::Tab), Press(31, 's')}, {'s'}},
      {"lone modifiers and locks skipped",
       {Press(scan::LeftShift, 0, Shift), Press(scan::RightShift, 0, Shift),
        Press(scan::Ctrl, 0, Ctrl), Press(scan::Alt, 0, LAlt), Press(scan::CapsLock, 0),
        Press(scan::NumLock, 0), Press(scan::ScrollLock, 0), Press(scan::Ctrl, 0, Ctrl | Enh),
        Press(16, 'q')},
       {'q'}},
      {"non-key events skipped",
       {KeyEvent{false, true, 30, 'a', false, false, false, false, false}, Press(31, 's')},
       {'s'}},
      {"right Alt with a character gives the character", {Press(2, '~', RAlt | Ctrl)}, {'~'}},
      {"Ctrl+letter gives the control byte", {Press(46, 3, Ctrl)}, {3}},
      {"cp852 letter", {Press(26, 139)}, {139}},
  };
  for (const Case& c : cases) EXPECT_EQ(Deliver(c.events), c.expected) << c.name;
}

TEST(KeyReader, ExtendedCodeWaitsAcrossCalls) {
  KeyReader reader;
  ClearKeyReader(reader);
  std::uint8_t key = 0xFF;
  EXPECT_FALSE(TakeReadyKey(reader, key));
  EXPECT_TRUE(OfferKeyEvent(reader, Press(scan::Up, 0, Enh)));
  ASSERT_TRUE(TakeReadyKey(reader, key));
  EXPECT_EQ(key, 0);
  // No event needed for the second byte.
  ASSERT_TRUE(TakeReadyKey(reader, key));
  EXPECT_EQ(key, 72);
  EXPECT_FALSE(TakeReadyKey(reader, key));
  EXPECT_FALSE(OfferKeyEvent(reader, Press(scan::Right, 0, LAlt)));
  EXPECT_FALSE(TakeReadyKey(reader, key));
  EXPECT_TRUE(OfferKeyEvent(reader, Release(scan::Alt)));
  ASSERT_TRUE(TakeReadyKey(reader, key));
  EXPECT_EQ(key, 6);
}

// One key with modifiers, as an extended key (character 0): the second byte.
TEST(KeyReader, EveryModifierRow) {
  struct Case {
    std::uint8_t scanCode;
    unsigned held;
    int code;
  };
  const Case cases[] = {
      // Alt rows.
      {2, LAlt, 120},
      {13, LAlt, 131},
      {scan::Enter, LAlt, 166},
      {scan::Slash, LAlt, 164},
      {scan::F1, LAlt, 104},
      {scan::F10, LAlt, 113},
      {scan::Home, LAlt | Enh, 151},
      {scan::Up, RAlt | Enh, 152},
      {scan::PageUp, LAlt | Enh, 153},
      {scan::Left, LAlt | Enh, 155},
      {scan::Right, LAlt | Enh, 157},
      {scan::End, LAlt | Enh, 159},
      {scan::Down, LAlt | Enh, 160},
      {scan::PageDown, LAlt | Enh, 161},
      {scan::Insert, LAlt | Enh, 162},
      {scan::Delete, LAlt, 163},
      {scan::F11, LAlt, 139},
      {scan::F12, LAlt, 140},
      {48, LAlt, 48},
      {scan::KeypadPlus, LAlt, 78},
      // Alt wins over Ctrl and Shift.
      {scan::F11, LAlt | Ctrl | Shift, 139},
      {scan::F1, RAlt | Shift, 104},
      {scan::Tab, LAlt, 15},
      // Ctrl rows.
      {scan::Tab, Ctrl, 148},
      {scan::Slash, Ctrl | Enh, 149},
      {scan::KeypadStar, Ctrl, 150},
      {scan::F1, Ctrl, 94},
      {scan::F10, Ctrl | Shift, 103},
      {scan::Home, Ctrl, 119},
      {scan::Up, Ctrl, 141},
      {scan::PageUp, Ctrl, 132},
      {scan::KeypadMinus, Ctrl, 142},
      {scan::Left, Ctrl, 115},
      {scan::KeypadFive, Ctrl, 143},
      {scan::Right, Ctrl, 116},
      {scan::KeypadPlus, Ctrl, 78},
      {scan::End, Ctrl, 117},
      {scan::Down, Ctrl, 145},
      {scan::PageDown, Ctrl, 118},
      {scan::Insert, Ctrl, 146},
      {scan::Delete, Ctrl | Enh, 147},
      {scan::F11, Ctrl, 137},
      {scan::F12, Ctrl, 138},
      {3, Ctrl, 3},
      // Shift rows.
      {scan::F1, Shift, 84},
      {scan::F10, Shift, 93},
      {scan::F11, Shift, 135},
      {scan::F12, Shift, 136},
      {scan::Up, Shift | Enh, 72},
      // No modifier.
      {scan::F11, None, 133},
      {scan::F12, None, 134},
      {scan::F1, None, 59},
      {scan::Delete, Enh, 83},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Deliver({Press(c.scanCode, 0, c.held)}), (Bytes{0, c.code}))
        << "scan " << int(c.scanCode) << " held " << c.held;
}

}  // namespace
}  // namespace nagyszam
