// The key algorithm: platform key events in, the bytes ReadKey returns out.
#include "console/key_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "console/key_scan_codes.h"

namespace nagyszam {
namespace {

enum Held : unsigned {
  None = 0,
  WithShift = 1,
  WithCtrl = 2,
  LAlt = 4,
  RAlt = 8,
  Enh = 16,
  Released = 32,
  NoKey = 64
};

KeyEvent Key(std::uint8_t scanCode, std::uint8_t character, unsigned held = None) {
  return KeyEvent{(held & NoKey) == 0, (held & Released) == 0,  scanCode,
                  character,           (held & WithShift) != 0, (held & WithCtrl) != 0,
                  (held & LAlt) != 0,  (held & RAlt) != 0,      (held & Enh) != 0};
}

// What successive ReadKey calls return, offering events only while no byte
// is ready, as the console does.
std::vector<int> Delivered(const std::vector<KeyEvent>& events) {
  KeyReader reader;
  ClearKeyReader(reader);
  std::vector<int> out;
  std::size_t next = 0;
  std::uint8_t key = 0;
  for (;;) {
    while (!TakeReadyKey(reader, key)) {
      if (next == events.size()) return out;
      OfferKeyEvent(reader, events[next++]);
    }
    out.push_back(key);
  }
}

TEST(KeyReader, EventsToBytes) {
  using namespace scan;
  const std::uint8_t B = 48, A = 30;
  const struct {
    std::vector<KeyEvent> Events;
    std::vector<int> Bytes;
  } cases[] = {
      {{Key(A, 'a'), Key(A, 0, Released), Key(26, 139)}, {'a', 139}},
      {{Key(Up, 0, Enh), Key(Up, 0, Enh | Released)}, {0, 72}},
      {{Key(Up, '8')}, {'8'}},
      {{Key(Slash, '/', Enh), Key(Enter, 13, Enh), Key(Enter, 13)}, {0, 53, 0, 28, 13}},
      {{Key(LeftShift, 0, WithShift), Key(Tab, 9, WithShift), Key(Tab, 9)}, {0, 15, 9}},
      {{Key(Alt, 0, LAlt), Key(B, 'b', LAlt), Key(Alt, 0, Released)}, {0, 48}},
      {{Key(Right, 0, LAlt), Key(KeypadFive, 0, LAlt | Released), Key(KeypadFive, 0, LAlt),
        Key(Alt, 0, Released)},
       {65}},
      {{Key(PageDown, 0, RAlt), Key(Up, 0, RAlt), Key(Alt, 0, Enh | Released)}, {38}},
      {{Key(PageDown, 0, LAlt), Key(Insert, 0, LAlt), Key(Insert, 0, LAlt), Key(Alt, 0, Released)},
       {44}},
      {{Key(Insert, 0, LAlt), Key(Alt, 0, Released), Key(A, 0, Released), Key(Tab, 0, Released),
        Key(A, 'a')},
       {'a'}},
      {{Key(End, 0, LAlt), Key(B, 'b', LAlt), Key(Alt, 0, Released)}, {0, 48, 1}},
      {{Key(Up, 0, LAlt | Enh), Key(Alt, 0, Released)}, {0, 152}},
      {{Key(LeftShift, 0), Key(RightShift, 0), Key(Ctrl, 0), Key(Alt, 0), Key(CapsLock, 0),
        Key(NumLock, 0), Key(ScrollLock, 0), Key(A, 'a', NoKey), Key(A, 'q')},
       {'q'}},
      {{Key(Digit1, '~', RAlt | WithCtrl), Key(46, 3, WithCtrl)}, {'~', 3}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Delivered(c.Events), c.Bytes) << ::testing::PrintToString(c.Bytes);
}

// The second byte of each extended key under the modifiers held.
TEST(KeyReader, ExtendedCodes) {
  using namespace scan;
  const struct {
    std::uint8_t ScanCode;
    unsigned Held;
    int Code;
  } cases[] = {
      {Digit1, LAlt, 120},
      {Equals, LAlt, 131},
      {Enter, LAlt, 166},
      {Slash, LAlt, 164},
      {F1, LAlt, 104},
      {F10, LAlt, 113},
      {Home, LAlt | Enh, 151},
      {PageUp, RAlt | Enh, 153},
      {Insert, LAlt | Enh, 162},
      {Delete, LAlt, 163},
      {F11, LAlt | WithCtrl, 139},
      {F12, LAlt, 140},
      {48, LAlt, 48},
      {KeypadPlus, LAlt, 78},
      {KeypadMinus, LAlt, 74},
      {KeypadFive, LAlt | Enh, 76},
      {Tab, LAlt, 15},
      {Tab, WithCtrl, 148},
      {Slash, WithCtrl, 149},
      {KeypadStar, WithCtrl, 150},
      {F1, WithCtrl, 94},
      {F10, WithCtrl | WithShift, 103},
      {Home, WithCtrl, 119},
      {KeypadMinus, WithCtrl, 142},
      {KeypadPlus, WithCtrl, 78},
      {Delete, WithCtrl, 147},
      {F11, WithCtrl, 137},
      {F12, WithCtrl, 138},
      {Digit2, WithCtrl, 3},
      {F1, WithShift, 84},
      {F10, WithShift, 93},
      {F11, WithShift, 135},
      {F12, WithShift, 136},
      {Up, WithShift | Enh, 72},
      {F11, None, 133},
      {F12, None, 134},
      {F1, None, 59},
      {Delete, Enh, 83},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Delivered({Key(c.ScanCode, 0, c.Held)}), (std::vector<int>{0, c.Code}))
        << "scan " << int(c.ScanCode) << " held " << c.Held;
}

}  // namespace
}  // namespace nagyszam
