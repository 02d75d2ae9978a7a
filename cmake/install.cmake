# `cmake --install`: the library as a CMake package (nagyszam::numbers, with
# a version file) and a pkg-config file, its one public header, and the
# program when it was built.
include(CMakePackageConfigHelpers)

# The header is installed as <prefix>/include/nagyszam/numbers/numbers.h, so
# that `#include "numbers/numbers.h"` reads the same in and out of the tree.
set(NAGYSZAM_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/nagyszam)
install(TARGETS numbers EXPORT nagyszamTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/numbers/numbers.h DESTINATION ${NAGYSZAM_INCLUDE_DIR}/numbers)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/nagyszam)
install(EXPORT nagyszamTargets NAMESPACE nagyszam:: DESTINATION ${config_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/nagyszamConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/nagyszamConfig.cmake
                              INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/nagyszamConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/nagyszamConfig.cmake
              ${PROJECT_BINARY_DIR}/nagyszamConfigVersion.cmake
        DESTINATION ${config_dir})

# The .pc file finds its prefix from where it lies, so an install to any
# --prefix is found as it is.
file(RELATIVE_PATH NAGYSZAM_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" NAGYSZAM_PC_TO_PREFIX "${NAGYSZAM_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/nagyszam.pc.in ${PROJECT_BINARY_DIR}/nagyszam.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/nagyszam.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TARGET nagyszam)
  install(TARGETS nagyszam RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
