# `cpack -G DEB` in a build folder (scripts/package) makes orvanta_<version>_amd64.deb from the install
# rules. The package's dependencies are computed from the shared libraries the binaries link
# (dpkg-shlibdeps), so they follow the Debian release it is built on.
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VENDOR "Orvanta")
set(CPACK_PACKAGE_CONTACT "Orvanta developers <orvanta@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "playlist player for movie files on a chosen display")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvanta plays playlists of movie files clip after clip, in a preview, on one chosen display, across
all displays or in a custom rectangle, for lobby screens, projectors and installations that loop for
weeks. orvanta-playlist makes and changes playlists from scripts without a display.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt finds its window system through plugins, which no library links: the X11 one is needed to show a
# window at all (the offscreen one comes with Qt's Gui library).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
