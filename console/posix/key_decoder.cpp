#include "console/posix/key_decoder.h"

#include "console/cp852.h"
#include "console/key_scan_codes.h"
#include "console/posix/key_sequences.h"

namespace nagyszam {
namespace {

constexpr std::uint8_t Esc = 0x1B;
constexpr TerminalKey EscKey{scan::Esc, Esc, false, false, false};

// What the held bytes amount to so far.
struct Step {
  bool Complete;  // false: more bytes may follow
  int Consumed;   // bytes taken from the front; the rest are looked at anew
  bool HasKey;
  KeyEvent Key;
};

constexpr Step More() noexcept {
  return Step{};
}

constexpr Step Drop(int consumed) noexcept {
  Step step{};
  step.Complete = true;
  step.Consumed = consumed;
  return step;
}

constexpr KeyEvent PressOf(const TerminalKey& key, bool alt) noexcept {
  KeyEvent event{true,     true, key.ScanCode, key.Character, key.Shift,
                 key.Ctrl, alt,  false,        key.Enhanced};
  // With Alt a keypad digit would start an Alt composition that no terminal
  // ever ends (it sends no key releases): report the top-row key instead.
  if (alt && !key.Enhanced && KeypadDigit(key.ScanCode) >= 0) {
    if (key.Character >= '1' && key.Character <= '9')
      event.ScanCode = static_cast<std::uint8_t>(key.Character - '1' + scan::Digit1);
    else if (key.Character == '0')
      event.ScanCode = scan::Digit0;
    else
      event.Enhanced = true;
  }
  return event;
}

constexpr Step Deliver(int consumed, const TerminalKey& key, bool alt) noexcept {
  Step step = Drop(consumed);
  step.HasKey = true;
  step.Key = PressOf(key, alt);
  return step;
}

Step DeliverAscii(int consumed, std::uint8_t byte, bool alt) noexcept {
  return Deliver(consumed, AsciiKey(byte), alt);
}

// A character of code page 852 has no key of its own on a US keyboard.
constexpr Step DeliverCp852(int consumed, int byte, bool alt) noexcept {
  const auto c = static_cast<std::uint8_t>(byte < 0 ? '?' : byte);
  return Deliver(consumed, TerminalKey{0, c, false, false, false}, alt);
}

// xterm's modifier parameter: 1 + a mask of Shift 1, Alt 2, Ctrl 4, Meta 8.
constexpr void AddModifiers(int parameter, TerminalKey& key, bool& alt) noexcept {
  if (parameter < 2) return;
  const int mask = parameter - 1;
  if (mask & 1) key.Shift = true;
  if (mask & (2 | 8)) alt = true;
  if (mask & 4) key.Ctrl = true;
}

struct Parameters {
  int Value[2];
  int Fields;  // numbers seen, separators included ("1;" has two)
  bool Private;
  bool Intermediate;
  bool Odd;  // anything a key never sends: sub-parameters, a third number
};

constexpr bool IsParameterByte(std::uint8_t b) noexcept {
  return b >= 0x30 && b <= 0x3F;
}
constexpr bool IsIntermediateByte(std::uint8_t b) noexcept {
  return b >= 0x20 && b <= 0x2F;
}
constexpr bool IsFinalByte(std::uint8_t b) noexcept {
  return b >= 0x40 && b <= 0x7E;
}

constexpr void AddParameterByte(std::uint8_t b, bool first, Parameters& p) noexcept {
  if (p.Intermediate) p.Odd = true;
  if (p.Fields == 0) p.Fields = 1;
  if (b >= '0' && b <= '9') {
    if (p.Fields > 2) return;
    int& v = p.Value[p.Fields - 1];
    if (v < 10000) v = v * 10 + (b - '0');
  } else if (b == ';') {
    if (++p.Fields > 2) p.Odd = true;
  } else if (first && b >= '<') {
    p.Private = true;
  } else {
    p.Odd = true;
  }
}

Step FinishCsi(int consumed, std::uint8_t finalByte, const Parameters& p, bool alt) noexcept {
  if (p.Private || p.Intermediate || p.Odd) return Drop(consumed);
  // rxvt marks Shift, Ctrl and both by the final byte of the "~" keys.
  const bool rxvtShift = finalByte == '$' || finalByte == '@';
  const bool rxvtCtrl = finalByte == '^' || finalByte == '@';
  const std::uint8_t looked = rxvtShift || rxvtCtrl ? '~' : finalByte;
  TerminalKey key{};
  if (!SequenceKey(Introducer::Csi, looked, p.Value[0], key)) return Drop(consumed);
  key.Shift = key.Shift || rxvtShift;
  key.Ctrl = key.Ctrl || rxvtCtrl;
  AddModifiers(p.Fields >= 2 ? p.Value[1] : 1, key, alt);
  return Deliver(consumed, key, alt);
}

// Nothing followed the introducer: the user typed Alt with '[' or 'O',
// which terminals send just so.
Step BareIntroducer(const KeyDecoder& d, std::uint8_t introducer, bool alt) noexcept {
  if (alt) return Drop(d.HeldLength);
  return DeliverAscii(d.HeldLength, introducer, true);
}

// start: the byte after ESC [.
Step ParseCsi(const KeyDecoder& d, int start, bool alt, bool nothingFollows) noexcept {
  const std::uint8_t* h = d.Held.data();
  const int n = d.HeldLength;
  if (start == n) return nothingFollows ? BareIntroducer(d, '[', alt) : More();
  if (h[start] == '[') {  // the Linux console's F1..F5: ESC [ [ A..E
    if (start + 1 == n) return nothingFollows ? Drop(n) : More();
    const std::uint8_t f = h[start + 1];
    if (f < 0x20 || f > 0x7E) return Drop(start + 1);
    TerminalKey key{};
    if (!SequenceKey(Introducer::LinuxFunction, f, 0, key)) return Drop(start + 2);
    return Deliver(start + 2, key, alt);
  }
  Parameters p{};
  for (int j = start; j < n; ++j) {
    const std::uint8_t b = h[j];
    if (IsParameterByte(b)) {
      AddParameterByte(b, j == start, p);
    } else if (b == '$' && !p.Private && !p.Intermediate) {
      return FinishCsi(j + 1, b, p, alt);  // rxvt's Shift form ends in '$'
    } else if (IsIntermediateByte(b)) {
      p.Intermediate = true;
    } else if (IsFinalByte(b)) {
      return FinishCsi(j + 1, b, p, alt);
    } else {
      return Drop(j);  // a byte no sequence holds: it stands on its own
    }
  }
  return nothingFollows ? Drop(n) : More();
}

// start: the byte after ESC O. Old xterms put a modifier number in between.
Step ParseSs3(const KeyDecoder& d, int start, bool alt, bool nothingFollows) noexcept {
  const std::uint8_t* h = d.Held.data();
  const int n = d.HeldLength;
  if (start == n) return nothingFollows ? BareIntroducer(d, 'O', alt) : More();
  Parameters p{};
  for (int j = start; j < n; ++j) {
    const std::uint8_t b = h[j];
    if (IsParameterByte(b)) {
      AddParameterByte(b, false, p);
      continue;
    }
    if (!IsFinalByte(b)) return Drop(j);
    TerminalKey key{};
    if (p.Odd || !SequenceKey(Introducer::Ss3, b, 0, key)) return Drop(j + 1);
    AddModifiers(p.Value[p.Fields >= 2 ? 1 : 0], key, alt);
    return Deliver(j + 1, key, alt);
  }
  return nothingFollows ? Drop(n) : More();
}

// The code page 852 byte whose glyph the charset shows as this one byte.
int Cp852ByteOfShown(const Charset& chars, std::uint8_t shown) noexcept {
  for (int b = 128; b < 256; ++b)
    if (chars.ShownLength[b] == 1 && chars.Shown[b][0] == shown) return b;
  return -1;
}

Step ParseUtf8(const KeyDecoder& d, int start, bool alt, bool nothingFollows) noexcept {
  const std::uint8_t* h = d.Held.data();
  const std::uint8_t lead = h[start];
  const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                     : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                    : 0;
  if (length == 0) return DeliverCp852(start + 1, -1, alt);
  char32_t c = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if (start + k == d.HeldLength) return nothingFollows ? Drop(d.HeldLength) : More();
    const std::uint8_t b = h[start + k];
    if ((b & 0xC0) != 0x80) return DeliverCp852(start + k, -1, alt);
    c = (c << 6) | (b & 0x3F);
  }
  constexpr char32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
  const bool valid = c >= Least[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
  return DeliverCp852(start + length, valid ? Cp852ByteOf(c) : -1, alt);
}

Step ParseChar(const KeyDecoder& d, int start, bool alt, bool nothingFollows) noexcept {
  const std::uint8_t b = d.Held[start];
  if (b == '\n' && !d.FromTerminal) return DeliverAscii(start + 1, '\r', alt);
  if (b < 0x80) return DeliverAscii(start + 1, b, alt);
  if (d.Chars->Utf8) return ParseUtf8(d, start, alt, nothingFollows);
  return DeliverCp852(start + 1, Cp852ByteOfShown(*d.Chars, b), alt);
}

// start: the byte after an ESC; alt: that ESC was itself after one.
Step ParseAfterEsc(const KeyDecoder& d, int start, bool alt, bool nothingFollows) noexcept {
  if (start == d.HeldLength) return nothingFollows ? Deliver(start, EscKey, alt) : More();
  const std::uint8_t b = d.Held[start];
  if (b == '[') return ParseCsi(d, start + 1, alt, nothingFollows);
  if (b == 'O') return ParseSs3(d, start + 1, alt, nothingFollows);
  if (b == Esc && !alt) return ParseAfterEsc(d, start + 1, true, nothingFollows);
  if (alt) return Deliver(start, EscKey, true);  // ESC ESC is Alt+Esc; the rest anew
  return ParseChar(d, start, true, nothingFollows);
}

Step ParseHeld(const KeyDecoder& d, bool nothingFollows) noexcept {
  if (d.Held[0] == Esc) return ParseAfterEsc(d, 1, false, nothingFollows);
  return ParseChar(d, 0, false, nothingFollows);
}

void RemoveFront(KeyDecoder& d, int count) noexcept {
  for (int i = count; i < d.HeldLength; ++i) d.Held[i - count] = d.Held[i];
  d.HeldLength = static_cast<std::uint8_t>(d.HeldLength - count);
}

// Takes every complete key from the front of what is held; with
// nothingFollows, what is left unfinished is decided too.
int Drain(KeyDecoder& d, bool nothingFollows, KeyEvent (&out)[MaxDecodedEvents],
          int count) noexcept {
  while (d.HeldLength > 0) {
    const Step step = ParseHeld(d, nothingFollows);
    if (!step.Complete) break;
    if (step.HasKey && count < MaxDecodedEvents) out[count++] = step.Key;
    RemoveFront(d, step.Consumed);
  }
  return count;
}

int DecideHeld(KeyDecoder& d, KeyEvent (&out)[MaxDecodedEvents], int count) noexcept {
  d.Skipping = false;
  return Drain(d, true, out, count);
}

// Inside an over-long sequence: true while the byte belongs to it.
bool SkipByte(KeyDecoder& d, std::uint8_t byte) noexcept {
  if (IsParameterByte(byte) || IsIntermediateByte(byte)) return true;
  d.Skipping = false;
  return IsFinalByte(byte);
}

}  // namespace

void StartKeyDecoder(KeyDecoder& decoder, const Charset& chars, bool fromTerminal) noexcept {
  decoder = KeyDecoder{};
  decoder.Chars = &chars;
  decoder.FromTerminal = fromTerminal;
}

int FeedKeyByte(KeyDecoder& decoder, std::uint8_t byte, std::int64_t nowMs,
                KeyEvent (&out)[MaxDecodedEvents]) noexcept {
  int count = 0;
  const std::int64_t deadline = KeyDecoderDeadline(decoder);
  if (deadline >= 0 && nowMs >= deadline) count = DecideHeld(decoder, out, count);
  decoder.LastByteMs = nowMs;
  if (decoder.Skipping && SkipByte(decoder, byte)) return count;
  const bool lineEndDone = byte == '\n' && decoder.LastWasCr && !decoder.FromTerminal;
  decoder.LastWasCr = byte == '\r';
  if (lineEndDone) return count;
  decoder.Held[decoder.HeldLength++] = byte;
  count = Drain(decoder, false, out, count);
  if (decoder.HeldLength == MaxHeldBytes) {
    decoder.HeldLength = 0;
    decoder.Skipping = true;
  }
  return count;
}

std::int64_t KeyDecoderDeadline(const KeyDecoder& decoder) noexcept {
  if (decoder.HeldLength == 0 && !decoder.Skipping) return -1;
  return decoder.LastByteMs + EscapeWaitMs;
}

int FlushKeyDecoder(KeyDecoder& decoder, std::int64_t nowMs,
                    KeyEvent (&out)[MaxDecodedEvents]) noexcept {
  const std::int64_t deadline = KeyDecoderDeadline(decoder);
  if (deadline < 0 || nowMs < deadline) return 0;
  return DecideHeld(decoder, out, 0);
}

int EndKeyDecoder(KeyDecoder& decoder, KeyEvent (&out)[MaxDecodedEvents]) noexcept {
  return DecideHeld(decoder, out, 0);
}

}  // namespace nagyszam
