# wine-env.sh, sourced by the scripts after scripts/setup.sh: which Windows build the tests
# and the runs use, and the Wine that runs it. The program is 32-bit, and it runs under
# 32-bit Wine wherever this machine's kernel runs 32-bit programs. A kernel with its 32-bit
# emulation switched off runs none, 32-bit Wine included; there the same sources built for
# 64-bit Windows run under 64-bit Wine instead, in a prefix of their own.
# Sets ZYLORA_WIN_PRESET (the CMake preset: win32 or win64), ZYLORA_WINE (the loader to run
# a Windows program with) and Wine's own variables. A preset already chosen is kept.
wine_env_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${ZYLORA_WIN_PRESET:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    ZYLORA_WIN_PRESET=win32
  else
    ZYLORA_WIN_PRESET=win64
  fi
fi
if [ "$ZYLORA_WIN_PRESET" = win64 ]; then
  export WINEPREFIX="$wine_env_root/build/wineprefix64" WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  ZYLORA_WINE=/usr/lib/wine/wine64
else
  # A test may run the program in a prefix of its own (one with other settings).
  export WINEPREFIX="${ZYLORA_TEST_WINEPREFIX:-$wine_env_root/build/wineprefix}" WINEARCH=win32
  ZYLORA_WINE=wine
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" ZYLORA_WIN_PRESET ZYLORA_WINE
# The runnable folder of that build.
ZYLORA_WIN_DIST="$wine_env_root/build/$ZYLORA_WIN_PRESET/dist"
unset wine_env_root
