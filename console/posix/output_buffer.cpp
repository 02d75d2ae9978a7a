#include "console/posix/output_buffer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nagyszam {

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t length) noexcept {
  while (length > 0) {
    const ssize_t written = write(fd, bytes, length);
    if (written > 0) {
      bytes += written;
      length -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A descriptor shared with a non-blocking user: wait until it drains.
      pollfd ready{fd, POLLOUT, 0};
      if (poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
    }
    return false;
  }
  return true;
}

void StartOutputBuffer(int fd, OutputBuffer& buffer) noexcept {
  buffer.Fd = fd;
  buffer.Failed = false;
  buffer.Length = 0;
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

void AppendNumber(OutputBuffer& buffer, int value) noexcept {
  std::uint8_t digits[12];
  int first = 12;
  auto rest = static_cast<unsigned>(value < 0 ? 0 : value);
  do {
    digits[--first] = static_cast<std::uint8_t>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  Append(buffer, digits + first, static_cast<std::size_t>(12 - first));
}

void Flush(OutputBuffer& buffer) noexcept {
  if (buffer.Length == 0) return;
  if (!WriteAll(buffer.Fd, buffer.Bytes.data(), buffer.Length)) buffer.Failed = true;
  buffer.Length = 0;
}

bool TakeOutputFailure(OutputBuffer& buffer) noexcept {
  const bool failed = buffer.Failed;
  buffer.Failed = false;
  return failed;
}

}  // namespace nagyszam
