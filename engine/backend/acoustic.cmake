# Sources of acoustic parameter generation (analysis items to parameter
# frames) and the voice model reader.
set(KVO_ACOUSTIC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/band_solver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/context_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_ownership.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grouping.cpp
  ${CMAKE_CURRENT_LIST_DIR}/level_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logf0_trajectory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/model_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/param_generator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/phone_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/speech_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spectrum_trajectory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/state_duration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/voice_symbols.cpp
)
set(KVO_ACOUSTIC_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR})
