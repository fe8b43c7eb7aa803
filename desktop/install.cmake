# Installation and the Debian package.
#
# Two layouts, chosen with TKO_INSTALL_LAYOUT:
#   bundle (default)  the programs, liblingua.so and the language files side by
#                     side in PREFIX/bin, as a copy for one folder needs them;
#   system            the same files side by side in PREFIX/libexec/taskorbit, the
#                     programs linked from PREFIX/bin: the Debian package's layout
#                     (libexec rather than lib: liblingua.so is the programs'
#                     own, so the package needs no ldconfig run).
# Both add the desktop entry, the icon, the AppStream metadata, the manual pages
# and the package's copyright and changelog under PREFIX/share.
set(TKO_INSTALL_LAYOUT "bundle" CACHE STRING "Where the programs go: bundle or system")
set_property(CACHE TKO_INSTALL_LAYOUT PROPERTY STRINGS bundle system)
if(TKO_INSTALL_LAYOUT STREQUAL "system")
  set(_tko_program_dir libexec/taskorbit)
elseif(TKO_INSTALL_LAYOUT STREQUAL "bundle")
  set(_tko_program_dir bin)
else()
  message(FATAL_ERROR "TKO_INSTALL_LAYOUT must be bundle or system, not ${TKO_INSTALL_LAYOUT}")
endif()

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_INSTALL_RPATH "$ORIGIN")
set_target_properties(taskorbm taskorbit-cli PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS taskorbm taskorbit-cli lingua
        RUNTIME DESTINATION ${_tko_program_dir}
        LIBRARY DESTINATION ${_tko_program_dir})
install(FILES ${CMAKE_BINARY_DIR}/bin/En_tkom.ltf ${CMAKE_BINARY_DIR}/bin/De_tkom.ltf
              ${CMAKE_BINARY_DIR}/bin/Ling.nls
        DESTINATION ${_tko_program_dir})
if(TKO_INSTALL_LAYOUT STREQUAL "system")
  # The programs find their library and language files beside their real
  # path (the links resolve to libexec/taskorbit).
  set(_tko_links ${CMAKE_BINARY_DIR}/install-links)
  file(MAKE_DIRECTORY ${_tko_links})
  foreach(_program taskorbm taskorbit-cli)
    file(CREATE_LINK ../libexec/taskorbit/${_program} ${_tko_links}/${_program} SYMBOLIC)
    install(FILES ${_tko_links}/${_program} DESTINATION bin)
  endforeach()
endif()

set(_tko_desktop ${CMAKE_SOURCE_DIR}/desktop)
set(_tko_app_id org.taskorbit.MultiUser)
install(FILES ${_tko_desktop}/${_tko_app_id}.desktop DESTINATION share/applications)
install(FILES ${_tko_desktop}/${_tko_app_id}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${_tko_desktop}/taskorbit.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${_tko_app_id}.svg)

# Manual pages and the changelog compressed as Debian expects (no time stamp).
set(_tko_gz ${CMAKE_BINARY_DIR}/compressed)
set(_tko_gz_files)
foreach(_file taskorbm.1 taskorbit-cli.1 changelog)
  add_custom_command(OUTPUT ${_tko_gz}/${_file}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${_tko_gz}
                     COMMAND gzip -9nc ${_tko_desktop}/${_file} > ${_tko_gz}/${_file}.gz
                     DEPENDS ${_tko_desktop}/${_file} VERBATIM)
  list(APPEND _tko_gz_files ${_tko_gz}/${_file}.gz)
endforeach()
add_custom_target(tko_compressed_docs ALL DEPENDS ${_tko_gz_files})
install(FILES ${_tko_gz}/taskorbm.1.gz ${_tko_gz}/taskorbit-cli.1.gz DESTINATION share/man/man1)
install(FILES ${_tko_gz}/changelog.gz ${_tko_desktop}/copyright DESTINATION share/doc/taskorbit)

# cpack -G DEB (configure with -DTKO_INSTALL_LAYOUT=system first).
set(CPACK_PACKAGE_NAME taskorbit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The TASKORBIT developers")
set(CPACK_PACKAGE_CONTACT "TASKORBIT developers <developers@taskorbit.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hand out work in a small office and keep track of it")
set(CPACK_PACKAGE_DESCRIPTION
    "The members of a small office give each other assignments with due dates,\n"
    "priorities and repetition rules, and see what is due, unseen, reminded,\n"
    "ahead and concluded. Several users share one data directory or a\n"
    "PostgreSQL database, each from their own work station.\n"
    "\n"
    "The package holds the desktop program, its command-line companion and the\n"
    "translator library with its language files.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Qt's own dialogs (print, page set-up, files) in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_GENERATOR DEB)
include(CPack)
