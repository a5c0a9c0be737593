# Package files: find_package(kvo_tts) and pkg-config. Targets register
# themselves for export by adding to the KVO_EXPORTED_TARGETS property.
include(CMakePackageConfigHelpers)
get_property(_kvo_targets GLOBAL PROPERTY KVO_EXPORTED_TARGETS)
if(_kvo_targets)
  install(TARGETS ${_kvo_targets} EXPORT kvo_ttsTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kvo)
  install(EXPORT kvo_ttsTargets NAMESPACE kvo:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kvo_tts)
  configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/kvo_ttsConfig.cmake.in
    ${CMAKE_BINARY_DIR}/kvo_ttsConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kvo_tts)
  write_basic_package_version_file(${CMAKE_BINARY_DIR}/kvo_ttsConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_BINARY_DIR}/kvo_ttsConfig.cmake ${CMAKE_BINARY_DIR}/kvo_ttsConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/kvo_tts)
endif()

get_property(_kvo_pc GLOBAL PROPERTY KVO_PKGCONFIG_LIBS)
foreach(_lib ${_kvo_pc})
  set(KVO_PC_NAME ${_lib})
  # Every SDK library builds on the system library.
  if(_lib STREQUAL "kvo_sys")
    set(KVO_PC_REQUIRES "")
  else()
    set(KVO_PC_REQUIRES "kvo_sys")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/cmake/kvo.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${_lib}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${_lib}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# The voice catalogue and the built voices.
if(EXISTS ${KVO_DATA_DIR})
  install(DIRECTORY ${KVO_DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kvo_tts/data)
endif()
