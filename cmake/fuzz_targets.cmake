# The fuzz targets, each beside the code it fuzzes, built at the root of the
# build tree; `fuzz_targets` builds them all.
add_custom_target(fuzz_targets)

function(nagyszam_fuzz_target name source)
  add_executable(${name} ${PROJECT_SOURCE_DIR}/${source})
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  add_dependencies(fuzz_targets ${name})
endfunction()

find_library(NAGYSZAM_GMP gmp REQUIRED)
nagyszam_fuzz_target(numbers_fuzz numbers/numbers_fuzz.cpp numbers ${NAGYSZAM_GMP})
nagyszam_fuzz_target(key_decoder_fuzz console/key_decoder_fuzz.cpp console)
nagyszam_fuzz_target(window_fuzz console/window_fuzz.cpp console)
nagyszam_fuzz_target(entry_fuzz entry/entry_fuzz.cpp entry)

# The terminal backend, read back by a real terminal emulator.
find_package(PkgConfig REQUIRED)
pkg_check_modules(NAGYSZAM_FUZZ_VTERM REQUIRED IMPORTED_TARGET vterm)
nagyszam_fuzz_target(terminal_fuzz console/posix/terminal_fuzz.cpp console
                     PkgConfig::NAGYSZAM_FUZZ_VTERM)
