# tolvane-log-task.xml, the Task Scheduler task of the Windows zip, made
# from tolvane-log-task.xml.in: in UTF-16 with its byte order mark and CR
# LF line ends, as Task Scheduler exports its own tasks. schtasks /xml
# refuses some other encodings of the same text (UTF-8 with a mark).
configure_file(${CMAKE_CURRENT_LIST_DIR}/tolvane-log-task.xml.in tolvane-log-task.utf8 @ONLY
               NEWLINE_STYLE CRLF)
# A CMake string can't hold the NUL bytes of UTF-16, so iconv converts. The
# mark goes first as U+FEFF in UTF-8 (EF BB BF), which it turns into FF FE;
# the text is read from its file as it is, CR LF and all.
find_program(TOLVANE_ICONV iconv REQUIRED)
string(ASCII 239 187 191 mark)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/tolvane-log-task.mark "${mark}")
execute_process(COMMAND ${TOLVANE_ICONV} -f UTF-8 -t UTF-16LE
                        ${CMAKE_CURRENT_BINARY_DIR}/tolvane-log-task.mark
                        ${CMAKE_CURRENT_BINARY_DIR}/tolvane-log-task.utf8
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/tolvane-log-task.xml
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "iconv could not write tolvane-log-task.xml in UTF-16 (${status})")
endif()
