# cmake -DSOURCE_DIR=... -DSCRATCH_DIR=... -DTOOLCHAIN=... -DBUILT=<launcher.exe>
#       -P CheckReproducible.cmake
#
# Copies the sources to two folders of different names and depths, builds
# launcher.exe in each, and fails unless both, and the launcher.exe built
# by the calling build tree, are the same bytes.

cmake_minimum_required(VERSION 3.25)

set(trees ${SCRATCH_DIR}/a ${SCRATCH_DIR}/second-tree/deeper/b)
file(REMOVE_RECURSE ${SCRATCH_DIR})

# The source tree without its build folders and version control.
file(GLOB entries RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(REMOVE_ITEM entries build .git)

set(hashes)
foreach(tree IN LISTS trees)
  file(MAKE_DIRECTORY ${tree})
  foreach(entry IN LISTS entries)
    file(COPY ${SOURCE_DIR}/${entry} DESTINATION ${tree}/source)
  endforeach()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${tree}/source -B ${tree}/build
            -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release
            -DLAUNCHER_BUILD_TESTS=OFF
    RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(status EQUAL 0)
    execute_process(
      COMMAND ${CMAKE_COMMAND} --build ${tree}/build --target launcher
      RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  endif()
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "building in ${tree} failed:\n${log}")
  endif()
  file(SHA256 ${tree}/build/bin/launcher.exe hash)
  message(STATUS "${hash}  ${tree}/build/bin/launcher.exe")
  list(APPEND hashes ${hash})
endforeach()

file(SHA256 ${BUILT} built)
message(STATUS "${built}  ${BUILT}")
list(GET hashes 0 first)
list(GET hashes 1 second)
if(NOT first STREQUAL second OR NOT first STREQUAL built)
  message(FATAL_ERROR "launcher.exe differs between builds of the same sources")
endif()
file(REMOVE_RECURSE ${SCRATCH_DIR})
