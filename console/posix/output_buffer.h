// Bytes for standard output, gathered so one operation reaches the device
// in one write loop.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

namespace nagyszam {

constexpr std::size_t OutputBufferSize = 1 << 16;

struct OutputBuffer {
  int Fd;
  bool Failed;  // a write was refused since the last TakeOutputFailure
  std::size_t Length;
  std::array<std::uint8_t, OutputBufferSize> Bytes;
  std::bitset<OutputBufferSize> UnitStarts;  // where StartUnit was called
};

// Writes every byte, continuing partial writes and retrying interrupted
// ones; false when the device refuses, or after an ending signal when it
// takes nothing for a while.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t length) noexcept;

void StartOutputBuffer(int fd, OutputBuffer& buffer) noexcept;

// Appends; sends what is gathered first when it would not fit.
void Append(OutputBuffer& buffer, const std::uint8_t* bytes, std::size_t length) noexcept;
void AppendText(OutputBuffer& buffer, const char* text) noexcept;
void AppendNumber(OutputBuffer& buffer, std::uint32_t value) noexcept;

// Begins a unit of at most 32 bytes (an escape sequence, a glyph) that a
// signal never cuts in two: while an ending or stop signal waits, Flush
// finishes the unit in flight and sends no other. Bytes outside units are
// all sent.
void StartUnit(OutputBuffer& buffer) noexcept;

// Sends everything gathered (see StartUnit).
void Flush(OutputBuffer& buffer) noexcept;

// Drops everything gathered.
void Discard(OutputBuffer& buffer) noexcept;

// True once when a write was refused since the last call.
bool TakeOutputFailure(OutputBuffer& buffer) noexcept;

}  // namespace nagyszam
