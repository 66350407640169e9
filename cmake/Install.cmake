# The freedesktop layout of an installed program: the program in bin/, its menu entry, its icon in
# the hicolor theme (the PNGs drawn by tools/icongen at build time), its AppStream metadata and its
# HTML help. The program's own pictures stay built into it.
include(GNUInstallDirs)
set(CHRONIVO_APP_ID example.veltrix.Chronivo)

set(CHRONIVO_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${CHRONIVO_ICON_DIR}/256x256/apps/${CHRONIVO_APP_ID}.png
                   COMMAND icongen ${CHRONIVO_ICON_DIR} ${CHRONIVO_APP_ID}
                   DEPENDS icongen
                   COMMENT "Drawing the program's icon for the icon theme")
add_custom_target(chronivo_icons ALL DEPENDS ${CHRONIVO_ICON_DIR}/256x256/apps/${CHRONIVO_APP_ID}.png)

set(CHRONIVO_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
install(TARGETS chronivo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CHRONIVO_DESKTOP_DIR}/${CHRONIVO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The release it names is the project's version, as "--version" and the About page say.
configure_file(${CHRONIVO_DESKTOP_DIR}/${CHRONIVO_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/${CHRONIVO_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${CHRONIVO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/docs/chronivo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CHRONIVO_DESKTOP_DIR}/${CHRONIVO_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${CHRONIVO_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
# The program finds its help at bin/../share/doc/chronivo/help.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/chronivo/help)
install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshot.png DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/chronivo/help)
