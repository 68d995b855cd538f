# Adds every direct sub-folder of DIR that holds a CMakeLists.txt, recursing
# into folders that only group others.
function(qv_add_subdirectories dir)
  set(base ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
  if(NOT IS_DIRECTORY ${base})
    return()
  endif()
  if(EXISTS ${base}/CMakeLists.txt)
    add_subdirectory(${base} ${CMAKE_CURRENT_BINARY_DIR}/${dir})
    return()
  endif()
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${base}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child})
      qv_add_subdirectories(${child})
    endif()
  endforeach()
endfunction()

# The test framework's headers, precompiled once and reused by every test
# program of the build (QV_PCH): they cost each test file more than a second
# to parse. The macros a test program defines (its source folder) are not
# used by these headers, so one precompiled copy serves them all.
function(qv_test_pch_target)
  if(NOT QV_PCH OR TARGET qv_test_pch)
    return()
  endif()
  # An executable like the tests, so that it is compiled with their flags.
  file(WRITE ${CMAKE_BINARY_DIR}/qv_test_pch.cpp "// The precompiled test headers are built with this program.\nint main() { return 0; }\n")
  add_executable(qv_test_pch ${CMAKE_BINARY_DIR}/qv_test_pch.cpp)
  # Qt makes the programs that use it -fPIC; every test is, so that all of
  # them match the one precompiled copy.
  target_compile_options(qv_test_pch PRIVATE -fPIC)
  target_link_libraries(qv_test_pch PRIVATE GTest::gtest GTest::gmock)
  target_precompile_headers(qv_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <filesystem>)
endfunction()

# qv_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [QT])
# One GoogleTest executable registered with CTest. QT runs it on the
# offscreen platform.
function(qv_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE QV_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
                                             QV_PROGRAM_DIR="${QV_PROGRAM_DIR}")
  if(QV_PCH)
    qv_test_pch_target()
    target_compile_options(${name} PRIVATE -fPIC)
    target_precompile_headers(${name} REUSE_FROM qv_test_pch)
  endif()
  # One value per property: a list would not survive test discovery.
  set(qpa "QV_TEST_TMP=set:${CMAKE_BINARY_DIR}/testtmp")
  if(T_QT)
    set(qpa "QT_QPA_PLATFORM=set:offscreen")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QV_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp"
                                  ENVIRONMENT_MODIFICATION "${qpa}" LABELS "${T_LABELS}")
endfunction()

# qv_add_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target, built only
# in the clang fuzzing build (QV_FUZZ).
function(qv_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QV_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzzers)
  if(NOT TARGET all-fuzzers)
    add_custom_target(all-fuzzers)
  endif()
  add_dependencies(all-fuzzers ${name})
endfunction()

# qv_add_bench(NAME SOURCES ... LIBS ...): a Google Benchmark program.
function(qv_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark QUIET)
  if(NOT benchmark_FOUND)
    return()
  endif()
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
