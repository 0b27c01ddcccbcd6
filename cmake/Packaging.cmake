# `cpack -G DEB` in the build folder: tirlane_<version>_<arch>.deb, made of
# the game's install components (the font comes from fonts-dejavu-core).
set(CPACK_PACKAGE_NAME tirlane)
set(CPACK_PACKAGE_VENDOR "The Tirlane developers")
set(CPACK_PACKAGE_CONTACT "The Tirlane developers <tirlane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade maze game: take the keys and dodge the guards")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TIRLANE_HOMEPAGE}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tirlane)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};Tirlane;game;/"
    "${CMAKE_BINARY_DIR};Tirlane;deb;/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Tirlane is a small arcade maze game. The player steers a figure along the
corridors of a grid of five by five boxes and steps into the niches to take
the keys hanging there, while twelve guards wait at the ends of the
corridors and run across a corridor as soon as the figure steps onto it.

Four levels have their own rules: take every key; open the boxes; open the
locked doors of the emptied boxes; and open every door while the guards run
without pause. The title screen plays a miniature demonstration, the best
score is kept in the player's data folder, and a gamepad plays too.")

include(CPack)
