// The key algorithm: platform key events in, the bytes ReadKey returns out.
#include "console/key_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "console/key_scan_codes.h"

namespace nagyszam {
namespace {

enum Held : unsigned { No = 0, Sh = 1, Ct = 2, LA = 4, RA = 8, En = 16, Released = 32, NoKey = 64 };

KeyEvent Key(std::uint8_t scanCode, unsigned held = No, std::uint8_t character = 0) {
  return KeyEvent{(held & NoKey) == 0, (held & Released) == 0, scanCode,
                  character,           (held & Sh) != 0,       (held & Ct) != 0,
                  (held & LA) != 0,    (held & RA) != 0,       (held & En) != 0};
}

// What successive ReadKey calls return, offering events only while no byte
// is ready, as the console does.
std::vector<int> Delivered(const std::vector<KeyEvent>& events) {
  KeyReader reader;
  ClearKeyReader(reader);
  std::vector<int> out;
  std::uint8_t key = 0;
  for (std::size_t next = 0;;) {
    while (!TakeReadyKey(reader, key)) {
      if (next == events.size()) return out;
      OfferKeyEvent(reader, events[next++]);
    }
    out.push_back(key);
  }
}

TEST(KeyReader, EventsToBytes) {
  using namespace scan;
  const std::uint8_t A = Letters[0], B = Letters[1];
  const struct {
    std::vector<KeyEvent> Events;
    std::vector<int> Bytes;
  } cases[] = {
      // clang-format off
      {{Key(A, No, 'a'), Key(A, Released), Key(Up, No, '8'), Key(26, No, 139)}, {'a', '8', 139}},
      {{Key(Slash, En, '/'), Key(Enter, En, 13), Key(Enter, No, 13)}, {0, 53, 0, 28, 13}},
      {{Key(LeftShift, Sh), Key(Tab, Sh, 9), Key(Tab, No, 9)}, {0, 15, 9}},
      {{Key(Alt, LA), Key(B, LA, 'b'), Key(Alt, Released)}, {0, 48}},
      {{Key(Right, LA), Key(KeypadFive, LA | Released), Key(KeypadFive, LA), Key(Alt, Released),
        Key(KeypadFive, LA), Key(Alt, Released)}, {65, 5}},
      {{Key(PageDown, RA), Key(Up, RA), Key(Alt, En | Released)}, {38}},
      {{Key(PageDown, LA), Key(Insert, LA), Key(Insert, LA), Key(Alt, Released)}, {44}},
      {{Key(Insert, LA), Key(Alt, Released), Key(Tab, Released), Key(A, No, 'a')}, {'a'}},
      {{Key(End, LA), Key(B, LA, 'b'), Key(Alt, Released)}, {0, 48, 1}},
      {{Key(Up, LA | En), Key(Alt, Released)}, {0, 152}},
      // The modifiers by the keyboard's own codes: Shifts, Ctrl, Alt, the locks.
      {{Key(42), Key(54), Key(29), Key(56), Key(58), Key(69), Key(70), Key(A, NoKey, 'a'),
        Key(A, No, 'q')}, {'q'}},
      {{Key(Digit1, RA | Ct, '~'), Key(46, Ct, 3)}, {'~', 3}},
      // Extended keys: the second byte is the code under the modifiers held.
      // F1, F11 and F12 by the keyboard's own codes.
      {{Key(Up, En), Key(Up, Sh | En), Key(Delete, En), Key(59), Key(87), Key(88)},
       {0, 72, 0, 72, 0, 83, 0, 59, 0, 133, 0, 134}},
      {{Key(Digit1, LA), Key(Equals, LA), Key(Enter, LA), Key(Slash, LA), Key(F1, LA), Key(F10, LA)},
       {0, 120, 0, 131, 0, 166, 0, 164, 0, 104, 0, 113}},
      {{Key(Home, LA | En), Key(PageUp, RA | En), Key(Insert, LA | En), Key(Delete, LA), Key(F11, LA | Ct),
        Key(F12, LA)}, {0, 151, 0, 153, 0, 162, 0, 163, 0, 139, 0, 140}},
      {{Key(B, LA), Key(KeypadPlus, LA), Key(KeypadMinus, LA), Key(KeypadFive, LA | En), Key(Tab, LA)},
       {0, 48, 0, 78, 0, 74, 0, 76, 0, 15}},
      {{Key(Tab, Ct), Key(Slash, Ct), Key(KeypadStar, Ct), Key(F1, Ct), Key(F10, Ct | Sh), Key(Home, Ct)},
       {0, 148, 0, 149, 0, 150, 0, 94, 0, 103, 0, 119}},
      {{Key(Up, Ct), Key(PageUp, Ct), Key(KeypadMinus, Ct), Key(Left, Ct), Key(KeypadFive, Ct), Key(Right, Ct)},
       {0, 141, 0, 132, 0, 142, 0, 115, 0, 143, 0, 116}},
      {{Key(KeypadPlus, Ct), Key(End, Ct), Key(Down, Ct), Key(PageDown, Ct), Key(Insert, Ct), Key(Delete, Ct)},
       {0, 78, 0, 117, 0, 145, 0, 118, 0, 146, 0, 147}},
      {{Key(F11, Ct), Key(F12, Ct), Key(Digit2, Ct)}, {0, 137, 0, 138, 0, 3}},
      {{Key(F1, Sh), Key(F10, Sh), Key(F11, Sh), Key(F12, Sh)}, {0, 84, 0, 93, 0, 135, 0, 136}},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(Delivered(c.Events), c.Bytes);
}

}  // namespace
}  // namespace nagyszam
