# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
# GCC's -Wshadow=local catches the shadowing that bites; clang has only the broad form.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wshadow=local)
endif()
if(KVO_WERROR)
  add_compile_options(-Werror)
endif()
if(KVO_SANITIZE AND KVO_TSAN)
  message(FATAL_ERROR "KVO_SANITIZE and KVO_TSAN cannot be combined")
endif()
if(KVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # clang links its static sanitizer runtime into programs only, which the
    # shared libraries' --no-undefined refuses; use the shared runtime.
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
                    OUTPUT_VARIABLE KVO_CLANG_RUNTIME_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
    add_link_options(-shared-libsan "LINKER:-rpath,${KVO_CLANG_RUNTIME_DIR}")
  endif()
endif()
if(KVO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(KVO_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "KVO_FUZZ needs clang; fuzz targets are skipped")
  set(KVO_FUZZ OFF)
endif()
if(KVO_FUZZ AND KVO_SANITIZE)
  # Coverage in the shared libraries and engine modules too; programs that
  # are no fuzzers get the runtime's empty coverage hooks.
  add_compile_options(-fsanitize=fuzzer-no-link
    "-fsanitize-coverage-ignorelist=${CMAKE_SOURCE_DIR}/tests/fuzz/coverage_ignore.txt")
elseif(KVO_FUZZ)
  message(WARNING "KVO_FUZZ without KVO_SANITIZE finds only crashes, not memory faults")
endif()

# kvo_shared_library(name SOVERSION n): a shared library of the SDK with a
# SONAME, RUNPATH $ORIGIN (new dtags, so it also applies to dlopen calls
# made by the library itself) and the export macro switched on.
function(kvo_shared_library name)
  cmake_parse_arguments(ARG "" "SOVERSION;EXPORT_MACRO" "" ${ARGN})
  if(NOT ARG_SOVERSION)
    set(ARG_SOVERSION 1)
  endif()
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${ARG_SOVERSION}
    INSTALL_RPATH "$ORIGIN"
    # The build tree has the same layout as an installation, and CMake's own
    # build RPATH would end in an empty entry that searches the working folder.
    BUILD_WITH_INSTALL_RPATH ON)
  target_link_options(${name} PRIVATE "LINKER:--enable-new-dtags" "LINKER:--no-undefined")
  if(ARG_EXPORT_MACRO)
    target_compile_definitions(${name} PRIVATE ${ARG_EXPORT_MACRO})
  endif()
endfunction()

# kvo_engine_module(name): a module loaded with dlopen by file name lib<name>.so.
function(kvo_engine_module name)
  set_target_properties(${name} PROPERTIES PREFIX "lib" INSTALL_RPATH "$ORIGIN" BUILD_WITH_INSTALL_RPATH ON)
  target_link_options(${name} PRIVATE "LINKER:--enable-new-dtags" "LINKER:--no-undefined")
endfunction()

# kvo_executable(name): programs find the libraries in ../lib.
function(kvo_executable name)
  set_target_properties(${name} PROPERTIES
    BUILD_RPATH "$ORIGIN/../lib"
    INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  target_link_options(${name} PRIVATE "LINKER:--enable-new-dtags")
endfunction()
