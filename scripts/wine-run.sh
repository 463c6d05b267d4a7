#!/bin/bash
# wine-run.sh PROGRAM [ARGS...]: runs a Windows program in the project's Wine prefix
# and exits with its exit code. ctest's emulator for the Windows test programs, so it
# does no setup work (scripts/setup.sh has made the prefix). Without a DISPLAY it
# brings its own Xvfb for the one command.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ -z "${DISPLAY:-}" ]; then
  # Wine's desktop process (explorer.exe) outlives the program and says "X connection
  # to :99 broken" when this X server goes; harmless, the next program starts a new one.
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$ZYLORA_WINE" "$@"
fi
exec "$ZYLORA_WINE" "$@"
