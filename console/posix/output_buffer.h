// Bytes for standard output, gathered so one operation reaches the device
// in one write loop.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nagyszam {

constexpr std::size_t OutputBufferSize = 1 << 16;

struct OutputBuffer {
  int Fd;
  bool Failed;  // a write was refused since the last TakeOutputFailure
  std::size_t Length;
  std::array<std::uint8_t, OutputBufferSize> Bytes;
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

// Sends everything gathered. A signal that comes meanwhile waits for the
// end of the output, so no escape sequence or glyph is cut in two.
void Flush(OutputBuffer& buffer) noexcept;

// Drops everything gathered.
void Discard(OutputBuffer& buffer) noexcept;

// True once when a write was refused since the last call.
bool TakeOutputFailure(OutputBuffer& buffer) noexcept;

}  // namespace nagyszam
