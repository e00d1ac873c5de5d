#!/usr/bin/env bash
# Builds the two packages of Terralog into dist/:
#   TerralogSetup-<version>.exe   the Windows installer (NSIS)
#   Terralog-<version>-win64.zip  the same files, to unpack anywhere writable
#   terralog_<version>_amd64.deb  the Debian package (CPack)
#
#   scripts/package.sh
#
# Works from a clean checkout: it makes the Linux build (build-pkg, without
# tests) and the Windows build (scripts/windows.sh --build-only when that
# script has the option, else its own cross build into build-win), then
# gathers the files. The packaging files are in packaging/ (see its README).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
dist=$root/dist
jobs=${TERRALOG_JOBS:-2}

packages=(
  build-essential cmake ninja-build pkg-config ccache python3 xz-utils
  qt6-base-dev qt6-l10n-tools libgl-dev
  zlib1g-dev libdeflate-dev libfreexl-dev libsimpleini-dev
  libxlsxwriter-dev libminizip-dev libexpat1-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools
  nsis zip dpkg-dev fakeroot lintian file
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

say() { echo "== $*"; }

# --- Linux build -----------------------------------------------------------
say "Linux build (build-pkg)"
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRALOG_BUILD_TESTS=OFF -DTERRALOG_BUILD_BENCH=OFF >/dev/null
cmake --build build-pkg --parallel "$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-pkg/CMakeCache.txt)
[ -n "$version" ] || { echo "package.sh: no project version in build-pkg/CMakeCache.txt" >&2; exit 1; }
say "Terralog $version"

# --- Windows build ---------------------------------------------------------
programs=(terralog terralog-sql terralog-import terralog-export terralog-backup)
if [ -x scripts/windows.sh ] && grep -q -- '--build-only' scripts/windows.sh; then
  say "Windows build (scripts/windows.sh --build-only)"
  scripts/windows.sh --build-only
else
  say "Windows build (build-win)"
  source=${TERRALOG_WIN_SDK:-$(dirname "$root")/shared/win-sdk}
  if [ -d "$source" ] && [ ! -f "$source/toolchain.cmake" ]; then
    source=$source/terralog-win-sdk.tar.xz
  fi
  if [ -f "$source/toolchain.cmake" ]; then
    sdk=$source
  elif [ -f "$source" ]; then
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/terralog-windows/sdk-$(sha256sum "$source" | cut -c1-16)
    if [ ! -d "$cache" ]; then
      echo "Unpacking $source into $cache"
      rm -rf "$cache.part"
      mkdir -p "$cache.part"
      tar -C "$cache.part" -xJf "$source"
      mv "$cache.part" "$cache"
    fi
    sdk=$(dirname "$(find "$cache" -maxdepth 2 -name toolchain.cmake | head -n 1)")
  else
    echo "package.sh: no Windows SDK at $source; set TERRALOG_WIN_SDK to one (a folder or a .tar.xz)" >&2
    exit 1
  fi
  cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$sdk/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRALOG_BUILD_BENCH=OFF >/dev/null
  cmake --build build-win --parallel "$jobs" --target "${programs[@]}" terralog_translations
fi
toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' build-win/CMakeCache.txt)
sdk=$(dirname "$toolchain")
qt_version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")/\1/p' "$sdk/lib/cmake/Qt6/Qt6ConfigVersion.cmake")

rm -rf "$dist"
mkdir -p "$dist"

# --- Windows files -----------------------------------------------------------
# Only what the programs load: the DLLs their import tables name, found in
# the SDK (Qt, MinGW runtime) and followed to what those import, and the Qt
# plugins a widget program loads at start (the windows platform and the
# native style). Windows' own DLLs are left to Windows.
say "Windows files"
stage=$dist/win/Terralog
mkdir -p "$stage"
objdump=x86_64-w64-mingw32-objdump
strip=x86_64-w64-mingw32-strip
search=("$sdk/bin")
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)

