# GoogleTest, built from source with the project's own toolchain, so that
# the same tests build natively and for Windows. Debian's googletest package
# puts the sources in /usr/src/googletest; nothing is downloaded.

set(LAUNCHER_GOOGLETEST_SOURCE_DIR /usr/src/googletest
    CACHE PATH "GoogleTest source tree")

if(NOT EXISTS ${LAUNCHER_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR
    "GoogleTest sources not found in ${LAUNCHER_GOOGLETEST_SOURCE_DIR}. "
    "On Debian: apt-get install googletest; elsewhere set "
    "LAUNCHER_GOOGLETEST_SOURCE_DIR.")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# Match the runtime the tests link: MSVC's default is the DLL runtime.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${LAUNCHER_GOOGLETEST_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)
