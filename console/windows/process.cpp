// Where the program lies in memory, and how it ends.
#include "console/windows/windows_backends.h"

// The linker's symbol at the program's load address.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace nagyszam {

ProgramImage ThisProgram() noexcept {
  const auto start = reinterpret_cast<std::uintptr_t>(&__ImageBase);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(start + __ImageBase.e_lfanew);
  return ProgramImage{start, start + headers->OptionalHeader.SizeOfImage};
}

void LeaveProcess(int exitCode) noexcept {
  ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace nagyszam
