# What both MinGW-w64 cross builds share; ZYLORA_MINGW_TRIPLE names the compiler's target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZYLORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZYLORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZYLORA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZYLORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests built for Windows run under the project's own Wine environment.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
