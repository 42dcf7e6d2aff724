# Read by cpack (CPACK_PROJECT_CONFIG_FILE) in a cross build: the .deb's
# Depends from the program itself, as dpkg-shlibdeps would give them with
# the target's libc6 symbols: libc6 at least the newest GLIBC_ symbol
# version it uses. A library other than the C library's would need its own
# package named, so that stops the packaging.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
execute_process(COMMAND ${CPACK_TOLVANE_READELF} --wide --dynamic --version-info ${CPACK_TOLVANE_PROGRAM}
                OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CPACK_TOLVANE_READELF} could not read ${CPACK_TOLVANE_PROGRAM}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${headers}")
foreach(library IN LISTS needed)
  if(NOT library MATCHES "\\[(libc\\.so\\.6|ld-linux-[a-z0-9_-]+\\.so\\.[0-9]+)\\]$")
    message(FATAL_ERROR "${CPACK_TOLVANE_PROGRAM} needs ${library}: name its package in the .deb's Depends")
  endif()
endforeach()
set(newest "")
string(REGEX MATCHALL "GLIBC_[0-9]+\\.[0-9]+" versions "${headers}")
foreach(version IN LISTS versions)
  string(REPLACE "GLIBC_" "" version "${version}")
  if(newest STREQUAL "" OR version VERSION_GREATER newest)
    set(newest ${version})
  endif()
endforeach()
if(newest STREQUAL "")
  message(FATAL_ERROR "no GLIBC_ symbol version in ${CPACK_TOLVANE_PROGRAM}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${newest})")
