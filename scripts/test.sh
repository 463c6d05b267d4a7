#!/bin/bash
# The one test command: builds zylora.exe and its Win32 tests, then the native unit and
# end-to-end tests, and runs all of them under Wine on an X server of their own.
# Exits non-zero if any build or test failed.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 1

bash scripts/setup.sh || { echo "test: setup failed" >&2; exit 1; }
source scripts/wine-env.sh
echo "== the Wine tiers run the $ZYLORA_WIN_PRESET build"

failed=()
step() {
  local name="$1"
  shift
  echo "== $name"
  "$@" || failed+=("$name")
}

step "build windows" bash scripts/build.sh
# The end-to-end tests run the build the Wine tiers run.
release_dir="$root/build/release"
[ "$ZYLORA_WIN_PRESET" = win64 ] && release_dir="$root/build/win64/release"
step "build native" bash -c "cmake --preset native -DZYLORA_DIST_DIR='$ZYLORA_WIN_DIST' \
  -DZYLORA_RELEASE_DIR='$release_dir' && cmake --build --preset native"

# Each tier gets an X server of its own: the Win32 tier's runs a window manager (openbox), as
# users' desktops do, so Wine hands the windows to it; the end-to-end tier starts on a bare
# one, and its window manager fixtures start servers of their own with the manager they test.
source "$root/scripts/x-servers.sh"
start_x openbox --sm-disable
desktop_display="$display"
start_x
bare_display="$display"
echo "== X servers: $desktop_display with openbox (Win32 tier), $bare_display bare (end-to-end tier)"
export DISPLAY="$bare_display"

# One Wine session for the whole run, so each test program does not start Wine afresh.
# Its first program starts Wine's own services and desktop, which keep that program's
# stdout and stderr open for as long as the session lasts: that must not be a pipe
# ctest waits on, or the first test never ends.
wineserver -p
"$ZYLORA_WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1

DISPLAY="$desktop_display" step "ctest $ZYLORA_WIN_PRESET" ctest --preset "$ZYLORA_WIN_PRESET" --output-on-failure
step "ctest native" ctest --preset native --output-on-failure

if [ ${#failed[@]} -gt 0 ]; then
  echo "test: FAILED: ${failed[*]}"
  exit 1
fi
echo "test: all builds and tests passed"
