# What `cmake --install` and the .deb put on a Linux system: the programs
# (the monitor and tolvane-report), their man pages, the Debian copyright
# file and changelog (the man pages and the changelog compressed with
# gzip -9n, as Debian wants them), and the systemd user unit.
install(TARGETS tolvane tolvane-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Where the program lands, settled at install time: `cmake --install
# --prefix DIR` and the .deb (prefix /usr) each have their own. The user
# unit below runs it from there.
install(CODE "
  set(tolvane_bindir \"${CMAKE_INSTALL_BINDIR}\")
  if(NOT IS_ABSOLUTE \"\${tolvane_bindir}\")
    set(tolvane_bindir \"\${CMAKE_INSTALL_PREFIX}/\${tolvane_bindir}\")
  endif()")

# A stripped install (`cmake --install --strip`, and the .deb) also drops
# the compiler's version strings in .comment, as dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program tolvane tolvane-report)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                              \"\$ENV{DESTDIR}\${tolvane_bindir}/\${program}\"
                      RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR \"could not strip .comment from \${program}\")
      endif()
    endforeach()
  endif()")

foreach(file doc/tolvane.1 doc/tolvane-report.1 packaging/changelog)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${name}.gz
    COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${file} > ${name}.gz
    DEPENDS ${file}
    COMMENT "Compressing ${file}")
endforeach()
add_custom_target(compressed_docs ALL DEPENDS tolvane.1.gz tolvane-report.1.gz changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tolvane.1.gz ${CMAKE_CURRENT_BINARY_DIR}/tolvane-report.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The copyright file carries the licence text of LICENSE as a
# machine-readable (DEP-5) paragraph: one space in front of every line, a
# lone "." for an empty one.
file(READ LICENSE license)
string(FIND "${license}" "Permission to use" start)
string(SUBSTRING "${license}" ${start} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
set(TOLVANE_LICENSE_TEXT " ${license}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
configure_file(packaging/copyright.in copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The systemd user unit, with the path of the installed program.
install(CODE "
  set(TOLVANE_UNIT_BINDIR \"\${tolvane_bindir}\")
  configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/packaging/tolvane.service.in\"
                 \"${CMAKE_CURRENT_BINARY_DIR}/unit/tolvane.service\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\" TYPE FILE
       FILES \"${CMAKE_CURRENT_BINARY_DIR}/unit/tolvane.service\")")
