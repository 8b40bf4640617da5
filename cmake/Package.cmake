# The Debian package: `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (tools/package does both). The dependencies are
# worked out by dpkg-shlibdeps from the shared libraries the program links.
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora team")
set(CPACK_PACKAGE_CONTACT "The Velmora team <team@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade puzzle game: carry each shape to its silhouette")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Six endless lines of cells scroll upward; each empty cell shows the silhouette of the shape it waits for. "
    "A conveyor brings loose shapes, and you carry each one onto its silhouette with the mouse. "
    "Three modes, a level map, saved games and high scores, music and sound, in English and German.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://velmora.example/")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Only what `install` puts in place; the build's own tests and tools stay out.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Velmora;ALL;/")
include(CPack)
