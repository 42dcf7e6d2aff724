# Packages: `cpack -G DEB` in a Linux build, `cpack -G ZIP` in the 32-bit
# Windows build.
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane developers")
set(CPACK_PACKAGE_CONTACT "Tolvane developers <tolvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console battery monitor")
# One string (set() with several would join them with ";").
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tolvane prints a time-stamped line to standard output whenever the\n"
    "machine's power status changes: power source, battery state, charge and\n"
    "battery times, read from the kernel's power supply class. A systemd\n"
    "user unit, not enabled by default, keeps a battery log in the journal.\n"
    "tolvane-report turns that log into a battery report: the sessions on\n"
    "battery, drain and runtime, in the terminal, as CSV or as an HTML page.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The long description only: CPack puts the summary above it as the
# synopsis line and indents every line by one space.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  if(CMAKE_CROSSCOMPILING)
    # dpkg would name the build machine's architecture, and dpkg-shlibdeps
    # finds only libraries installed for it: the target's Depends are worked
    # out from the built program instead (deb_cross_depends.cmake).
    if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
      message(WARNING "no Debian architecture known for ${CMAKE_SYSTEM_PROCESSOR}: the .deb would be wrong")
    endif()
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    find_program(TOLVANE_READELF NAMES ${CMAKE_READELF} readelf REQUIRED)
    set(CPACK_TOLVANE_READELF ${TOLVANE_READELF})
    set(CPACK_TOLVANE_PROGRAMS ${CMAKE_BINARY_DIR}/tolvane ${CMAKE_BINARY_DIR}/tolvane-report)
    set(CPACK_TOLVANE_ARCHITECTURE ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/deb_cross_depends.cmake)
  endif()
endif()
include(CPack)
