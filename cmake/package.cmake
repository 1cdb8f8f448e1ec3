# The Debian package built by `cpack -G DEB` (scripts/package): what `cmake --install` installs, that
# is the program, its module, the manual page, the documentation, the copyright file and the
# changelog; no test is installed.
set(CPACK_PACKAGE_NAME zelvar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The summary is the project's description.
set(CPACK_PACKAGE_DESCRIPTION "zelvar-home shows one line: the battery's charge, the hours on battery and
the hours it will still last, estimated from the charge lost in each hour of
the day, which it learns as the machine runs. It runs as a terminal home
screen or prints the line for a status bar (i3blocks, polybar, waybar). The
line comes from a plug-in module loaded through a small COM-style registry.")
set(CPACK_PACKAGE_CONTACT "Zelvar developers <zelvar@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies come from scripts/package (CPACK_DEBIAN_PACKAGE_DEPENDS): it runs dpkg-shlibdeps
# itself, since CPack's own run of it adds ldconfig calls that private libraries do not need.

include(CPack)
