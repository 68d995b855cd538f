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

# qv_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [QT])
# One GoogleTest executable registered with CTest. QT runs it on the
# offscreen platform.
function(qv_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Test programs are debugged from a Debug tree, not this optimised one: line
  # tables (file and line in every backtrace and sanitizer report) cost a
  # third less compile time than full debug information.
  target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
  target_compile_definitions(${name} PRIVATE QV_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
                                             QV_PROGRAM_DIR="${QV_PROGRAM_DIR}")
  # One value per property: a list would not survive test discovery.
  set(qpa "QV_TEST_TMP=set:${CMAKE_BINARY_DIR}/testtmp")
  if(T_QT)
    set(qpa "QT_QPA_PLATFORM=set:offscreen")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QV_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp"
                                  ENVIRONMENT_MODIFICATION "${qpa}" LABELS "${T_LABELS}")
endfunction()

# qv_add_fuzzer(NAME SOURCES ... LIBS ... [SEEDS files...]): a libFuzzer
# target, built only in the clang fuzzing build (QV_FUZZ). Seed files are
# copied into fuzzers/NAME.seeds, where the test command starts the fuzzer from.
function(qv_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;SEEDS" ${ARGN})
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
  if(F_SEEDS)
    file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/fuzzers/${name}.seeds)
    file(COPY ${F_SEEDS} DESTINATION ${CMAKE_BINARY_DIR}/fuzzers/${name}.seeds)
  endif()
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

# qv_add_program_target(NAME): a target that builds the program folder and
# the tools beside it (every executable, shared library and generated file
# outside tests/, bench/ and fuzz/), without the tests, benchmarks and
# fuzzers, so that starting the program waits for nothing else.
function(qv_add_program_target name)
  set(wanted)
  set(dirs ${CMAKE_SOURCE_DIR})
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
      if(NOT sub MATCHES "^${CMAKE_SOURCE_DIR}/(tests|bench|fuzz)(/|$)")
        list(APPEND dirs ${sub})
      endif()
    endforeach()
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${targets})
      get_target_property(type ${t} TYPE)
      if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY|UTILITY)$")
        list(APPEND wanted ${t})
      endif()
    endforeach()
  endwhile()
  add_custom_target(${name})
  if(wanted)
    add_dependencies(${name} ${wanted})
  endif()
endfunction()
