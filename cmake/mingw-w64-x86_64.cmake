# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZUR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZUR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZUR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZUR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZUR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt for Windows, built by scripts/qt-windows.sh: its folder joins the places packages are found in.
if(ZUR_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZUR_QT_WINDOWS})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZUR_QT_WINDOWS)

# Test programs are started through Wine (ctest and test discovery use this).
find_program(ZUR_WINE wine)
if(ZUR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZUR_WINE})
endif()
