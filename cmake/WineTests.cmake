# Test registration. Natively, GoogleTest cases are discovered by running the
# test programs. In a cross build they run under Wine instead, in a private
# prefix inside the build tree that a CTest fixture makes fresh for each test
# run, with one persistent wineserver for the whole run.

set(LAUNCHER_RUNS_UNDER_WINE OFF)
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR MATCHES "wine")
  set(LAUNCHER_RUNS_UNDER_WINE ON)
  set(LAUNCHER_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(wine_prefix_script ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh)

  add_test(NAME wine_prefix_start
           COMMAND sh ${wine_prefix_script} start ${LAUNCHER_WINE_PREFIX})
  add_test(NAME wine_prefix_stop
           COMMAND sh ${wine_prefix_script} stop ${LAUNCHER_WINE_PREFIX})
  set_tests_properties(wine_prefix_start PROPERTIES
    FIXTURES_SETUP wine_prefix TIMEOUT 300)
  set_tests_properties(wine_prefix_stop PROPERTIES
    FIXTURES_CLEANUP wine_prefix)
endif()

# launcher_add_gtest(target [TIMEOUT seconds]): registers each test case of
# a GoogleTest program with CTest.
function(launcher_add_gtest target)
  cmake_parse_arguments(arg "" "TIMEOUT" "" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()

  if(LAUNCHER_RUNS_UNDER_WINE)
    # Listing the cases would itself need Wine at build time, so they are
    # read from the sources instead.
    gtest_add_tests(TARGET ${target} TEST_LIST cases)
    # One at a time: the end-to-end cases share drive C: of the prefix.
    set_tests_properties(${cases} PROPERTIES
      FIXTURES_REQUIRED wine_prefix
      RUN_SERIAL TRUE
      TIMEOUT ${arg_TIMEOUT}
      ENVIRONMENT "WINEPREFIX=${LAUNCHER_WINE_PREFIX};WINEDEBUG=-all")
  else()
    gtest_discover_tests(${target}
      PROPERTIES TIMEOUT ${arg_TIMEOUT}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
