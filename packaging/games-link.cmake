# Run by CPack while it stages the Debian package: Debian keeps games in /usr/games, so the
# package adds a link there to the program in /usr/bin.
set(prefix "${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT prefix)
  set(prefix "${CMAKE_INSTALL_PREFIX}")
endif()
set(root "$ENV{DESTDIR}${prefix}")
file(MAKE_DIRECTORY "${root}/games")
file(CREATE_LINK ../bin/kestrune "${root}/games/kestrune" SYMBOLIC)
