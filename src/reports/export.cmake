# Export of the data files: dBase III (through shapelib's DBF API), iCalendar
# and CSV (core), and the export window (ui).
find_path(SHAPELIB_INCLUDE_DIR shapefil.h REQUIRED)
find_library(SHAPELIB_LIBRARY shp REQUIRED)

target_sources(tko_reports PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DbaseExport.cpp ${CMAKE_CURRENT_LIST_DIR}/DbaseExport.h
  ${CMAKE_CURRENT_LIST_DIR}/IcsExport.cpp ${CMAKE_CURRENT_LIST_DIR}/IcsExport.h
  ${CMAKE_CURRENT_LIST_DIR}/CsvExport.cpp ${CMAKE_CURRENT_LIST_DIR}/CsvExport.h)
target_include_directories(tko_reports PUBLIC ${SHAPELIB_INCLUDE_DIR})
target_link_libraries(tko_reports PUBLIC ${SHAPELIB_LIBRARY})

target_sources(tko_reports_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ui/DbaseExportWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/ui/DbaseExportWindow.h)
