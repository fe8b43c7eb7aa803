# Desktop conventions as plain logic: names of files the user saves, the help
# topics' full-text index and where a window opens.
target_sources(tko_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UserFile.cpp ${CMAKE_CURRENT_LIST_DIR}/UserFile.h
  ${CMAKE_CURRENT_LIST_DIR}/IniFiles.cpp ${CMAKE_CURRENT_LIST_DIR}/IniFiles.h)
target_sources(tko_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HotKeys.cpp ${CMAKE_CURRENT_LIST_DIR}/HotKeys.h
  ${CMAKE_CURRENT_LIST_DIR}/AccessibleText.cpp ${CMAKE_CURRENT_LIST_DIR}/AccessibleText.h)
target_sources(tko_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WindowPlacement.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowPlacement.h)
target_sources(tko_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HelpIndex.cpp ${CMAKE_CURRENT_LIST_DIR}/HelpIndex.h)
# The program's icon, drawn from the SVG that the desktop entry installs too.
target_sources(tko_platform_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/AppIcon.cpp ${CMAKE_CURRENT_LIST_DIR}/ui/AppIcon.h
  ${CMAKE_SOURCE_DIR}/desktop/icon.qrc)
