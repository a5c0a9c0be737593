# kvo_gtest(name SOURCES ... LIBS ... [ENV k=v ...]): a GoogleTest program run by CTest.
# Tests see the source and build folders as KVO_TEST_SOURCE_DIR / KVO_TEST_BINARY_DIR.
find_package(GTest REQUIRED)
include(GoogleTest)
function(kvo_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    KVO_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KVO_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
  kvo_executable(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "${ARG_ENV}")
endfunction()

# kvo_fuzzer(name SOURCES ... LIBS ...): a libFuzzer program (only with
# KVO_FUZZ); scripts/fuzz.sh finds its corpus in tests/fuzz/corpus/<name>.
function(kvo_fuzzer name)
  if(NOT KVO_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  kvo_executable(${name})
  set_property(GLOBAL APPEND PROPERTY KVO_FUZZERS ${name})
endfunction()

# kvo_fuzz_replay(name SUITE TestSuiteName CORPUS dir SOURCES ... LIBS ...):
# the fuzz entry in SOURCES run by CTest over every file of
# tests/fuzz/corpus/<dir> and tests/fuzz/regressions/<dir>, in every build.
function(kvo_fuzz_replay name)
  cmake_parse_arguments(ARG "" "SUITE;CORPUS" "SOURCES;LIBS" ${ARGN})
  kvo_gtest(${name} SOURCES ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_replay_test.cpp ${ARG_SOURCES} LIBS ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    KVO_FUZZ_SUITE=${ARG_SUITE}
    KVO_FUZZ_CORPUS="${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${ARG_CORPUS}"
    KVO_FUZZ_REGRESSIONS="${CMAKE_SOURCE_DIR}/tests/fuzz/regressions/${ARG_CORPUS}")
endfunction()
