# Tone sandhi and prosodic boundary prediction, added to the front-end
# library by include(sandhi.cmake) in this folder's CMakeLists.txt.
target_sources(kvo_engine_frontend PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tone_sandhi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prosodic_boundary.cpp)
