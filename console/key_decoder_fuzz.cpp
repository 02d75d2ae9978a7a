// The terminal decoder on any bytes. Fed all at once, byte by byte inside
// the Esc wait, and with pauses past the wait (settled by the next byte, by
// the wait's own flush, or by ending the input there), the same bytes must
// give the same keys; every call stays within its buffers and every event
// is a press that ReadKey delivers.
//
// With bit 3 of the flags the bytes stand for typed characters instead:
// printable ASCII, and each code page 852 letter in the terminal's charset.
// Each must come back as one key giving exactly that character.
//
// Input: a flags byte (bit 0 from a terminal, bit 1 an 8-bit charset, bit 2
// a cursor report awaited, bit 3 typed characters), a byte for the time
// between bytes, a byte for where the pauses fall, then the bytes the
// terminal sends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "console/charset.h"
#include "console/key_decoder.h"
#include "console/key_reader.h"
#include "console/key_scan_codes.h"

namespace nagyszam {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "key decoder fuzz: %s\n", what);
  __builtin_trap();
}

const Charset& CharsetOf(bool eightBit) {
  static const Charset utf8 = [] {
    Charset c{};
    MakeCharset("UTF-8", c);
    return c;
  }();
  static const Charset latin2 = [] {
    Charset c{};
    MakeCharset("ISO-8859-2", c);
    return c;
  }();
  return eightBit ? latin2 : utf8;
}

struct Run {
  std::vector<KeyEvent> Keys;
  bool HasReport;
  std::uint16_t Row, Column;
};

bool SameKey(const KeyEvent& a, const KeyEvent& b) {
  return a.IsKey == b.IsKey && a.Down == b.Down && a.ScanCode == b.ScanCode &&
         a.Character == b.Character && a.Shift == b.Shift && a.Ctrl == b.Ctrl &&
         a.LeftAlt == b.LeftAlt && a.RightAlt == b.RightAlt && a.Enhanced == b.Enhanced;
}

bool SameRun(const Run& a, const Run& b) {
  if (a.Keys.size() != b.Keys.size() || a.HasReport != b.HasReport) return false;
  if (a.HasReport && (a.Row != b.Row || a.Column != b.Column)) return false;
  for (std::size_t i = 0; i < a.Keys.size(); ++i)
    if (!SameKey(a.Keys[i], b.Keys[i])) return false;
  return true;
}

// A press that the key algorithm turns into a byte at once: no release, no
// lone modifier, no Alt composition that no release would ever end.
void CheckEvent(const KeyEvent& e) {
  if (!e.IsKey || !e.Down) Fail("an event that is not a key press");
  if (IsModifierScanCode(e.ScanCode)) Fail("a lone modifier key");
  if (e.ScanCode == 0 && e.Character == 0) Fail("a key with neither scan code nor character");
  KeyReader reader;
  ClearKeyReader(reader);
  std::uint8_t key = 0;
  if (!OfferKeyEvent(reader, e) || !TakeReadyKey(reader, key))
    Fail("a press ReadKey never delivers");
}

void Collect(const KeyDecoder& d, const KeyEvent (&out)[MaxDecodedEvents], int count, Run& run) {
  if (count < 0 || count > MaxDecodedEvents) Fail("an event count outside the buffer");
  if (d.HeldLength >= MaxHeldBytes) Fail("held bytes filling the buffer");
  for (int i = 0; i < count; ++i) {
    CheckEvent(out[i]);
    run.Keys.push_back(out[i]);
  }
}

void Finish(KeyDecoder& d, Run& run) {
  KeyEvent out[MaxDecodedEvents];
  Collect(d, out, EndKeyDecoder(d, out), run);
  if (KeyDecoderDeadline(d) != -1) Fail("bytes still held after the end of input");
  run.HasReport = d.HasCursorReport;
  run.Row = d.ReportRow;
  run.Column = d.ReportColumn;
}

struct Setup {
  const Charset* Chars;
  bool FromTerminal;
  bool WantReport;
};

void Start(const Setup& s, KeyDecoder& d) {
  StartKeyDecoder(d, *s.Chars, s.FromTerminal);
  d.WantCursorReport = s.WantReport;
}

