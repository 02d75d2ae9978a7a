#include "console/key_reader.h"

#include "console/key_scan_codes.h"

namespace nagyszam {

void ClearKeyReader(KeyReader& reader) noexcept {
  reader = KeyReader{};
}

bool TakeReadyKey(KeyReader& reader, std::uint8_t& key) noexcept {
  if (!reader.HasPending) return false;
  if (reader.Extended) {
    // The code itself stays pending for the next call.
    reader.Extended = false;
    key = 0;
    return true;
  }
  reader.HasPending = false;
  key = reader.Pending;
  return true;
}

namespace {

void OfferRelease(KeyReader& reader, const KeyEvent& event) noexcept {
  if (event.ScanCode != scan::Alt || reader.AltCode == 0) return;
  reader.HasPending = true;
  reader.Pending = reader.AltCode;
  reader.Extended = false;
  reader.AltCode = 0;
}

void TakePress(KeyReader& reader, const KeyEvent& event) noexcept {
  reader.HasPending = true;
  if (event.Character == 0 || event.LeftAlt || event.Enhanced) {
    reader.Extended = true;
    reader.Pending =
        ExtendedKeyCode(event.ScanCode, event.LeftAlt || event.RightAlt, event.Ctrl, event.Shift);
  } else if (event.Character == '\t' && event.Shift) {
    reader.Extended = true;
    reader.Pending = scan::Tab;
  } else {
    reader.Extended = false;
    reader.Pending = event.Character;
  }
}

// The cursor block shares scan codes 71..82 with the keypad but is no
// keypad digit: Alt with it gives the Alt codes of the table instead.
bool ComposesAltCode(const KeyEvent& event) noexcept {
  return (event.LeftAlt || event.RightAlt) && !event.Enhanced && KeypadDigit(event.ScanCode) >= 0;
}

}  // namespace

void OfferKeyEvent(KeyReader& reader, const KeyEvent& event) noexcept {
  if (!event.IsKey) return;
  if (!event.Down) return OfferRelease(reader, event);
  if (IsModifierScanCode(event.ScanCode)) return;
  TakePress(reader, event);
  if (!ComposesAltCode(event)) return;
  reader.AltCode = static_cast<std::uint8_t>(reader.AltCode * 10 + KeypadDigit(event.ScanCode));
  reader.HasPending = false;
  reader.Extended = false;
}

}  // namespace nagyszam
