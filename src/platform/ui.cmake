# The UI kit: paged lists, form requests and the calendar grid as logic in the
# core; message boxes, form scaffolding, the browse list, the calendar pop-up,
# the help browser and printer set-up as windows.
set(_tko_ui_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(tko_platform PRIVATE
  ${_tko_ui_dir}/Answer.h
  ${_tko_ui_dir}/BrowsePager.cpp ${_tko_ui_dir}/BrowsePager.h
  ${_tko_ui_dir}/CalendarMonth.cpp ${_tko_ui_dir}/CalendarMonth.h
  ${_tko_ui_dir}/ChangeWatcher.cpp ${_tko_ui_dir}/ChangeWatcher.h
  ${_tko_ui_dir}/RecordChanges.cpp ${_tko_ui_dir}/RecordChanges.h
  ${_tko_ui_dir}/RecordMerge.cpp ${_tko_ui_dir}/RecordMerge.h
  ${_tko_ui_dir}/FormRequest.cpp ${_tko_ui_dir}/FormRequest.h
  ${_tko_ui_dir}/ListFormat.cpp ${_tko_ui_dir}/ListFormat.h
  ${_tko_ui_dir}/StandardMessage.cpp ${_tko_ui_dir}/StandardMessage.h
  ${_tko_ui_dir}/QtText.cpp ${_tko_ui_dir}/QtText.h
  ${_tko_ui_dir}/Translate.cpp ${_tko_ui_dir}/Translate.h)
target_sources(tko_platform_ui PRIVATE
  ${_tko_ui_dir}/ui/AccessibleNames.cpp ${_tko_ui_dir}/ui/AccessibleNames.h
  ${_tko_ui_dir}/ui/BrowseList.cpp ${_tko_ui_dir}/ui/BrowseList.h
  ${_tko_ui_dir}/ui/CalendarPopup.cpp ${_tko_ui_dir}/ui/CalendarPopup.h
  ${_tko_ui_dir}/ui/DialogButtons.cpp ${_tko_ui_dir}/ui/DialogButtons.h
  ${_tko_ui_dir}/ui/FormScaffold.cpp ${_tko_ui_dir}/ui/FormScaffold.h
  ${_tko_ui_dir}/ui/NumberEntry.cpp ${_tko_ui_dir}/ui/NumberEntry.h
  ${_tko_ui_dir}/ui/HelpBrowser.cpp ${_tko_ui_dir}/ui/HelpBrowser.h
  ${_tko_ui_dir}/ui/ListWindow.cpp ${_tko_ui_dir}/ui/ListWindow.h
  ${_tko_ui_dir}/ui/MessageBox.cpp ${_tko_ui_dir}/ui/MessageBox.h
  ${_tko_ui_dir}/ui/PasteGuard.cpp ${_tko_ui_dir}/ui/PasteGuard.h
  ${_tko_ui_dir}/ui/PrinterSetup.cpp ${_tko_ui_dir}/ui/PrinterSetup.h
  ${_tko_ui_dir}/ui/Procedures.cpp ${_tko_ui_dir}/ui/Procedures.h
  ${_tko_ui_dir}/ui/WindowTranslation.cpp ${_tko_ui_dir}/ui/WindowTranslation.h
  ${CMAKE_SOURCE_DIR}/help/help.qrc)