// Each byte stepMs after the one before, ending the input after the last.
Run Steady(const Setup& s, const std::uint8_t* bytes, std::size_t size, std::int64_t stepMs) {
  KeyDecoder d;
  Start(s, d);
  Run run{};
  KeyEvent out[MaxDecodedEvents];
  std::int64_t now = 1000;
  for (std::size_t i = 0; i < size; ++i, now += stepMs)
    Collect(d, out, FeedKeyByte(d, bytes[i], now, out), run);
  Finish(d, run);
  return run;
}

enum class Settling { ByNextByte, ByFlush, ByEndOfInput };

// A pause past the wait before each byte i with pause(i): what is held then
// is settled, by one of the three ways the input loop can meet it.
Run Paused(const Setup& s, const std::uint8_t* bytes, std::size_t size, unsigned every,
           Settling how) {
  KeyDecoder d;
  Start(s, d);
  Run run{};
  KeyEvent out[MaxDecodedEvents];
  std::int64_t now = 1000;
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0 && (i * 7 + every) % (every + 2) == 0) {
      now += EscapeWaitMs + 5;
      if (how == Settling::ByFlush) {
        const std::int64_t deadline = KeyDecoderDeadline(d);
        if (deadline > now) Fail("a deadline past the wait");
        Collect(d, out, FlushKeyDecoder(d, now, out), run);
        if (KeyDecoderDeadline(d) != -1) Fail("bytes still held after the wait");
      } else if (how == Settling::ByEndOfInput) {
        Collect(d, out, EndKeyDecoder(d, out), run);
        if (KeyDecoderDeadline(d) != -1) Fail("bytes still held after settling");
      }
    }
    Collect(d, out, FeedKeyByte(d, bytes[i], now, out), run);
    now += 1;
  }
  Finish(d, run);
  return run;
}

// What the terminal sends when the user types the characters the bytes
// stand for, and those characters as code page 852 bytes.
void Typed(const Charset& chars, const std::uint8_t* bytes, std::size_t count,
           std::vector<std::uint8_t>& sent, std::vector<std::uint8_t>& characters) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    if (b < 128) {
      characters.push_back(static_cast<std::uint8_t>(' ' + b % 95));
      sent.push_back(characters.back());
    } else if (!(chars.ShownLength[b] == 1 && chars.Shown[b][0] == '?')) {
      characters.push_back(b);
      sent.insert(sent.end(), chars.Shown[b].begin(),
                  chars.Shown[b].begin() + chars.ShownLength[b]);
    }
  }
}

void CheckTyped(const Run& run, const std::vector<std::uint8_t>& characters) {
  if (run.Keys.size() != characters.size()) Fail("typed characters lost or added");
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const KeyEvent& e = run.Keys[i];
    if (e.Character != characters[i] || e.LeftAlt || e.RightAlt || e.Ctrl || e.Enhanced)
      Fail("a typed character came back as another key");
  }
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  if (size < 3) return 0;
  const Setup setup{&CharsetOf(data[0] & 2), (data[0] & 1) != 0, (data[0] & 4) != 0};
  const std::int64_t step = data[1] % EscapeWaitMs;
  const unsigned every = data[2] % 16;
  const std::uint8_t* bytes = data + 3;
  std::size_t count = size - 3;
  std::vector<std::uint8_t> sent, characters;
  if (data[0] & 8) {
    Typed(*setup.Chars, bytes, count, sent, characters);
    bytes = sent.data();
    count = sent.size();
  }

  const Run once = Steady(setup, bytes, count, 0);
  if (data[0] & 8) CheckTyped(once, characters);
  if (!SameRun(Steady(setup, bytes, count, step), once)) Fail("byte by byte differs from at once");
  const Run byByte = Paused(setup, bytes, count, every, Settling::ByNextByte);
  if (!SameRun(Paused(setup, bytes, count, every, Settling::ByFlush), byByte))
    Fail("a flush after the wait differs from the next byte's settling");
  if (!SameRun(Paused(setup, bytes, count, every, Settling::ByEndOfInput), byByte))
    Fail("a pause differs from ending the input there");
  return 0;
}
