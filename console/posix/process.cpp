// Where the program stands when it stops, and how it ends.
#include <link.h>
#include <unwind.h>

#include <cstdint>
#include <cstdlib>

#include "console/console_backend.h"
#include "console/posix/terminal_guard.h"

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

// The program's own image: where it was loaded and where it ends.
struct ProgramImage {
  std::uintptr_t Start;
  std::uintptr_t End;
};

int FindProgram(struct dl_phdr_info* info, std::size_t, void* data) {
  // The first object listed is the program itself.
  ProgramImage& image = *static_cast<ProgramImage*>(data);
  std::uintptr_t low = UINTPTR_MAX;
  std::uintptr_t high = 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type != PT_LOAD) continue;
    const std::uintptr_t start = info->dlpi_addr + header.p_vaddr;
    if (start < low) low = start;
    if (start + header.p_memsz > high) high = start + header.p_memsz;
  }
  image.Start = low;
  image.End = high;
  return 1;
}

std::uint32_t OffsetIn(const ProgramImage& image, std::uintptr_t address) noexcept {
  return static_cast<std::uint32_t>(address - image.Start);
}

}  // namespace

int CallingLocations(const void* failing, std::uint32_t* locations, int max) noexcept {
  if (max <= 0) return 0;
  ProgramImage image{0, 0};
  dl_iterate_phdr(FindProgram, &image);
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

void LeaveProcess(int exitCode) noexcept {
  EndIfSignalled();  // a signal during the last output still ends the process
  std::exit(exitCode);
}

}  // namespace nagyszam
