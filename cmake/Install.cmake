# Installation: cmake --install <build> --prefix P, and the Debian package (cpack -G DEB).
#
#   P/lib/fendrel/fendrel               the wizard, with what it finds beside itself:
#   P/lib/fendrel/Samples/sample.mdb    the sample database
#   P/bin/fendrel                       a link to the wizard
#   P/bin/fendrel-split                 the split from a terminal
#   P/share/applications/fendrel.desktop, P/share/icons/hicolor/256x256/apps/fendrel.png
#   P/share/metainfo/example.marquell.fendrel.metainfo.xml   the AppStream description
#   P/share/man/man1/fendrel.1.gz, fendrel-split.1.gz        fendrel-split's made from its --help
#   P/share/bash-completion/completions/fendrel-split
#   P/share/doc/fendrel/: README.md, copyright (Debian's machine-readable form), changelog.gz
#
# The wizard looks for its sample in its own folder, so it lives in a folder of its own; the link in
# bin/ leads to it (the program's folder is that of the file the link names).
include(GNUInstallDirs)
set(FENDREL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/fendrel)
# The package's name, not the project's: Debian looks for share/doc/fendrel.
set(FENDREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/fendrel)

include(cmake/ManPages.cmake)

if(TARGET fendrel-split)
  install(TARGETS fendrel-split RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  fendrel_man_page_from_help(fendrel-split "split one field of an Access table into new text columns" fendrel)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/fendrel-split.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME fendrel-split)
endif()
if(TARGET fendrel)
  install(TARGETS fendrel RUNTIME DESTINATION ${FENDREL_PROGRAM_DIR})
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Samples/sample.mdb DESTINATION ${FENDREL_PROGRAM_DIR}/Samples)
  file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR} /${FENDREL_PROGRAM_DIR}/fendrel)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(REMOVE \"\${bin}/fendrel\")
    file(CREATE_LINK \"${link_target}\" \"\${bin}/fendrel\" SYMBOLIC)
    message(STATUS \"Installing: \${bin}/fendrel -> ${link_target}\")")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/fendrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/app/resources/fendrel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/example.marquell.fendrel.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  fendrel_man_page(${PROJECT_SOURCE_DIR}/packaging/fendrel.1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${FENDREL_DOC_DIR})
fendrel_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${FENDREL_DOC_DIR})

set(CPACK_PACKAGE_NAME fendrel)
set(CPACK_PACKAGE_VENDOR Marquell)
set(CPACK_PACKAGE_CONTACT "Marquell <support@marquell.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Splits one field of a Microsoft Access table into new text fields")
# Debian's description: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Fendrel is a four-page wizard that cuts every value of one field of an Access
table (.mdb or .accdb) at a separator and writes the pieces into new text
columns, in place, in the database file. It has its own engine for the Access
file format and needs no Microsoft software. fendrel-split does the same from
a terminal.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The programs go in stripped; the build keeps its own copies with their symbols.
set(CPACK_STRIP_FILES ON)
# The libraries the programs link to (Qt, OpenSSL's libcrypto, the C++ runtime) become the package's
# dependencies; what no linker sees is named here: Qt's platform plugins (the window system, loaded
# at run time) and the fonts the pages are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
include(CPack)
