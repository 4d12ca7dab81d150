# The Debian package: cmake --build build --target package makes
# quilmark_<version>_<arch>.deb of everything the install puts under /usr.
# Its dependencies are those dpkg-shlibdeps finds for the programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quilmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Quilmark developers <${QUILMARK_MAIL_ADDRESS}>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the animated 8-bit sprites of GAF files")
# The long description; CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quilmark edits GAF files, the containers in which a real-time strategy game
keeps its animated sprites in a 256-colour palette: browse animations frame
by frame in the game's colours, fix positions and flags, build animations
from BMP and PNG files, export frames, preview an animation, and save it
back in the game's format or pack it into a UFO archive.
.
quilmark-cli does the same work from the shell, writes animations as
animated GIFs and makes the thumbnails file managers show for GAF files.")
include(CPack)
