# Packages: `cpack -G DEB` in a Linux build, `cpack -G ZIP` in the 32-bit
# Windows build.
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane developers")
set(CPACK_PACKAGE_CONTACT "Tolvane developers <tolvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console battery monitor")
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvane prints a time-stamped line to standard output whenever the machine's\n"
    "power status changes: power source, battery state, charge and battery times.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n Tolvane prints a time-stamped line to standard output whenever the\n machine's power status changes: power source, battery state, charge and\n battery times, read from the kernel's power supply class.")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
include(CPack)
