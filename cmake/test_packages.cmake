# The packages the tests, fuzz targets and benchmark build against, found
# once for the whole tree. `make test` installs what is missing first
# (scripts/test-packages.sh); a configure by hand says what to install.
function(nagyszam_require found package)
  if(NOT ${found})
    message(FATAL_ERROR "the tests need ${package}: apt-get install ${package}")
  endif()
endfunction()

find_package(PkgConfig)
nagyszam_require(PKG_CONFIG_FOUND pkg-config)

find_path(GMP_INCLUDE_DIR gmp.h)
find_library(GMP_LIBRARY gmp)
nagyszam_require(GMP_LIBRARY libgmp-dev)
nagyszam_require(GMP_INCLUDE_DIR libgmp-dev)
add_library(nagyszam_gmp INTERFACE)
target_include_directories(nagyszam_gmp INTERFACE ${GMP_INCLUDE_DIR})
target_link_libraries(nagyszam_gmp INTERFACE ${GMP_LIBRARY})

pkg_check_modules(VTERM QUIET IMPORTED_TARGET vterm)
nagyszam_require(VTERM_FOUND libvterm-dev)

if(NAGYSZAM_TESTS)
  find_package(GTest)
  nagyszam_require(GTest_FOUND "libgtest-dev libgmock-dev")
  include(GoogleTest)
endif()
