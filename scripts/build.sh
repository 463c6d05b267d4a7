#!/bin/bash
# build.sh: brings the machine up (scripts/setup.sh) and builds the win32 preset: zylora.exe,
# its runnable folder, the release zip, the Win32 tests and the bench. Where this machine
# runs no 32-bit programs (scripts/wine-env.sh) it builds only the program and its zip for
# 32-bit Windows, and the win64 preset whole for the tests and runs here.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
source scripts/wine-env.sh
cmake --preset win32
if [ "$ZYLORA_WIN_PRESET" = win32 ]; then
  cmake --build --preset win32
else
  cmake --build --preset win32 --target zylora zylora_skincheck zylora_release
  cmake --preset win64
  cmake --build --preset win64
fi
