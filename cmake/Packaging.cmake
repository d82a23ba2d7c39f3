# The Debian package (cpack -G DEB, or plain cpack): built from the install rules, with the
# shared-library dependencies found by dpkg-shlibdeps from the binaries themselves. The version is
# project()'s.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qivra28)
set(CPACK_PACKAGE_VENDOR "Qivra28 developers")
set(CPACK_PACKAGE_CONTACT "Qivra28 developers <maintainers@qivra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop assistant for 28 number games")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Follows two 28 number games, fetches their recent draws from a results\n"
    "service, classifies every draw, shows the history in colour, counts down\n"
    "to the next draw, and judges built-in plans and the user's own formulas\n"
    "against what was drawn. Includes qivra28-service, a local results service\n"
    "with an optional systemd user unit.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binaries do not name but the program needs to show a window and its CJK texts: Qt's
# platform plugins (xcb, wayland) and the face the layout's font is replaced with. dpkg-shlibdeps'
# findings are added to these.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei")
include(CPack)
