# Display pictures and the active locale format (shown and typed values).
target_sources(tko_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/LocaleFormat.cpp ${CMAKE_CURRENT_LIST_DIR}/LocaleFormat.h
  ${CMAKE_CURRENT_LIST_DIR}/Picture.cpp ${CMAKE_CURRENT_LIST_DIR}/Picture.h
  ${CMAKE_CURRENT_LIST_DIR}/LineText.cpp ${CMAKE_CURRENT_LIST_DIR}/LineText.h)
