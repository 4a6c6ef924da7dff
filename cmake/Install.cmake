# Installation: cmake --install <build> --prefix P, and the Debian package (cpack -G DEB).
#
#   P/lib/fendrel/fendrel               the wizard, with what it finds beside itself:
#   P/lib/fendrel/Samples/sample.mdb    the sample database
#   P/bin/fendrel                       a link to the wizard
#   P/bin/fendrel-split                 the split from a terminal
#   P/share/applications/fendrel.desktop, P/share/icons/hicolor/256x256/apps/fendrel.png
#
# The wizard looks for its sample in its own folder, so it lives in a folder of its own; the link in
# bin/ leads to it (the program's folder is that of the file the link names).
include(GNUInstallDirs)
set(FENDREL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/fendrel)

if(TARGET fendrel-split)
  install(TARGETS fendrel-split RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME fendrel)
set(CPACK_PACKAGE_VENDOR Marquell)
set(CPACK_PACKAGE_CONTACT "Marquell <support@marquell.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Splits one field of a Microsoft Access table into new text fields")
set(CPACK_PACKAGE_DESCRIPTION
    "Fendrel is a four-page wizard that cuts every value of one field of an Access table (.mdb or .accdb) at a separator and writes the pieces into new text columns, in place, in the database file. It has its own engine for the Access file format and needs no Microsoft software. fendrel-split does the same from a terminal.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link to (Qt, OpenSSL's libcrypto, the C++ runtime) become the package's
# dependencies; what no linker sees is named here: Qt's platform plugins (the window system, loaded
# at run time) and the fonts the pages are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
include(CPack)
