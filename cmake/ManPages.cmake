# The manual pages, gzipped as Debian wants them, installed in share/man/man1.
#
# fendrel_man_page_from_help(TARGET SUMMARY [SEE_ALSO]): TARGET.1 made from `TARGET --help` whenever the
# program is built, so the page cannot say other than the program.
# fendrel_man_page(FILE): a page written by hand, for a program without --help.
# fendrel_gzip(FILE NAME): FILE gzipped into <build>/packaging/NAME, reproducibly.
set(FENDREL_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)

function(fendrel_gzip source name)
  set(out ${FENDREL_PACKAGING_DIR}/${name})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FENDREL_PACKAGING_DIR}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${source} -DOUTPUT=${out} -P ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake VERBATIM)
  string(MAKE_C_IDENTIFIER ${name} id)
  add_custom_target(gzip_${id} ALL DEPENDS ${out})
endfunction()

function(fendrel_man_page source)
  get_filename_component(name ${source} NAME)
  fendrel_gzip(${source} ${name}.gz)
  install(FILES ${FENDREL_PACKAGING_DIR}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

function(fendrel_man_page_from_help target summary)
  set(page ${FENDREL_PACKAGING_DIR}/${target}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target} -DSUMMARY=${summary}
            -DVERSION=${PROJECT_VERSION} -DSEE_ALSO=${ARGN} -DOUTPUT=${page}
            -P ${PROJECT_SOURCE_DIR}/cmake/HelpToMan.cmake
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/HelpToMan.cmake VERBATIM)
  fendrel_man_page(${page})
endfunction()
