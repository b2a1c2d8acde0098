# Installation layout and the Debian package.
#
#   bin/kilnbook
#   share/kilnbook/       default stylesheets and an example kilnbook.cfg
#   share/man/man1/       kilnbook.1
#   share/bash-completion/completions/
#                         kilnbook (the options, for bash-completion)
#   lib/systemd/system/   kilnbook.service, kilnbook.timer
#   lib/sysusers.d/       kilnbook.conf (the user the service runs as)
#
# systemd looks for units below /usr/lib and /usr/local/lib, never below
# lib/<multiarch>, so the unit directories are not derived from LIBDIR.
include(GNUInstallDirs)

set(KILNBOOK_SYSTEMD_UNIT_DIR "lib/systemd/system" CACHE STRING
  "Where the systemd units are installed (relative to the prefix, or absolute)")
set(KILNBOOK_SYSUSERS_DIR "lib/sysusers.d" CACHE STRING
  "Where the sysusers.d entry for the service user is installed")
set(KILNBOOK_PACKAGE_MAINTAINER "kilnbook maintainers <root@localhost>" CACHE STRING
  "Maintainer field of the Debian package")

install(TARGETS kilnbook RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The stylesheets are the installation's to adapt; these are the defaults an
# administrator copies into PATH.
install(FILES
    stylesheets/kilnbook.xsl
    stylesheets/kilnbook_front.xsl
    stylesheets/kilnbook_player.xsl
    stylesheets/kilnbook_ladder.xsl
    stylesheets/kilnbook_maps.xsl
    stylesheets/kilnbook_games.xsl
    stylesheets/kilnbook_game.xsl
  DESTINATION ${CMAKE_INSTALL_DATADIR}/kilnbook)
install(FILES examples/kilnbook.cfg DESTINATION ${CMAKE_INSTALL_DATADIR}/kilnbook)

install(FILES man/kilnbook.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# bash-completion loads completions on demand from this directory below the
# prefix (/usr/share for the package, /usr/local/share for a source install).
install(FILES packaging/bash-completion/kilnbook
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The service names the program by its installed path, and the prefix is
# only known at install time: cpack installs below /usr, cmake --install
# wherever --prefix says. So the unit is written by the install step itself.
install(CODE "
  set(KILNBOOK_SERVICE_TEMPLATE \"${CMAKE_CURRENT_SOURCE_DIR}/packaging/systemd/kilnbook.service.in\")
  set(KILNBOOK_SYSTEMD_UNIT_DIR \"${KILNBOOK_SYSTEMD_UNIT_DIR}\")
  set(KILNBOOK_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
")
install(SCRIPT cmake/install_service.cmake)
install(FILES packaging/systemd/kilnbook.timer DESTINATION ${KILNBOOK_SYSTEMD_UNIT_DIR})
install(FILES packaging/systemd/kilnbook.sysusers
  DESTINATION ${KILNBOOK_SYSUSERS_DIR}
  RENAME kilnbook.conf)

# Debian package (cpack -G DEB; scripts/package.sh). It installs below /usr
# whatever CMAKE_INSTALL_PREFIX says for cmake --install.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGE_NAME "kilnbook")
set(CPACK_PACKAGE_VENDOR "kilnbook")
set(CPACK_PACKAGE_CONTACT "${KILNBOOK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "statistics pages from a WWII team shooter's server log")
set(CPACK_PACKAGE_DESCRIPTION
  "kilnbook takes every finished game out of the log of a team-based WWII \
shooter's dedicated server, adds kills, deaths, suicides, team kills, \
weapons, teams, models, scores and pings to the statistics it keeps, and \
writes HTML pages through XSLT stylesheets: one per player, six sorted \
main pages per server and a front page. It runs every few minutes from a \
systemd timer or cron.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KILNBOOK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The pages cannot be made without the XSLT and XML libraries, so they are
# named whatever the linker kept; dpkg-shlibdeps, where present, adds the
# versioned dependencies of the binary as linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libxslt1.1, libxml2")
find_program(KILNBOOK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KILNBOOK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libc6, libstdc++6")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/postinst
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/prerm
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
