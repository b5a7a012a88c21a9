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

# launcher_run_under_wine(test...): the tests run in the run's prefix, after
# the fixture has made it, and one at a time: the end-to-end cases share
# drive C: of the prefix.
function(launcher_run_under_wine)
  set_tests_properties(${ARGN} PROPERTIES
    FIXTURES_REQUIRED wine_prefix
    RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${LAUNCHER_WINE_PREFIX};WINEDEBUG=-all")
endfunction()

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
    launcher_run_under_wine(${cases})
    set_tests_properties(${cases} PROPERTIES TIMEOUT ${arg_TIMEOUT})
  else()
    gtest_discover_tests(${target}
      PROPERTIES TIMEOUT ${arg_TIMEOUT}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
