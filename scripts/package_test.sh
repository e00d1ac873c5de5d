#!/usr/bin/env bash
# Tries the packages in dist/ as an administrator would, on this machine:
#
#   Windows, under Wine in a prefix of its own (/tmp/terralog-package-wine):
#   the installer run silently, Start menu, desktop shortcut and uninstall key,
#   terralog.exe started from the installed folder showing its main menu, a
#   second installation through the installer's pages over a Data folder
#   whose office name was changed, then the uninstaller, which must leave Data.
#   Debian: dpkg -i of the .deb, terralog-sql --help, the program started as
#   its desktop entry says, dpkg -r, which must leave the user's data.
#
#   scripts/package_test.sh [--screenshots DIR]
#
# Run scripts/package.sh first. Needs root for dpkg (or sudo). Takes a few
# minutes; prints a summary and exits 1 when a check failed. Screenshots of
# the installer's pages and of the program go to DIR (default
# dist/screenshots).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
shots=$root/dist/screenshots
if [ "${1:-}" = "--screenshots" ]; then shots=$(realpath -m "$2"); fi

packages=(wine64 fonts-wine xvfb xauth xdotool x11-utils imagemagick desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Everything runs on one virtual display.
if [ -z "${TERRALOG_PACKAGE_TEST_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" env TERRALOG_PACKAGE_TEST_DISPLAY=1 "$0" "$@"
fi

version=$(sed -n 's/^project(terralog VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
setup=$root/dist/TerralogSetup-$version.exe
deb=$root/dist/terralog_${version}_amd64.deb
for f in "$setup" "$deb"; do
  [ -f "$f" ] || { echo "package_test.sh: $f is missing; run scripts/package.sh first" >&2; exit 1; }
done
rm -rf "$shots"
mkdir -p "$shots"

passed=0
failed=0
results=()
check() {  # description command...
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then
    results+=("ok    $what")
    passed=$((passed + 1))
  else
    results+=("FAIL  $what")
    failed=$((failed + 1))
    echo "FAIL: $what" >&2
  fi
}
shot() { import -window root "$shots/$1.png"; }
# Waits up to $1 seconds for a top-level window whose name matches $2.
window_shown() {
  local i
  for ((i = 0; i < $1 * 2; i++)); do
    xdotool search --onlyvisible --name "$2" >/dev/null 2>&1 && return 0
    sleep 0.5
  done
  return 1
}
wait_for_file() {  # seconds path
  local i
  for ((i = 0; i < $1 * 2; i++)); do
    [ -e "$2" ] && return 0
    sleep 0.5
  done
  return 1
}

# --- Windows, under Wine ---------------------------------------------------------
export WINEPREFIX=/tmp/terralog-package-wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
trap '"$wineserver" -k 2>/dev/null || true' EXIT
"$wineserver" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
echo "Creating the Wine prefix $WINEPREFIX"
"$wine" wineboot --init
# Fonts with the Romanian letters for the installer's and the program's texts.
for font in "Segoe UI" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Arial" "MS Sans Serif"; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "DejaVu Sans" /f
done
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
"$wineserver" -w

drive=$WINEPREFIX/drive_c
inst=$drive/Terralog
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Terralog'
start_menu=$drive/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Terralog
desktop=$drive/users/Public/Desktop
reg_value() { "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

echo "Silent installation"
"$wine" "$setup" /S
check "silent installation exits 0" test $? -eq 0
"$wineserver" -w
for f in terralog.exe terralog-sql.exe terralog-import.exe terralog-export.exe terralog-backup.exe \
         Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll platforms/qwindows.dll \
         translations/qtbase_ro.qm Citeste-ma.txt Licente/LGPL-3.txt Licente/Iconite.txt Dezinstalare.exe; do
  check "installed C:\\Terralog\\$f" test -f "$inst/$f"
done
check "no Data folder installed" test ! -e "$inst/Data"
check "Start menu: Terralog" test -f "$start_menu/Terralog.lnk"
check "Start menu: uninstaller" test -f "$start_menu/Dezinstalare Terralog.lnk"
check "desktop shortcut" test -f "$desktop/Terralog.lnk"
check "uninstall key DisplayName" test "$(reg_value DisplayName)" = "Terralog"
check "uninstall key DisplayVersion $version" test "$(reg_value DisplayVersion)" = "$version"
check "uninstall key Publisher" test -n "$(reg_value Publisher)"
check "uninstall key DisplayIcon" test "$(reg_value DisplayIcon)" = 'C:\Terralog\terralog.exe,0'
check "uninstall key UninstallString" test "$(reg_value UninstallString)" = '"C:\Terralog\Dezinstalare.exe"'
check "uninstall key InstallLocation" test "$(reg_value InstallLocation)" = 'C:\Terralog'
check "uninstall key EstimatedSize" test -n "$(reg_value EstimatedSize)"
check "terralog.exe carries version $version" \
  sh -c "strings -el '$inst/terralog.exe' | grep -A1 -x ProductVersion | grep -qx '$version'"
check "terralog-sql --help under Wine" sh -c "'$wine' 'C:\\Terralog\\terralog-sql.exe' --help | grep -q Folosire"

# Started from the installed folder, the program makes its tables in Data
# there and shows the main menu.
start_program() {  # screenshot-name
  (cd "$inst" && "$wine" 'C:\Terralog\terralog.exe' >/dev/null 2>&1 &)
  window_shown 60 "^Terralog v\.1\.18$"
  local shown=$?
  sleep 2
  shot "$1"
  if [ -n "${2:-}" ]; then
    # "Despre...", the fifth button of the menu band: the version under the title.
    local w
    w=$(xdotool search --onlyvisible --name "^Terralog v\.1\.18$" | head -n 1)
    xdotool mousemove --window "$w" 403 45 click 1
    window_shown 10 "^Despre program$" && sleep 1 && shot "$2"
  fi
  # Ends what runs in this test's own prefix: the program.
  "$wineserver" -k
  "$wineserver" -w
  return $shown
}
echo "Program from the installed folder"
check "terralog.exe shows the main menu" start_program 05-program-main-menu 06-program-about
check "the program made its tables in C:\\Terralog\\Data" test -f "$inst/Data/TP.DBF"

# The office name changed, a file of the office's own in Data: a second
# installation, through every page, leaves both.
printf '[SETARI]\r\nPRIMARIA=Primaria Comunei Sanpetru\r\n' >>"$inst/Data/Terralog.ini"
echo "a note of the office" >"$inst/Data/nota.txt"
data_sum=$(cd "$inst/Data" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
echo "damaged" >"$inst/Citeste-ma.txt"

echo "Installation through the pages"
"$wine" "$setup" &
installer=$!
page() {  # name keys...
  local name=$1
  shift
  sleep 3
  shot "$name"
  local w
  w=$(xdotool search --onlyvisible --name "Terralog $version" | head -n 1)
  [ -n "$w" ] && xdotool windowactivate --sync "$w" 2>/dev/null
  for k in "$@"; do xdotool key "$k"; sleep 0.5; done
}
if window_shown 60 "Terralog $version"; then
  page 01-installer-welcome Return
  page 02-installer-folder Return
  sleep 5
  # The finish page: leave "Porneste Terralog" unticked for this run.
  page 03-installer-finish space
  page 04-installer-finish-unticked Return
fi
wait "$installer"
check "installation through the pages exits 0" test $? -eq 0
"$wineserver" -w
check "upgrade: program files replaced" grep -q "Citeste-ma" "$inst/Citeste-ma.txt"
check "upgrade: Data unchanged (tables, Terralog.ini, office's file)" \
  test "$(cd "$inst/Data" && find . -type f -print0 | sort -z | xargs -0 sha256sum)" = "$data_sum"
check "after the upgrade the program still opens" start_program 07-program-after-upgrade

echo "Uninstallation"
"$wine" 'C:\Terralog\Dezinstalare.exe' /S
"$wineserver" -w
sleep 2
"$wineserver" -w
check "uninstaller removed terralog.exe" test ! -e "$inst/terralog.exe"
check "uninstaller removed the Qt DLLs and plugins" test ! -e "$inst/Qt6Core.dll" -a ! -e "$inst/platforms"
check "uninstaller removed the Start menu folder" test ! -e "$start_menu"
check "uninstaller removed the desktop shortcut" test ! -e "$desktop/Terralog.lnk"
check "uninstaller removed the uninstall key" sh -c "! '$wine' reg query '$key'"
check "uninstaller left Data" \
  test "$(cd "$inst/Data" && find . -type f -print0 | sort -z | xargs -0 sha256sum)" = "$data_sum"
"$wineserver" -k 2>/dev/null || true

# --- Debian package --------------------------------------------------------------------
echo "Debian package"
home=$(mktemp -d /tmp/terralog-package-home.XXXXXX)
chmod 755 "$home"
"${as_root[@]}" dpkg -i "$deb"
check "dpkg -i $(basename "$deb")" test $? -eq 0
check "terralog-sql --help" sh -c 'terralog-sql --help | grep -q Folosire'
check "man page terralog-backup" test -f /usr/share/man/man1/terralog-backup.1.gz
check "desktop entry valid" desktop-file-validate /usr/share/applications/terralog.desktop
check "desktop entry in Office" grep -q '^Categories=.*Office;' /usr/share/applications/terralog.desktop
check "icon in the hicolor theme" test -f /usr/share/icons/hicolor/256x256/apps/terralog.png

# The program as the menu starts it, in a home of its own.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/terralog.desktop)
user_data=$home/.local/share/terralog/Data
# A session of its own: the one-instance lock lives in the runtime folder.
mkdir -m 700 "$home/run"
(cd / && exec env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME= XDG_CONFIG_DIRS="$home/xdg" \
   XDG_RUNTIME_DIR="$home/run" sh -c "exec $exec_line") >"$home/terralog.log" 2>&1 &
program=$!
check "the desktop entry's program shows the main menu" window_shown 60 "^Terralog v\.1\.18$"
sleep 2
shot 08-linux-main-menu
check "its data in ~/.local/share/terralog/Data" wait_for_file 10 "$user_data/TP.DBF"
check "nothing written beside the program" test ! -e /usr/lib/terralog/Data
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
user_sum=$(cd "$user_data" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
sleep 1
"${as_root[@]}" dpkg -r terralog
check "dpkg -r terralog" test $? -eq 0
check "program removed" test ! -e /usr/bin/terralog
check "dpkg -r left the user's data" \
  test "$(cd "$user_data" && find . -type f -print0 | sort -z | xargs -0 sha256sum)" = "$user_sum"
rm -rf "$home"

echo
echo "Summary of the package test ($version):"
printf '  %s\n' "${results[@]}"
echo "$passed passed, $failed failed; screenshots in $shots"
[ "$failed" -eq 0 ]
