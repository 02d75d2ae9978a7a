// Where the program lies in memory, and how it ends.
#include <link.h>

#include <cstdint>
#include <cstdlib>

#include "console/console_backend.h"
#include "console/posix/terminal_guard.h"

namespace nagyszam {

namespace {

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

}  // namespace

ProgramImage ThisProgram() noexcept {
  ProgramImage image{0, 0};
  dl_iterate_phdr(FindProgram, &image);
  return image;
}

void LeaveProcess(int exitCode) noexcept {
  EndIfSignalled();  // a signal during the last output still ends the process
  std::exit(exitCode);
}

}  // namespace nagyszam
