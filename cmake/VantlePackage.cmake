# The Debian package, made by CPack from the install rules (scripts/package.sh runs it on a
# release build configured with VANTLE_SYSTEM_INSTALL).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantle maintainers")
set(CPACK_PACKAGE_CONTACT "Vantle maintainers <maintainers@vantle.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simple web feed reader")
set(CPACK_PACKAGE_DESCRIPTION
  "Vantle is a desktop reader for web feeds. You keep your feed subscriptions in
named groups, pick a feed, and read it as a formatted page in one of two
styles, NewsPaper or List, inside an embedded browser: follow an item's link,
come back with Back and Forward. It reads RSS 0.9x/2.0, RSS 1.0 (RDF) and
Atom, from web addresses or local files. Feeds are added by typing or
dropping a link and testing it.

The command-line tool vantle-feed gives scripts the same feed library.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vantle.example.org")
# dpkg-shlibdeps finds the linked libraries; these are loaded at run time, unseen by it: libcurl
# fetches web feeds, the SVG plugins draw the buttons' pictures and xdg-open opens links and the
# guide.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.85), libqt6svg6, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
