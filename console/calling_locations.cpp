// The calling levels of the run-time error report, by the compiler's
// unwinder, which the POSIX and the MinGW-w64 builds share.
#include <unwind.h>

#include <cstdint>

#include "console/console_backend.h"
#include "console/runtime_error.h"

namespace nagyszam {

namespace {

constexpr int MaxFrames = 128;

struct Frames {
  std::uintptr_t Addresses[MaxFrames];
  int Count;
};

_Unwind_Reason_Code TakeFrame(struct _Unwind_Context* context, void* data) {
  Frames& frames = *static_cast<Frames*>(data);
  if (frames.Count == MaxFrames) return _URC_END_OF_STACK;
  frames.Addresses[frames.Count++] = _Unwind_GetIP(context);
  return _URC_NO_REASON;
}

std::uint32_t OffsetIn(const ProgramImage& image, std::uintptr_t address) noexcept {
  return static_cast<std::uint32_t>(address - image.Start);
}

}  // namespace

int CallingLocations(const void* failing, std::uint32_t* locations, int max) noexcept {
  if (max <= 0) return 0;
  const ProgramImage image = ThisProgram();
  const auto failingAddress = reinterpret_cast<std::uintptr_t>(failing);
  locations[0] = OffsetIn(image, failingAddress);
  static Frames frames;  // no heap, and kept off a possibly small stack
  frames.Count = 0;
  _Unwind_Backtrace(TakeFrame, &frames);
  int first = 0;
  while (first < frames.Count && frames.Addresses[first] != failingAddress) ++first;
  // The failing level repeated, then each caller while it lies in the
  // program (the C library's start-up code is no calling level of ours).
  int count = 0;
  for (int i = first; i < frames.Count && count < max; ++i) {
    const std::uintptr_t address = frames.Addresses[i];
    if (address < image.Start || address >= image.End) break;
    locations[count++] = OffsetIn(image, address);
  }
  if (count == 0) locations[count++] = OffsetIn(image, failingAddress);
  return count;
}

}  // namespace nagyszam
