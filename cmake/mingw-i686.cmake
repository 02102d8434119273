# Cross build for 32-bit Windows, the programs as they ship; tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELKOR_MINGW_TRIPLE i686-w64-mingw32)
set(VELKOR_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
