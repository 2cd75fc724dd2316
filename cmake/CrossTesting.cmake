# Tests of a cross build: GoogleTest built from Debian's sources with the cross compiler, and one
# test per test program, run under the emulator (Wine), instead of one per test case: each start of
# an emulated program costs far more than a native one.
set(P25_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
if(NOT EXISTS ${P25_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${P25_GTEST_SOURCE_DIR} (install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# GoogleTest's own warnings are not ours to fix.
get_directory_property(p25_saved_compile_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${P25_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${p25_saved_compile_options}")
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

# Benchmarks measure the native build.
set(P25_BENCH OFF)

function(gtest_discover_tests target)
  cmake_parse_arguments(arg "" "TEST_PREFIX;DISCOVERY_TIMEOUT" "PROPERTIES" ${ARGN})
  add_test(NAME ${arg_TEST_PREFIX}${target} COMMAND ${target})
  if(arg_PROPERTIES)
    set_tests_properties(${arg_TEST_PREFIX}${target} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()
