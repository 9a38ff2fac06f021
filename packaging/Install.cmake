# `cmake --install` and the Debian package lay the program out as a desktop program (GNUInstallDirs):
# the executable in bin/, the sample data in share/qmquery/data, which the first start copies into the
# player's own folder. The portable archive keeps the build folder's layout instead: the executable
# beside its data files, which it then reads in place.
set(QMQUERY_PACKAGING ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS qmquery RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT app)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/qmquery/data COMPONENT app)
install(FILES ${QMQUERY_PACKAGING}/qmquery.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT app)
install(FILES ${QMQUERY_PACKAGING}/org.example.qmquery.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT app)
foreach(size 16 32 48 64 128 256)
    install(FILES ${QMQUERY_PACKAGING}/icons/qmquery-${size}.png RENAME qmquery.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT app)
endforeach()
install(FILES ${QMQUERY_PACKAGING}/icons/qmquery.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT app)

install(TARGETS qmquery RUNTIME DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME qmquery)
set(CPACK_PACKAGE_VENDOR "The qmquery developers")
set(CPACK_PACKAGE_CONTACT "The qmquery developers <qmquery@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reference and calculators for Quellmark players")
set(CPACK_PACKAGE_DESCRIPTION
    "Looks up place coordinates, the synthesis table, cooking and medicine, professions, skills, a quest
guide and players' articles for the online game Quellmark, works out character stats and production
experience, and shows the game's screenshots. Its reference content is plain text that players edit
in their own data folder, which the first start fills with the sample data.")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://example.org/qmquery)
# The dependencies come from the shared libraries the executable links. Qt's image plugins and the
# Ming face are loaded by name at run time, so no library points at them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, fonts-arphic-uming")
set(CPACK_PROJECT_CONFIG_FILE ${QMQUERY_PACKAGING}/CPackOptions.cmake)
include(CPack)
