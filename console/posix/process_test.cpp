// Where the program lies, as the run-time error report takes it: from its
// first byte to past its last, code and data, so that the calling levels
// inside the program are told from the C library's.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "console/console_backend.h"

namespace nagyszam {
namespace {

char zeroed[4096];  // zero-initialised: at the image's end, past its file contents

TEST(ProgramImage, FromItsFirstByteToPastItsData) {
  const ProgramImage image = ThisProgram();
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&ThisProgram), &info), 0);
  EXPECT_EQ(image.Start, reinterpret_cast<std::uintptr_t>(info.dli_fbase));
  for (const void* inside : {static_cast<const void*>(&zeroed[sizeof zeroed - 1]),
                             reinterpret_cast<const void*>(&ThisProgram)}) {
    const auto address = reinterpret_cast<std::uintptr_t>(inside);
    EXPECT_LE(image.Start, address);
    EXPECT_LT(address, image.End);
  }
}

}  // namespace
}  // namespace nagyszam
