#!/usr/bin/env bash
# Cross-builds Terralog for 64-bit Windows (MinGW-w64) into build-win/ and
# runs the test suite there under Wine, leaving out the tests labelled
# linux-tools and linux-only (tests/CMakeLists.txt).
#
#   scripts/windows.sh
#
# The Windows SDK (Qt and the libraries built for Windows) is
# $TERRALOG_WIN_SDK, a folder or a .tar.xz, or else the shared copy
# ../shared/win-sdk/terralog-win-sdk.tar.xz beside the checkout; a tarball is
# unpacked once into ~/.cache/terralog-windows. The build has a Wine prefix
# of its own, build-win/wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
build=build-win

packages=(
  g++-mingw-w64-x86-64-posix wine64 cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools  # the host's moc, rcc and uic and their CMake files
  xvfb xauth ccache xz-utils
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

# The SDK: a folder holding toolchain.cmake, or a tarball unpacked into the
# cache under a name taken from its content.
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
  echo "No Windows SDK at $source: set TERRALOG_WIN_SDK to one (a folder or a .tar.xz);"
  echo "scripts/build-win-sdk.sh builds one from Debian's source packages."
  exit 1
fi
echo "Windows SDK: $sdk"

prefix=$root/$build/wine
# A build made with another SDK is configured afresh: CMake reads the
# toolchain file of its first configuration only.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qsF "$sdk/toolchain.cmake" "$build"/CMakeFiles/*/CMakeSystem.cmake; then
  echo "$build was configured with another SDK: configuring it afresh"
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$sdk/toolchain.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRALOG_BUILD_BENCH=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine_run.sh;$prefix"
cmake --build "$build" --parallel

wine() { "$root/scripts/wine_run.sh" "$prefix" "$@"; }
wineserver=${WINESERVER:-/usr/lib/wine/wineserver64}
# The prefix's Wine server and whatever still runs in it end with this script.
trap 'WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true' EXIT
if [ ! -f "$prefix/system.reg" ]; then
  echo "Creating the Wine prefix $prefix"
  wine wineboot --init
  # Wine keeps the QT_* variables of Linux from its programs: the tests'
  # platform plugin is set in the prefix's environment instead.
  wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f
  # A crash ends the program and the test; no dialog waits for a click.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  WINEPREFIX=$prefix "$wineserver" -w
fi

# Wine's own windows (a crash report, a message box) need a display.
xvfb-run -a ctest --test-dir "$build" --output-on-failure -LE 'linux-tools|linux-only'
