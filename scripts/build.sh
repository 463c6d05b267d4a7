#!/bin/bash
# build.sh: brings the machine up (scripts/setup.sh) and builds the win32 preset: zylora.exe,
# its runnable folder, the Win32 tests and the bench.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake --preset win32
cmake --build --preset win32
