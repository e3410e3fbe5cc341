# The Windows archive: the programs in bin\ and README.txt beside that folder. The cross-build of
# scripts/package.sh has no window and gives zur-cli-<version>-win64.zip; a build with Qt for
# Windows also puts the window and the Qt libraries windeployqt picks for it (app/CMakeLists.txt)
# into zur-service-<version>-win64.zip.
install(FILES windows/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
if(TARGET zur-service)
  set(CPACK_PACKAGE_NAME zur-service)
else()
  set(CPACK_PACKAGE_NAME zur-cli)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
