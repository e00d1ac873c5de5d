#!/usr/bin/env bash
# Makes a Wine prefix ready for Terralog, or readies an existing one:
#
#   scripts/wine_prefix.sh <prefix>
#
# - Wine's own fonts lack the Romanian letters ă â î ş ţ; the fonts a Windows
#   program asks for (Segoe UI, MS Shell Dlg, Tahoma...) are replaced with
#   DejaVu Sans (fonts-dejavu-core), as on Linux.
# - A crash ends the program; no debugger dialog waits for a click.
set -euo pipefail
prefix=$(realpath -m "$1")
here=$(dirname "${BASH_SOURCE[0]}")
wine() { "$here/wine_run.sh" "$prefix" "$@"; }
[ -f "$prefix/system.reg" ] || wine wineboot --init
for font in "Segoe UI" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS Sans Serif" "Microsoft Sans Serif" \
            "Arial" "Verdana" "Lucida Sans Unicode" "Times New Roman" "Courier New"; do
  case $font in
    "Times New Roman") with="DejaVu Serif" ;;
    "Courier New") with="DejaVu Sans Mono" ;;
    *) with="DejaVu Sans" ;;
  esac
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "$with" /f >/dev/null
done
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
