// Terminal input decoder: the bytes a terminal (or a pipe) sends, in, key
// presses out. Time is passed in, so a lone Esc is decided without sleeping.
#pragma once

#include <array>
#include <cstdint>

#include "console/key_event.h"
#include "console/posix/charset.h"

namespace nagyszam {

// At most this many events come out of one call: what was held, cut off
// by the byte, and the byte itself.
constexpr int MaxDecodedEvents = 2;
// A lone ESC is a key when nothing follows within this time.
constexpr std::int64_t EscapeWaitMs = 50;
// A longer sequence is no key: it is dropped up to its final byte.
constexpr int MaxHeldBytes = 32;

struct KeyDecoder {
  const Charset* Chars;
  bool FromTerminal;                            // false: a pipe, where LF and CR LF are Enter
  std::array<std::uint8_t, MaxHeldBytes> Held;  // an unfinished sequence or character
  std::uint8_t HeldLength;
  std::int64_t LastByteMs;  // when the last held byte came
  bool LastWasCr;           // a pipe's CR LF is one Enter
  bool Skipping;            // inside an over-long sequence, until its final byte
};

void StartKeyDecoder(KeyDecoder& decoder, const Charset& chars, bool fromTerminal) noexcept;

// Feeds one byte received at nowMs; returns the number of events written.
// What was held past its deadline is decided first, as by FlushKeyDecoder.
int FeedKeyByte(KeyDecoder& decoder, std::uint8_t byte, std::int64_t nowMs,
                KeyEvent (&out)[MaxDecodedEvents]) noexcept;

// The time at which FlushKeyDecoder has something to do; -1 when nothing is held.
std::int64_t KeyDecoderDeadline(const KeyDecoder& decoder) noexcept;

// With no byte since: once the deadline has passed, decides what is held
// as if nothing followed (a lone ESC becomes the Esc key, a cut-off
// sequence is dropped).
int FlushKeyDecoder(KeyDecoder& decoder, std::int64_t nowMs,
                    KeyEvent (&out)[MaxDecodedEvents]) noexcept;

// At end of input: decides what is held at once.
int EndKeyDecoder(KeyDecoder& decoder, KeyEvent (&out)[MaxDecodedEvents]) noexcept;

}  // namespace nagyszam
