# Cross-builds the program for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64). The result needs only kernel32 and msvcrt: the C++
# and GCC run-time libraries are linked in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The win32 threads variant needs no pthread library; either serves.
find_program(MINGW_CXX NAMES x86_64-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-posix
                             x86_64-w64-mingw32-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${MINGW_CXX})

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
