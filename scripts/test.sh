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
x_pids=()
cleanup() {
  wineserver -k 2>/dev/null
  for pid in "${x_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
}
trap cleanup EXIT

# start_x [WINDOW MANAGER...]: an Xvfb on a free display, with the manager when one is
# named, once it has taken the screen; sets `display`.
start_x() {
  local displayfile number
  displayfile="$(mktemp)"
  # Xvfb picks a free display number itself and writes it to the given descriptor.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  x_pids+=($!)
  for _ in $(seq 300); do
    [ -s "$displayfile" ] && break
    kill -0 "${x_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  number="$(tr -dc 0-9 <"$displayfile")"
  rm -f "$displayfile"
  if [ -z "$number" ]; then
    echo "test: Xvfb did not start" >&2
    exit 1
  fi
  display=":$number"
  if [ $# -gt 0 ]; then
    DISPLAY="$display" "$@" >/dev/null 2>&1 &
    x_pids+=($!)
    for _ in $(seq 100); do
      DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.1
    done
  fi
}
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
