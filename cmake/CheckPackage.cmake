# cmake -DCPACK=<cpack> -DBINARY_DIR=... -DPACKAGE=<file name> -DLAUNCHER=<built launcher.exe>
#       -P CheckPackage.cmake
#
# Builds the release ZIP with CPack into a scratch folder, unpacks it, and
# checks that it holds exactly the expected files and that its launcher.exe
# is the one that was built.

cmake_minimum_required(VERSION 3.25)

set(scratch ${BINARY_DIR}/package-check)
file(REMOVE_RECURSE ${scratch})
file(MAKE_DIRECTORY ${scratch}/unpacked)

execute_process(
  COMMAND ${CPACK} --config ${BINARY_DIR}/CPackConfig.cmake
          -B ${scratch}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()

set(zip ${scratch}/${PACKAGE}.zip)
if(NOT EXISTS ${zip})
  message(FATAL_ERROR "cpack did not make ${zip}:\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip}
                WORKING_DIRECTORY ${scratch}/unpacked RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${zip}")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${scratch}/unpacked
     ${scratch}/unpacked/*)
list(SORT files)
set(expected
  ${PACKAGE}/LICENSE
  ${PACKAGE}/README.md
  ${PACKAGE}/examples/assets/main.exe
  ${PACKAGE}/examples/cpuinfo.exe
  ${PACKAGE}/launcher.exe)
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "${zip} holds:\n  ${files}\nexpected:\n  ${expected}")
endif()

file(SHA256 ${scratch}/unpacked/${PACKAGE}/launcher.exe packaged)
file(SHA256 ${LAUNCHER} built)
if(NOT packaged STREQUAL built)
  message(FATAL_ERROR "the packaged launcher.exe is not ${LAUNCHER}")
endif()
message(STATUS "${PACKAGE}.zip: ${files}")
