#!/bin/bash
# run.sh [PICTURE]: builds zylora.exe and runs it under Wine, showing PICTURE, or the
# first sample picture when none is given. Uses $DISPLAY, or an Xvfb of its own.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/build.sh
source scripts/wine-env.sh

dist="$ZYLORA_WIN_DIST"
picture=
if [ $# -gt 0 ]; then
  picture="$(realpath "$1")"
else
  picture="$(find "$dist/Samples" -maxdepth 1 -type f 2>/dev/null | LC_ALL=C sort | head -n 1)"
fi
args=()
if [ -n "$picture" ]; then
  # The program sees Windows paths: Z: is Wine's drive for the Unix root.
  args=("$("$ZYLORA_WINE" winepath -w "$picture")")
fi

exec bash scripts/wine-run.sh "$dist/zylora.exe" "${args[@]}"
