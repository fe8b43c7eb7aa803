# Desktop conventions kept in plain functions.
tko_add_gtest(desktop_rules_test ${CMAKE_CURRENT_LIST_DIR}/UserFileTest.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/HotKeysTest.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/WindowPlacementTest.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/HelpIndexTest.cpp)
