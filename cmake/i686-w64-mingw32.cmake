# 32-bit Windows build with MinGW-w64: the one shipped.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KARUVEL_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
