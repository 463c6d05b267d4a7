#!/bin/bash
# bench.sh [ROWS]: builds the benchmark and runs it under an Xvfb of its own (a 1920 x 1080
# screen) with openbox, printing one table: each path, its time, the baseline of the same run, the ratio
# and the goal; then the quality of the reduction, measured natively by the unit test that
# compares it with ImageMagick's.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/build.sh
source scripts/wine-env.sh
source scripts/xserver.sh
trap 'for pid in "${x_pids[@]}"; do kill "$pid" 2>/dev/null; done' EXIT
# Under openbox, as on users' desktops: Wine's handshake with the window manager at every
# show, hide and activation is part of what a user waits for. Prefixes made before kept the
# bench's windows from the window manager.
env -u DISPLAY "$ZYLORA_WINE" reg delete 'HKCU\Software\Wine\AppDefaults\zylora_bench.exe\X11 Driver' /v Managed /f \
  >/dev/null 2>&1 </dev/null || true
start_x openbox --sm-disable
echo "== the bench runs the $ZYLORA_WIN_PRESET build under openbox"
DISPLAY="$display" bash scripts/wine-run.sh "build/$ZYLORA_WIN_PRESET/bench/zylora_bench.exe" "$@"
cmake --preset native >/dev/null
cmake --build --preset native --target zylora_unit_tests >/dev/null
build/native/zylora_unit_tests --gtest_filter='LanczosTest.*' | grep '^| zone plate'
