# zur_deploy_qt(TARGET [INSTALLED] PLUGINS p...): a Windows program that uses Qt gets the DLLs, plug-ins and
# translations it needs beside itself, in the build tree after each link (so that it runs there, as
# the window tests do under Wine) and, when INSTALLED, in bin\ of the installed tree (what the
# installer and the archive ship). Debian's Qt translations give Qt's own texts in Russian, as on Linux.
include(GNUInstallDirs)
set(ZUR_QT_TRANSLATIONS /usr/share/qt6/translations/qtbase_ru.qm CACHE FILEPATH
    "Qt's Russian texts (Debian: qt6-translations-l10n)")
set(zur_deploy_script ${CMAKE_CURRENT_LIST_DIR}/ZurDeployQtScript.cmake)

function(zur_deploy_qt target)
  cmake_parse_arguments(arg "INSTALLED" "" "PLUGINS" ${ARGN})
  # The mingw runtime (libstdc++, libgcc, winpthread) that Qt's DLLs import.
  set(search ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
  foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime} OUTPUT_VARIABLE path
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(dir ${path} DIRECTORY)
    list(APPEND search ${dir})
  endforeach()
  set(settings "set(SEARCH \"${search}\")
set(PLUGIN_DIR \"${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}\")
set(PLUGINS \"${arg_PLUGINS}\")
set(OBJDUMP \"${CMAKE_OBJDUMP}\")
set(TRANSLATIONS \"${ZUR_QT_TRANSLATIONS}\")
")
  set(build_script ${CMAKE_CURRENT_BINARY_DIR}/deploy-${target}-build.cmake)
  file(GENERATE OUTPUT ${build_script} CONTENT "${settings}set(PROGRAM \"$<TARGET_FILE:${target}>\")
set(DEST \"$<TARGET_FILE_DIR:${target}>\")
include(\"${zur_deploy_script}\")
")
  add_custom_command(TARGET ${target} POST_BUILD COMMAND ${CMAKE_COMMAND} -P ${build_script} VERBATIM)
  if(NOT arg_INSTALLED)
    return()
  endif()
  set(install_script ${CMAKE_CURRENT_BINARY_DIR}/deploy-${target}-install.cmake)
  file(GENERATE OUTPUT ${install_script} CONTENT "${settings}set(DEST \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
set(PROGRAM \"\${DEST}/$<TARGET_FILE_NAME:${target}>\")
include(\"${zur_deploy_script}\")
")
  install(SCRIPT ${install_script})
endfunction()
