# Release archive (cmake --build --preset i686 --target package, and the same
# for x86_64): dashvane-<version>-win32.zip or -win64.zip, holding the
# stripped program and a README for Windows users at its top, nothing else.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(DASHVANE_ARCHIVE_SYSTEM win64)
    set(DASHVANE_ARCHIVE_BITS 64)
    set(DASHVANE_ARCHIVE_WINDOWS "It runs on 64-bit Windows only;\nfor 32-bit Windows take dashvane-${PROJECT_VERSION}-win32.zip.")
else()
    set(DASHVANE_ARCHIVE_SYSTEM win32)
    set(DASHVANE_ARCHIVE_BITS 32)
    set(DASHVANE_ARCHIVE_WINDOWS "It runs on 64-bit or 32-bit Windows alike.")
endif()

# Windows users read it in Notepad, which older systems show as one line
# unless the lines end in CR LF.
configure_file(${CMAKE_SOURCE_DIR}/package/README.txt.in ${CMAKE_BINARY_DIR}/package/README.txt
    @ONLY NEWLINE_STYLE CRLF)

install(TARGETS dashvane RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME dashvane)
set(CPACK_PACKAGE_FILE_NAME dashvane-${PROJECT_VERSION}-${DASHVANE_ARCHIVE_SYSTEM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Release links with -s already; this keeps any other configuration's
# archive free of debug sections too.
set(CPACK_STRIP_FILES ON)
include(CPack)
