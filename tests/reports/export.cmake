# The export of the data files: dBase (read back with shapelib and with the
# independent reader python3-dbfread), iCalendar (parsed with python3-icalendar)
# and CSV. The readers are Debian's packages, so the tests run Debian's own
# interpreter rather than whichever python3 comes first on the PATH.
set(TKO_SYSTEM_PYTHON /usr/bin/python3)
tko_add_store_test(reports_export_test
  ${CMAKE_CURRENT_LIST_DIR}/DbaseExportTest.cpp ${CMAKE_CURRENT_LIST_DIR}/IcsExportTest.cpp)
target_compile_definitions(reports_export_test PRIVATE
  TKO_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}/tests" TKO_SYSTEM_PYTHON="${TKO_SYSTEM_PYTHON}")
tko_add_qttest(reports_export_window_test ${CMAKE_CURRENT_LIST_DIR}/DbaseExportWindowTest.cpp)
