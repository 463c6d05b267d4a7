#!/bin/bash
# bench.sh: builds the benchmark and runs it under an Xvfb of its own (a 1920 x 1080
# screen), printing one table: each path, its time, the baseline of the same run, the ratio
# and the goal; then the quality of the reduction, measured natively by the unit test that
# compares it with ImageMagick's.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/build.sh
source scripts/wine-env.sh
env -u DISPLAY bash scripts/wine-run.sh "build/$ZYLORA_WIN_PRESET/bench/zylora_bench.exe"
cmake --preset native >/dev/null
cmake --build --preset native --target zylora_unit_tests >/dev/null
build/native/zylora_unit_tests --gtest_filter='LanczosTest.*' | grep '^| zone plate'
