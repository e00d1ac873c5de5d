#!/usr/bin/env bash
# Cross-builds Terralog for 64-bit Windows (MinGW-w64) into build-win/ and
# runs the test suite there under Wine, leaving out the tests labelled
# linux-tools and linux-only (tests/CMakeLists.txt).
#
#   scripts/windows.sh               build, then run the tests
#   scripts/windows.sh --build-only  build only: build-win/ then holds
#                                    terralog.exe and the four command-line
#                                    programs with everything they load
#
# The Windows SDK (Qt and the libraries built for Windows) is
# $TERRALOG_WIN_SDK, a folder or a .tar.xz, or else the shared copy
# ../shared/win-sdk/terralog-win-sdk.tar.xz beside the checkout; a tarball is
# unpacked once into ~/.cache/terralog-windows. The tests run in a Wine
# prefix of the build's own, build-win/wine.
#
# The tests include one that compares the files of the two builds
# (tests/linux_windows_files.sh); it takes the Linux programs from build/,
# building them there when they are missing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
build=build-win

build_only=false
for argument in "$@"; do
  case $argument in
    --build-only) build_only=true ;;
    -h|--help) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "scripts/windows.sh: unknown option $argument (--build-only, --help)" >&2; exit 2 ;;
  esac
done

packages=(
  g++-mingw-w64-x86-64-posix cmake ninja-build pkg-config ccache xz-utils
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools  # the host's moc, rcc, uic and lrelease
)
$build_only || packages+=(wine64 xvfb xauth fonts-dejavu-core)
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

# The compiler cache serves every clone: paths inside the checkout are
# hashed relative to it.
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
jobs=${TERRALOG_JOBS:-$(nproc)}

prefix=$root/$build/wine
linux_build=$root/build
# A build made with another SDK is configured afresh: CMake reads the
# toolchain file of its first configuration only.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qsF "$sdk/toolchain.cmake" "$build"/CMakeFiles/*/CMakeSystem.cmake; then
  echo "$build was configured with another SDK: configuring it afresh"
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$sdk/toolchain.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRALOG_BUILD_BENCH=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine_run.sh;$prefix" \
  -DTERRALOG_LINUX_BUILD="$linux_build"
nice cmake --build "$build" --parallel "$jobs"
$build_only && exit 0

# The Linux programs the comparison of the two builds runs.
if [ ! -x "$linux_build/terralog-sql" ] || [ ! -x "$linux_build/terralog-backup" ]; then
  echo "Building the Linux programs the comparison needs into $linux_build (scripts/setup.sh installs what they need)"
  cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  nice cmake --build "$linux_build" --parallel "$jobs" --target terralog-sql terralog-backup
fi

wineserver=${WINESERVER:-/usr/lib/wine/wineserver64}
wine() { "$root/scripts/wine_run.sh" "$prefix" "$@"; }
if [ ! -f "$prefix/.terralog-ready" ]; then
  echo "Creating the Wine prefix $prefix"
  rm -rf "$prefix"
  "$root/scripts/wine_prefix.sh" "$prefix"
  # The tests' platform plugin: Wine keeps the QT_* variables of Linux from
  # its programs.
  wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null
  WINEPREFIX=$prefix "$wineserver" -w
  touch "$prefix/.terralog-ready"
fi

# The prefix's Wine server and whatever still runs in it end with this
# script. The server is not kept running between the tests: it holds the
# files and pipes its programs had open, CTest's among them, and CTest
# would wait for their end until each test's timeout.
WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true
trap 'WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null || true' EXIT

# Wine's own windows (a crash report, a message box) need a display.
xvfb-run -a ctest --test-dir "$build" --output-on-failure --parallel "$jobs" -LE 'linux-tools|linux-only'
