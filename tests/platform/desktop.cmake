# Desktop conventions kept in plain functions.
tko_add_gtest(desktop_rules_test ${CMAKE_CURRENT_LIST_DIR}/UserFileTest.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/HotKeysTest.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/WindowPlacementTest.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/HelpIndexTest.cpp)

# The AppStream metadata that cmake --install and the package install.
find_program(TKO_APPSTREAMCLI appstreamcli)
if(TKO_APPSTREAMCLI)
  add_test(NAME appstream_metadata_valid
           COMMAND ${TKO_APPSTREAMCLI} validate --no-net
                   ${CMAKE_SOURCE_DIR}/desktop/org.taskorbit.MultiUser.metainfo.xml)
endif()
