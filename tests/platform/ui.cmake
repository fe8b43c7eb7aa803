# Tests of the UI kit: logic headless, windows on the offscreen platform.
set(_tko_ui_tests ${CMAKE_CURRENT_LIST_DIR}/ui)
tko_add_gtest(form_request_test ${_tko_ui_tests}/FormRequestTest.cpp
                                ${_tko_ui_tests}/CalendarMonthTest.cpp
                                ${_tko_ui_tests}/ListFormatTest.cpp)
# The read-only tests on 10 000 rows share one store: one process per engine.
tko_add_store_test(browse_pager_test ${_tko_ui_tests}/BrowsePagerTest.cpp
                                     ${_tko_ui_tests}/PagerFixture.cpp ${_tko_ui_tests}/PagerFixture.h
                   WHOLE_SUITES BrowsePagerLarge)
# Sample windows with made-up texts: not recorded.
tko_add_qttest(browse_list_test ${_tko_ui_tests}/BrowseListTest.cpp
                                ${_tko_ui_tests}/PagerFixture.cpp ${_tko_ui_tests}/PagerFixture.h
               LIBS tko_test_support NO_TEXTS)
tko_add_qttest(list_window_test ${_tko_ui_tests}/ListWindowTest.cpp
                                ${_tko_ui_tests}/PagerFixture.cpp ${_tko_ui_tests}/PagerFixture.h
               LIBS tko_test_support NO_TEXTS)
tko_add_qttest(ui_kit_test ${_tko_ui_tests}/UiKitTest.cpp)
tko_add_qttest(live_windows_test ${_tko_ui_tests}/LiveWindowsTest.cpp LIBS tko_test_support)
# The same windows with both stations on the server.
add_test(NAME pg.live_windows_test COMMAND live_windows_test)
set_tests_properties(pg.live_windows_test PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TKO_TEST_ENGINE=postgres"
                     LABELS postgres)
