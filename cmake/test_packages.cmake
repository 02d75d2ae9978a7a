# The packages the tests, fuzz targets and benchmark build against, found
# once for the whole tree. With NAGYSZAM_TESTS=ON a missing one stops the
# configure with the command that installs it (`make test` runs
# scripts/test-packages.sh first, so it never gets there); with AUTO the
# tests are simply left out.
set(nagyszam_missing "")
macro(nagyszam_need found package)
  if(NOT ${found})
    list(APPEND nagyszam_missing ${package})
  endif()
endmacro()

find_package(PkgConfig QUIET)
nagyszam_need(PKG_CONFIG_FOUND pkg-config)
find_path(GMP_INCLUDE_DIR gmp.h)
find_library(GMP_LIBRARY gmp)
nagyszam_need(GMP_LIBRARY libgmp-dev)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(VTERM QUIET IMPORTED_TARGET vterm)
endif()
nagyszam_need(VTERM_FOUND libvterm-dev)

if(NOT NAGYSZAM_TESTS STREQUAL "OFF")
  find_package(GTest QUIET)
  nagyszam_need(GTest_FOUND "libgtest-dev libgmock-dev")
  # The Windows program, cross-built and run under wine, in plain builds.
  if(NOT NAGYSZAM_SANITIZE AND NOT WIN32)
    find_program(NAGYSZAM_MINGW_CXX NAMES x86_64-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-posix
                                          x86_64-w64-mingw32-g++)
    find_program(NAGYSZAM_MINGW_OBJDUMP x86_64-w64-mingw32-objdump)
    find_program(NAGYSZAM_WINE wine)
    find_program(NAGYSZAM_TMUX tmux)
    nagyszam_need(NAGYSZAM_MINGW_CXX g++-mingw-w64-x86-64)
    nagyszam_need(NAGYSZAM_MINGW_OBJDUMP binutils-mingw-w64-x86-64)
    nagyszam_need(NAGYSZAM_WINE wine)
    nagyszam_need(NAGYSZAM_TMUX tmux)
  endif()
endif()

if(nagyszam_missing)
  list(JOIN nagyszam_missing " " missing)
  if(NAGYSZAM_TESTS STREQUAL "ON" OR NAGYSZAM_FUZZ)
    message(FATAL_ERROR "the tests need packages that are missing: apt-get install ${missing}")
  endif()
  message(STATUS "tests left out, packages missing: ${missing} (make test installs them)")
  set(NAGYSZAM_TESTS OFF)
  return()
endif()
if(NOT NAGYSZAM_TESTS STREQUAL "OFF")
  set(NAGYSZAM_TESTS ON)
  include(GoogleTest)
endif()

add_library(nagyszam_gmp INTERFACE)
target_include_directories(nagyszam_gmp INTERFACE ${GMP_INCLUDE_DIR})
target_link_libraries(nagyszam_gmp INTERFACE ${GMP_LIBRARY})
