# Cross build for 64-bit Windows; its tests run under 64-bit Wine, on machines whose kernel cannot
# start 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELKOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELKOR_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
