// The output buffer sends every byte in order, however much one output
// gathers (a transcript's last window can be three times the buffer).
#include "console/posix/output_buffer.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace nagyszam {
namespace {

TEST(OutputBuffer, MoreThanItHoldsLeavesWhole) {
  const int fd = memfd_create("output", 0);
  ASSERT_GE(fd, 0);
  auto buffer = std::make_unique<OutputBuffer>();
  StartOutputBuffer(fd, *buffer);
  std::string sent;
  for (int i = 0; sent.size() < 3 * OutputBufferSize; ++i) {
    // Sizes that rise and fall, so that pieces land on a nearly full buffer.
    const std::string piece(1 + i * 37 % 700, static_cast<char>('a' + i % 26));
    Append(*buffer, reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
    ASSERT_LE(buffer->Length, OutputBufferSize);  // never past its own bytes
    sent += piece;
  }
  Flush(*buffer);
  EXPECT_FALSE(TakeOutputFailure(*buffer));
  std::string received(sent.size() + 1, '\0');
  EXPECT_EQ(pread(fd, received.data(), received.size(), 0), ssize_t(sent.size()));
  received.resize(sent.size());
  EXPECT_TRUE(received == sent);
  close(fd);
}

}  // namespace
}  // namespace nagyszam
