# 64-bit Windows build with MinGW-w64: the same sources, for machines whose Wine runs no 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KARUVEL_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
