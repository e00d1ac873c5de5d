#!/usr/bin/env bash
# Runs a program of the Windows build under Wine, in the Wine prefix given
# (made by scripts/windows.sh): CTest's emulator for the Windows test run.
#
#   scripts/wine_run.sh <prefix> <program.exe> [arguments]
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
# No prompts to install Mono or Gecko, no menu entries on the Linux desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
exec "${WINE:-/usr/lib/wine/wine64}" "$@"
