# Cross build of the same program for 64-bit Windows with Debian's MinGW-w64: the tests'
# build on a machine whose kernel runs no 32-bit programs (so no 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZYLORA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
