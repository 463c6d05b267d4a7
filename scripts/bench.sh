#!/bin/bash
# bench.sh [ROWS]: builds the benchmark and runs it under an Xvfb of its own (a 1920 x 1080
# screen) whose windows openbox manages, as on a user's desktop, printing one table: each
# path, its time, the baseline of the same run, the ratio and the goal (ROWS: `start`,
# `decode`, `drag`, `steps`, `walk` or `formats` for those rows alone); then the quality of the
# reduction, measured natively by the unit test that compares it with ImageMagick's.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/build.sh
source scripts/wine-env.sh
# A 12 MP photo-like picture in each format the viewer decodes itself, made once by Debian's
# encoders at a camera's or a phone's usual quality; the HEIC with a reduced copy, as a phone
# writes it.
formats="build/$ZYLORA_WIN_PRESET/bench/formats"
if [ ! -f "$formats/photo.jxl" ] || ! heif-info "$formats/photo.heic" 2>/dev/null | grep -q thumbnail; then
  mkdir -p "$formats"
  convert -size 4000x3000 plasma:fractal -seed 7 +noise Gaussian -attenuate 0.2 "$formats/photo.png"
  cwebp -quiet -q 85 "$formats/photo.png" -o "$formats/photo.webp"
  avifenc -s 8 --min 15 --max 30 "$formats/photo.png" "$formats/photo.avif" >/dev/null
  heif-enc -q 85 -t 320 "$formats/photo.png" -o "$formats/photo.heic" >/dev/null
  cjxl --quiet -d 1 "$formats/photo.png" "$formats/photo.jxl"
  rm "$formats/photo.png"
fi
source scripts/x-servers.sh
start_x openbox --sm-disable
echo "bench: the $ZYLORA_WIN_PRESET build, under openbox on $display"
# Prefixes made before the bench ran under a window manager told Wine to keep its windows
# from one; the windows are the window manager's, as users run them.
DISPLAY="$display" "$ZYLORA_WINE" reg delete 'HKCU\Software\Wine\AppDefaults\zylora_bench.exe\X11 Driver' /v Managed /f \
  >/dev/null 2>&1 </dev/null || true
DISPLAY="$display" "$ZYLORA_WINE" "build/$ZYLORA_WIN_PRESET/bench/zylora_bench.exe" "$@"
cmake --preset native >/dev/null
cmake --build --preset native --target zylora_unit_tests >/dev/null
build/native/zylora_unit_tests --gtest_filter='LanczosTest.*' | grep '^| zone plate'
