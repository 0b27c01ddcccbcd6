# What `cmake --install` puts where: the game, its pictures, sounds and font,
# the menu entry, icons, AppStream metadata, the manual page and the docs.
# The headless runner and the other tools are not installed.
set(CMAKE_INSTALL_DOCDIR "share/doc/tirlane" CACHE PATH "Documentation (DATAROOTDIR/doc/tirlane)")
include(GNUInstallDirs)

set(TIRLANE_APP_ID "org.tirlane.Tirlane")
set(TIRLANE_HOMEPAGE "https://github.com/tirlane/tirlane" CACHE STRING
    "The project's home page, named in the AppStream metadata and the package")
set(TIRLANE_DATA_DIR "${CMAKE_INSTALL_DATADIR}/tirlane")

install(TARGETS tirlane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT binary)
# Debian keeps games in /usr/games; the data folder is found the same way
# from there (/usr/games/../share/tirlane).
install(TARGETS tirlane RUNTIME DESTINATION games COMPONENT deb EXCLUDE_FROM_ALL)

file(GLOB TIRLANE_PICTURES ${CMAKE_SOURCE_DIR}/assets/*.bmp)
file(GLOB TIRLANE_SOUNDS ${CMAKE_SOURCE_DIR}/assets/*.wav)
install(FILES ${TIRLANE_PICTURES} ${TIRLANE_SOUNDS} DESTINATION ${TIRLANE_DATA_DIR}
        COMPONENT game)
# The font: the Debian package leaves it out and uses fonts-dejavu-core's copy.
install(FILES assets/font.ttf assets/font-LICENSE.txt DESTINATION ${TIRLANE_DATA_DIR}
        COMPONENT font)
install(FILES assets/font-LICENSE.txt DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT font)

install(FILES dist/${TIRLANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
foreach(size 16 32 48 64 128 256)
  install(FILES dist/icons/tirlane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${TIRLANE_APP_ID}.png COMPONENT game)
endforeach()
configure_file(dist/${TIRLANE_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/${TIRLANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${TIRLANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
install(FILES README.md dist/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT game)
# The package's copyright file already holds the licence's text.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT licence)

# The manual page: plain for `cmake --install`, compressed in the package as
# Debian wants it, with the package's changelog.
install(FILES dist/tirlane.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT man)
find_program(GZIP gzip)
if(GZIP)
  set(packaged ${CMAKE_BINARY_DIR}/dist/packaged)
  add_custom_command(
    OUTPUT ${packaged}/tirlane.6.gz ${packaged}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaged}
    COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/dist/tirlane.6 > ${packaged}/tirlane.6.gz
    COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/dist/changelog > ${packaged}/changelog.gz
    DEPENDS dist/tirlane.6 dist/changelog
    COMMENT "Compressing the manual page and the changelog for the package")
  add_custom_target(packaged-docs ALL DEPENDS ${packaged}/tirlane.6.gz ${packaged}/changelog.gz)
  install(FILES ${packaged}/tirlane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
          COMPONENT deb EXCLUDE_FROM_ALL)
  install(FILES ${packaged}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT deb EXCLUDE_FROM_ALL)
endif()
