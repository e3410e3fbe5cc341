# The Debian package zur-service: the programs in /usr/bin, the window's desktop entry, icon and
# AppStream metainfo, a man page for each program and the documentation in /usr/share/doc.
include(GNUInstallDirs)

set(ZUR_PACKAGE_MAINTAINER "ZUR service tool developers <service@zur.example>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")
set(zur_app_id ru.zur.ZurService)
set(zur_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/zur-service)
set(zur_staged ${CMAKE_CURRENT_BINARY_DIR}/staged)
file(MAKE_DIRECTORY ${zur_staged})

# Dates in the changelog and the man pages come from the release date, so that two builds of one
# version make the same files.
execute_process(COMMAND date -u -d ${ZUR_RELEASE_DATE} +%s OUTPUT_VARIABLE zur_release_epoch
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -R -d ${ZUR_RELEASE_DATE} OUTPUT_VARIABLE zur_release_rfc2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -d ${ZUR_RELEASE_DATE} "+%B %Y"
                OUTPUT_VARIABLE zur_man_date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# Man pages: written by hand for a program without options worth a page of their own (the window),
# made by help2man from --help for the others, with this build's version and the extra sections
# of <program>.h2m (whose Cyrillic help2man keeps only in a UTF-8 locale). Debian wants them
# compressed, without the time in the gzip header.
find_program(ZUR_HELP2MAN help2man)
set(zur_man_pages)
foreach(program ${zur_programs})
  set(page ${zur_staged}/${program}.1.gz)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/debian/${program}.1.in)
    configure_file(debian/${program}.1.in ${zur_staged}/${program}.1 @ONLY)
    add_custom_command(OUTPUT ${page}
      COMMAND gzip -9nc ${zur_staged}/${program}.1 > ${page}
      DEPENDS ${zur_staged}/${program}.1
      VERBATIM)
  elseif(ZUR_HELP2MAN)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${zur_release_epoch}
              ${ZUR_HELP2MAN} --no-info --section=1 --locale=C.UTF-8 --version-string=${PROJECT_VERSION}
              --include=${CMAKE_CURRENT_SOURCE_DIR}/debian/${program}.h2m
              --output=${zur_staged}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${zur_staged}/${program}.1
      DEPENDS ${program} ${CMAKE_CURRENT_SOURCE_DIR}/debian/${program}.h2m
      VERBATIM)
  else()
    message(STATUS "help2man not found: no man page for ${program} (scripts/setup.sh installs it)")
    continue()
  endif()
  list(APPEND zur_man_pages ${page})
endforeach()

configure_file(debian/changelog.in ${zur_staged}/changelog @ONLY)
add_custom_command(OUTPUT ${zur_staged}/changelog.gz
  COMMAND gzip -9nc ${zur_staged}/changelog > ${zur_staged}/changelog.gz
  DEPENDS ${zur_staged}/changelog
  VERBATIM)
add_custom_target(zur_package_files ALL DEPENDS ${zur_man_pages} ${zur_staged}/changelog.gz)

install(FILES ${zur_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES debian/README debian/copyright ${zur_staged}/changelog.gz DESTINATION ${zur_docdir})

if(TARGET zur-service)
  list(TRANSFORM zur_programs REPLACE "(.+)" "    <binary>\\1</binary>" OUTPUT_VARIABLE zur_provides)
  list(JOIN zur_provides "\n" zur_provides)
  configure_file(debian/${zur_app_id}.metainfo.xml.in ${zur_staged}/${zur_app_id}.metainfo.xml @ONLY)
  install(FILES debian/${zur_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES debian/${zur_app_id}.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  install(FILES ${zur_staged}/${zur_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zur-service)
set(CPACK_PACKAGE_CONTACT ${ZUR_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The service engineer's tool for the controller of a ZUR fuel dispenser on
a serial line: reads, edits and writes the controller's configuration,
queries the side addresses of a dispenser and loads new firmware into it.
.
The package holds the window zur-service, the command-line tool zur-cli
and the simulated controller zur-sim, which answers on a pseudo-terminal
for training and demonstration without a dispenser.")
# The libraries come from the binaries; the font is the one the window's layout was measured with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# Qt's own texts (the file dialog's) in Russian; without them they stay English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