shipped=()
ship_dll() {  # name
  local name=$1 dir
  for done_name in "${shipped[@]+"${shipped[@]}"}"; do [ "$done_name" = "$name" ] && return 0; done
  for dir in "${search[@]}"; do
    if [ -f "$dir/$name" ]; then
      shipped+=("$name")
      cp "$dir/$name" "$stage/$name"
      ship_imports "$dir/$name"
      return 0
    fi
  done
  # Not ours: a DLL of Windows (KERNEL32, USER32, api-ms-win-*, ...).
  return 0
}
ship_imports() {  # file
  local name
  for name in $("$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'); do
    ship_dll "$name"
  done
}
for program in "${programs[@]}"; do
  cp "build-win/$program.exe" "$stage/"
  ship_imports "build-win/$program.exe"
done
for plugin in "${plugins[@]}"; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$sdk/plugins/$plugin" "$stage/$plugin"
  ship_imports "$sdk/plugins/$plugin"
done
mkdir -p "$stage/translations"
cp build-win/translations/qtbase_ro.qm "$stage/translations/"
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$strip" --strip-unneeded {} +

# Texts for Windows: CRLF line ends, the version filled in.
windows_text() {  # source target
  sed -e "s/@VERSION@/$version/g" -e "s/@QT_VERSION@/$qt_version/g" -e 's/$/\r/' "$1" >"$2"
}
windows_text packaging/windows/Citeste-ma.txt "$stage/Citeste-ma.txt"
mkdir -p "$stage/Licente"
windows_text packaging/windows/Qt.txt "$stage/Licente/Qt.txt"
windows_text /usr/share/common-licenses/LGPL-3 "$stage/Licente/LGPL-3.txt"
windows_text /usr/share/common-licenses/GPL-3 "$stage/Licente/GPL-3.txt"
windows_text resources/LICENSE-icons.md "$stage/Licente/Iconite.txt"
for pkg in zlib1g libminizip1 libdeflate0 libexpat1 libfreexl1 libxlsxwriter-dev libsimpleini-dev \
           gcc-mingw-w64-base mingw-w64-common; do
  copyright=/usr/share/doc/$pkg/copyright
  [ -f "$copyright" ] && windows_text "$copyright" "$stage/Licente/${pkg%-dev}-copyright.txt"
done

echo "Shipped DLLs: ${shipped[*]}"

# --- Windows installer and zip -------------------------------------------------
say "Windows installer"
files_nsh=$dist/win/files.nsh
{
  echo '!macro InstallFiles'
  (cd "$stage" && find . -mindepth 1 -type d | sort) | while read -r d; do
    d=${d#./}
    echo "  SetOutPath \"\$INSTDIR\\${d//\//\\}\""
    (cd "$stage/$d" && find . -maxdepth 1 -type f | sort) | while read -r f; do
      echo "  File \"$stage/$d/${f#./}\""
    done
  done
  echo '  SetOutPath "$INSTDIR"'
  (cd "$stage" && find . -maxdepth 1 -type f | sort) | while read -r f; do
    echo "  File \"$stage/${f#./}\""
  done
  echo '!macroend'
  echo '!macro RemoveFiles'
  (cd "$stage" && find . -type f | sort) | while read -r f; do
    f=${f#./}
    echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
    d=${d#./}
    echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
  echo '!macroend'
} >"$files_nsh"
size_kb=$(du -sk --apparent-size "$stage" | cut -f1)
setup=$dist/TerralogSetup-$version.exe
makensis -V2 -DVERSION="$version" -DOUTFILE="$setup" -DESTIMATED_SIZE="$size_kb" \
  -DICON="$root/resources/icons/terralog.ico" -DFILES="$files_nsh" packaging/windows/terralog.nsi
(cd "$dist/win" && rm -f "$dist/Terralog-$version-win64.zip" && zip -qr9 "$dist/Terralog-$version-win64.zip" Terralog)

# --- Debian package ----------------------------------------------------------------
say "Debian package"
(cd build-pkg && cpack -G DEB -B "$dist/deb" >/dev/null)
mv "$dist/deb/terralog_${version}_amd64.deb" "$dist/"
rm -rf "$dist/deb"
deb=$dist/terralog_${version}_amd64.deb
say "lintian"
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v "running with root privileges" || true)
[ -n "$lintian_out" ] && echo "$lintian_out"
if echo "$lintian_out" | grep -q '^E: '; then
  echo "package.sh: lintian reports errors on $deb" >&2
  exit 1
fi

say "Done"
ls -l "$dist"/*.exe "$dist"/*.zip "$dist"/*.deb
echo "Windows files: ${size_kb} KB installed"
