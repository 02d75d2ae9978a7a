// The terminal decoder against what was typed: printable ASCII and the code
// page 852 letters the terminal's charset has, sent as that charset sends
// them, must come back as exactly those characters, one key each, however
// the bytes are spread in time. Any other bytes (raw mode) must decode the
// same at once, byte by byte inside the Esc wait, and with pauses past the
// wait, whether the next byte or the wait's flush decides what is held;
// every event must be a press that ReadKey delivers.
//
// Input: a flags byte (bit 0 from a terminal, bit 1 Latin-2, bit 2 raw
// mode), a byte for the time between bytes, then the text or bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "console/key_reader.h"
#include "console/posix/key_decoder.h"

namespace nagyszam {
namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "key decoder fuzz: %s\n", what);
  __builtin_trap();
}

struct Sent {
  std::uint8_t Byte;
  std::int64_t AtMs;
};

// The keys the bytes decode to, each as ReadKey's bytes; the flush at
// each pause too when flushAtPauses.
std::vector<int> Decode(const Charset& chars, bool fromTerminal, const std::vector<Sent>& sent,
                        bool flushAtPauses) {
  KeyDecoder d;
  StartKeyDecoder(d, chars, fromTerminal);
  KeyEvent out[MaxDecodedEvents];
  std::vector<int> keys;
  auto take = [&](int count) {
    for (int i = 0; i < count; ++i) {
      KeyReader reader;
      ClearKeyReader(reader);
      std::uint8_t key = 0;
      if (!out[i].IsKey || !out[i].Down || !OfferKeyEvent(reader, out[i]))
        Fail("an event ReadKey does not deliver at once");
      while (TakeReadyKey(reader, key)) keys.push_back(key);
      keys.push_back(-1);  // between keys
    }
  };
  for (const Sent& s : sent) {
    if (flushAtPauses && KeyDecoderDeadline(d) >= 0 && s.AtMs >= KeyDecoderDeadline(d))
      take(FlushKeyDecoder(d, s.AtMs, out));
    take(FeedKeyByte(d, s.Byte, s.AtMs, out));
  }
  take(EndKeyDecoder(d, out));
  if (KeyDecoderDeadline(d) != -1) Fail("bytes held after the end of input");
  return keys;
}

const Charset& CharsetOf(bool latin2) {
  static Charset utf8, iso;
  Charset& chars = latin2 ? iso : utf8;
  if (chars.ShownLength[' '] == 0) MakeCharset(latin2 ? "ISO-8859-2" : "UTF-8", chars);
  return chars;
}

}  // namespace
}  // namespace nagyszam

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nagyszam;
  if (size < 2) return 0;
  const Charset& chars = CharsetOf(data[0] & 2);
  const bool fromTerminal = data[0] & 1, raw = data[0] & 4;
  const std::int64_t step = data[1] % EscapeWaitMs;
  // Sent at once, a step apart, and each character after a pause.
  std::vector<Sent> atOnce, stepped, paused;
  std::vector<int> typed;
  for (std::size_t i = 2; i < size; ++i) {
    std::uint8_t c = data[i];
    if (!raw && c < 128) c = static_cast<std::uint8_t>(' ' + c % 95);
    const bool lacking = c >= 128 && chars.Shown[c][0] == '?' && chars.ShownLength[c] == 1;
    if (!raw && lacking) continue;
    const int length = raw ? 1 : chars.ShownLength[c];
    for (int k = 0; k < length; ++k) {
      const std::uint8_t b = raw ? c : chars.Shown[c][k];
      atOnce.push_back({b, 0});
      stepped.push_back({b, static_cast<std::int64_t>(stepped.size()) * step});
      paused.push_back({b, static_cast<std::int64_t>(i) * 2 * EscapeWaitMs});
    }
    typed.insert(typed.end(), {c, -1});
  }
  const std::vector<int> once = Decode(chars, fromTerminal, atOnce, false);
  if (!raw && once != typed) Fail("typed characters came back as other keys");
  if (Decode(chars, fromTerminal, stepped, false) != once) Fail("byte by byte differs");
  if (!raw) {
    if (Decode(chars, fromTerminal, paused, false) != once) Fail("pauses change typed keys");
  } else if (Decode(chars, fromTerminal, paused, true) !=
             Decode(chars, fromTerminal, paused, false))
    Fail("the wait's flush decides otherwise than the next byte");
  return 0;
}
