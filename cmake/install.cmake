# What `cmake --install` puts under the prefix, and the Debian package CPack makes of it: the
# program, its desktop entry, its icon at six sizes, its AppStream metadata and its copyright.
set(KESTRUNE_APP_ID org.kestrune.Kestrune)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${KESTRUNE_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${KESTRUNE_APP_ID}.metainfo.xml @ONLY)

install(TARGETS kestrune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${KESTRUNE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/kestrune-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KESTRUNE_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/packaging/${KESTRUNE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrune)
# Debian's changelog, compressed the reproducible way (no name, no time in the gzip header).
find_program(GZIP gzip REQUIRED)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
execute_process(COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrune)
# The manual page, compressed the same way.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/kestrune.6)
execute_process(COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/packaging/kestrune.6
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/kestrune.6.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/kestrune.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrune)
set(CPACK_PACKAGE_VENDOR "The Kestrune developers")
set(CPACK_PACKAGE_CONTACT "The Kestrune developers <games@kestrune.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "single-screen platform game: collect every gem")
# Debian's description lines are at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrune is a small single-screen platform game for one player. Run and jump
over a field that wraps round at the sides, collect every gem while you dodge
walking, flying and hanging enemies and spikes, then take the gold coin that
drops. Four stages, its own pixel art, music and sound effects, and keys and
pad buttons that can be changed in the game.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrune.example/)
# Software OpenGL for machines without a graphics driver of their own, and the title bar SDL
# draws for its windows on Wayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, libdecor-0-plugin-1-cairo")
include(CPack)
