// Where the program stands when it stops, and how it ends.
#include "console/windows/windows_backends.h"

// The linker's symbol at the program's load address.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace nagyszam {

namespace {

constexpr DWORD MaxFrames = 62;  // the most one capture returns

struct ProgramImage {
  std::uintptr_t Start;
  std::uintptr_t End;
};

ProgramImage TheProgram() noexcept {
  const auto start = reinterpret_cast<std::uintptr_t>(&__ImageBase);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(start + __ImageBase.e_lfanew);
  return ProgramImage{start, start + headers->OptionalHeader.SizeOfImage};
}

}  // namespace

int CallingLocations(const void* failing, std::uint32_t* locations, int max) noexcept {
  if (max <= 0) return 0;
  const ProgramImage image = TheProgram();
  const auto failingAddress = reinterpret_cast<std::uintptr_t>(failing);
  void* frames[MaxFrames];
  const int frameCount = RtlCaptureStackBackTrace(0, MaxFrames, frames, nullptr);
  int first = 0;
  while (first < frameCount && reinterpret_cast<std::uintptr_t>(frames[first]) != failingAddress)
    ++first;
  // The failing level repeated, then each caller while it lies in the
  // program (the C library's start-up code is no calling level of ours).
  int count = 0;
  for (int i = first; i < frameCount && count < max; ++i) {
    const auto address = reinterpret_cast<std::uintptr_t>(frames[i]);
    if (address < image.Start || address >= image.End) break;
    locations[count++] = static_cast<std::uint32_t>(address - image.Start);
  }
  if (count == 0) locations[count++] = static_cast<std::uint32_t>(failingAddress - image.Start);
  return count;
}

void LeaveProcess(int exitCode) noexcept {
  ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace nagyszam
