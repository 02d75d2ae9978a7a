# The fuzz targets, each beside the code it fuzzes with its seed corpus in
# fuzz_corpus/<name>. In a fuzz build (`make fuzz`) each is a libFuzzer
# program at the root of the build tree, `fuzz_targets` builds them all and
# fuzz_targets.txt lists them; in a test build each replays its corpus as a
# test.
if(NAGYSZAM_FUZZ)
  add_custom_target(fuzz_targets)
  set(NAGYSZAM_FUZZ_LIST "")
endif()

function(nagyszam_fuzz_target name source)
  get_filename_component(folder ${PROJECT_SOURCE_DIR}/${source} DIRECTORY)
  set(corpus ${folder}/fuzz_corpus/${name})
  if(NAGYSZAM_FUZZ)
    add_executable(${name}_fuzz ${PROJECT_SOURCE_DIR}/${source})
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name}_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
    add_dependencies(fuzz_targets ${name}_fuzz)
    set(NAGYSZAM_FUZZ_LIST "${NAGYSZAM_FUZZ_LIST}${name} ${corpus}\n" PARENT_SCOPE)
  else()
    add_executable(${name}_fuzz ${PROJECT_SOURCE_DIR}/${source}
                                ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
    add_test(NAME ${name}_fuzz_corpus COMMAND ${name}_fuzz ${corpus})
  endif()
  target_link_libraries(${name}_fuzz PRIVATE ${ARGN})
endfunction()

nagyszam_fuzz_target(window console/window_fuzz.cpp console_testing)
# The terminal backend, read back by a real terminal emulator.
nagyszam_fuzz_target(terminal console/posix/terminal_fuzz.cpp console PkgConfig::VTERM)

if(NAGYSZAM_FUZZ)
  file(WRITE ${PROJECT_BINARY_DIR}/fuzz_targets.txt "${NAGYSZAM_FUZZ_LIST}")
endif()
