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

# Static runtime: the programs then run under Wine or on a bare Windows machine without
# libstdc++, libgcc and winpthread DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs are started through Wine (ctest and test discovery use this).
find_program(ZUR_WINE wine)
if(ZUR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZUR_WINE})
endif()
