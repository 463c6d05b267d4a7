#!/bin/bash
# release.sh: builds zylora.exe and everything beside it (scripts/build.sh), whose default
# target packs build/release/zylora-<version>-win32.zip, and says where that zip is.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# A zip left from another version is not this build's; the build makes the current one anew.
rm -f build/release/zylora-*-win32.zip
bash scripts/build.sh
zip=(build/release/zylora-*-win32.zip)
[ -f "${zip[0]}" ] || { echo "release: the build made no zip" >&2; exit 1; }
echo "release: $root/${zip[0]}"
