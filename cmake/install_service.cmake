# Install step: writes kilnbook.service with ExecStart= naming the program
# below the prefix of this installation. Expects KILNBOOK_SERVICE_TEMPLATE,
# KILNBOOK_SYSTEMD_UNIT_DIR and KILNBOOK_BINDIR (set by the install rules).
foreach(dir_var KILNBOOK_SYSTEMD_UNIT_DIR KILNBOOK_BINDIR)
  if(NOT IS_ABSOLUTE "${${dir_var}}")
    set(${dir_var} "${CMAKE_INSTALL_PREFIX}/${${dir_var}}")
  endif()
endforeach()
set(KILNBOOK_INSTALL_FULL_BINDIR "${KILNBOOK_BINDIR}")
set(unit "${KILNBOOK_SYSTEMD_UNIT_DIR}/kilnbook.service")
message(STATUS "Installing: $ENV{DESTDIR}${unit}")
configure_file("${KILNBOOK_SERVICE_TEMPLATE}" "$ENV{DESTDIR}${unit}" @ONLY)
file(CHMOD "$ENV{DESTDIR}${unit}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${unit}")
