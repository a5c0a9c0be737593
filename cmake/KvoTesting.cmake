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
