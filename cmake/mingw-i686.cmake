# Cross build of the 32-bit Windows program with Debian's MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZYLORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
