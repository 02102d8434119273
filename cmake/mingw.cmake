# Cross build for Windows with Debian's MinGW-w64 posix-thread compilers, shared by the toolchain
# file of each architecture, which sets first:
#   CMAKE_SYSTEM_PROCESSOR  i686 or x86_64
#   VELKOR_MINGW_TRIPLE     the compilers' prefix (i686-w64-mingw32)
#   VELKOR_WINEARCH         the Wine prefix the tests run in: win32 or win64
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VELKOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELKOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELKOR_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELKOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests of the Windows build run under Wine, through a wrapper that keeps Wine headless and quiet
# in a prefix of the build directory's own, of the build's architecture. VELKOR_WINE_RUN is the
# wrapper for tests that give it options of their own (--display PREFIX PROGRAM).
set(VELKOR_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/wine-run --arch ${VELKOR_WINEARCH})
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELKOR_WINE_RUN} ${CMAKE_BINARY_DIR}/wine)
