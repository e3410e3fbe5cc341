# The Windows archive: the programs in bin\ and README.txt beside that folder; with the window, also
# the Qt libraries, plug-ins and translations it needs (app/CMakeLists.txt). scripts/package.sh packs
# the same tree into the installer. README.txt gets Windows' line ends, so that Notepad shows it.
file(READ windows/README.txt readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/README.txt "${readme}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
if(TARGET zur-service)
  # The licence of the font the window carries.
  install(FILES /usr/share/doc/fonts-liberation2/copyright DESTINATION . RENAME LICENSE-LiberationSans.txt)
endif()

set(CPACK_GENERATOR ZIP)
if(TARGET zur-service)
  set(CPACK_PACKAGE_NAME zur-service)
else()
  set(CPACK_PACKAGE_NAME zur-cli)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
