#include "console/posix/output_buffer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "console/decimal.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {

namespace {

// Writes some of the bytes; how many, or -1 when the device refuses.
ssize_t WriteSome(int fd, const std::uint8_t* bytes, std::size_t length) noexcept {
  while (!WritingGivenUp()) {
    const ssize_t written = write(fd, bytes, length);
    if (written > 0) {
      WritingProgressed();
      return written;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A descriptor shared with a non-blocking user: wait until it drains.
      pollfd ready{fd, POLLOUT, 0};
      if (poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
    }
    return -1;
  }
  return -1;
}

}  // namespace

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t length) noexcept {
  while (length > 0) {
    const ssize_t written = WriteSome(fd, bytes, length);
    if (written < 0) return false;
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

void StartOutputBuffer(int fd, OutputBuffer& buffer) noexcept {
  buffer.Fd = fd;
  buffer.Failed = false;
  Discard(buffer);
}

void Append(OutputBuffer& buffer, const std::uint8_t* bytes, std::size_t length) noexcept {
  if (buffer.Length + length > buffer.Bytes.size()) Flush(buffer);
  if (length > buffer.Bytes.size()) {
    if (!WriteAll(buffer.Fd, bytes, length)) buffer.Failed = true;
    return;
  }
  std::memcpy(buffer.Bytes.data() + buffer.Length, bytes, length);
  buffer.Length += length;
}

void AppendText(OutputBuffer& buffer, const char* text) noexcept {
  Append(buffer, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
}

void AppendNumber(OutputBuffer& buffer, std::uint32_t value) noexcept {
  DecimalText digits;
  Append(buffer, digits.data(), static_cast<std::size_t>(FormatDecimal(value, false, digits)));
}

void Flush(OutputBuffer& buffer) noexcept {
  if (!WriteAll(buffer.Fd, buffer.Bytes.data(), buffer.Length)) buffer.Failed = true;
  Discard(buffer);
}

void Discard(OutputBuffer& buffer) noexcept {
  buffer.Length = 0;
}

bool TakeOutputFailure(OutputBuffer& buffer) noexcept {
  const bool failed = buffer.Failed;
  buffer.Failed = false;
  return failed;
}

}  // namespace nagyszam
