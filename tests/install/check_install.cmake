# Script run by CTest: install, then build and run consumers of the installed SDK.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

# find_package consumer. The sanitizer flags of the SDK build must reach the consumer's link.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${WORK_DIR}/consumer -G ${GENERATOR}
                        -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer build failed")
endif()
execute_process(COMMAND ${WORK_DIR}/consumer/kvo_consumer RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer run failed: ${out}")
endif()
message(STATUS "find_package consumer: ${out}")

# pkg-config consumer.
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs kvo_tts OUTPUT_VARIABLE flags RESULT_VARIABLE rc
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know kvo_tts")
  endif()
  separate_arguments(flag_list UNIX_COMMAND "${flags}")
  execute_process(COMMAND ${CXX} ${SOURCE_DIR}/consumer/consumer.cpp ${flag_list} -fsanitize=address,undefined
                          -Wl,-rpath,${prefix}/lib -o ${WORK_DIR}/pc_consumer RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config consumer build failed with: ${flags}")
  endif()
  execute_process(COMMAND ${WORK_DIR}/pc_consumer RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config consumer run failed")
  endif()
endif()

# The player, when it was built: its package file and header.
if(PKG_CONFIG AND EXISTS ${prefix}/lib/pkgconfig/kvo_tts_player.pc)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs kvo_tts_player OUTPUT_VARIABLE flags RESULT_VARIABLE rc
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know kvo_tts_player")
  endif()
  separate_arguments(flag_list UNIX_COMMAND "${flags}")
  execute_process(COMMAND ${CXX} ${SOURCE_DIR}/consumer/player_consumer.cpp ${flag_list} -fsanitize=address,undefined
                          -Wl,-rpath,${prefix}/lib -o ${WORK_DIR}/player_consumer RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "player consumer build failed with: ${flags}")
  endif()
  execute_process(COMMAND ${WORK_DIR}/player_consumer RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "player consumer run failed")
  endif()
endif()
