#!/usr/bin/env bash
# Rebuilds Terralog's Windows cross SDK (the one shared as terralog-win-sdk.tar.xz) from
# Debian bookworm's source packages, for x86_64-w64-mingw32 with GCC 12 and POSIX threads.
#
#   scripts/build-win-sdk.sh [--pack] [output-dir]
#
# output-dir defaults to terralog-win-sdk in the cache folder, TERRALOG_WIN_SDK_CACHE or else
# ${XDG_CACHE_HOME:-$HOME/.cache}/terralog-win-sdk, which also keeps the downloads and the
# builds. Parts already built are skipped: remove output-dir/.built/NAME to build one again.
# --pack also writes output-dir.tar.xz, one folder terralog-win-sdk inside.
# TERRALOG_WIN_SDK_JOBS sets the parallel jobs (2). qtbase alone takes an hour or more on two
# cores. At the end, a program over every library is built with the SDK and, with Wine, run.
# Not part of the tests or CI.
set -euo pipefail

files=$(cd "$(dirname "${BASH_SOURCE[0]}")/win-sdk" && pwd)
cache=${TERRALOG_WIN_SDK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/terralog-win-sdk}
jobs=${TERRALOG_WIN_SDK_JOBS:-2}
host=x86_64-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix

pack=false
out=
for arg; do
  case $arg in
    --pack) pack=true ;;
    -h | --help) sed -n '2,13p' "$0"; exit 0 ;;
    -*) echo "unknown option: $arg" >&2; exit 2 ;;
    *) [ -z "$out" ] || { echo "only one output folder" >&2; exit 2; }; out=$arg ;;
  esac
done
out=${out:-$cache/terralog-win-sdk}
mkdir -p "$out" "$cache/build"
out=$(cd "$out" && pwd)

# An hour of compiling should not slow the machine's other work.
renice -n 19 -p $$ >/dev/null

# Debian source package=version: the versions of the shared SDK, named in win-sdk/README.md.
sources=(
  qt6-base=6.4.2+dfsg-10
  zlib=1:1.2.13.dfsg-1
  libdeflate=1.14-1
  expat=2.5.0-1+deb12u2
  freexl=1.0.6-2
  libxlsxwriter=1.1.4-2
  googletest=1.12.1-0.2
)

packages=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  cmake ninja-build make pkg-config perl dpkg-dev xz-utils debian-archive-keyring
  autoconf automake libtool        # expat's configure, made as Debian makes it
  qt6-base-dev qt6-base-dev-tools  # host moc, rcc, uic and their CMake packages
  libsimpleini-dev                 # SimpleIni's header
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

# apt with its own source list and state in the cache folder.
apt_own() {
  mkdir -p "$cache/apt/lists/partial" "$cache/apt/cache"
  apt-get -o Dir::Etc::SourceList="$files/sources.list" -o Dir::Etc::SourceParts=/dev/null \
    -o Dir::State::Lists="$cache/apt/lists" -o Dir::Cache="$cache/apt/cache" \
    -o APT::Sandbox::User="$(id -un)" "$@"
}

# The unpacked source tree of a source package (Debian's patches applied).
source_dir() {
  local dirs=("$cache/src/$1"/*/debian)
  dirname "${dirs[0]}"
}

fetch_sources() {
  local updated=false spec name
  for spec in "${sources[@]}"; do
    name=${spec%%=*}
    [ -d "$cache/src/$name" ] && [ -d "$(source_dir "$name")" ] && continue
    $updated || { apt_own update; updated=true; }
    rm -rf "$cache/src/$name" && mkdir -p "$cache/src/$name"
    (cd "$cache/src/$name" && apt_own source "$spec")
  done
}

# A fresh copy of a source tree, for builds that write into it.
fresh_copy() {
  rm -rf "$cache/build/$2"
  cp -a "$1" "$cache/build/$2"
  echo "$cache/build/$2"
}

cmake_install() {  # cmake_install SOURCE BUILD-NAME [CMAKE ARGUMENTS...]
  local src=$1 build=$cache/build/$2
  # qtbase goes on where a stopped run left it; the small ones start afresh, so that no path
  # cached by an earlier run (another output folder) remains.
  [ "$2" = qtbase ] || rm -rf "$build"
  shift 2
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$out/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" "$@"
  cmake --build "$build" --parallel "$jobs"
  cmake --install "$build"
}

# A pkg-config file that finds the SDK relative to itself.
write_pc() {  # write_pc NAME VERSION LIBS [CFLAGS]
  cat >"$out/lib/pkgconfig/$1.pc" <<EOF
prefix=\${pcfiledir}/../..
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: $1
Description: $1 for Terralog's Windows build
Version: $2
Libs: -L\${libdir} $3
Cflags: -I\${includedir} ${4:-}
EOF
}

# The pkg-config files that a build installed, made relative to themselves.
relocate_pc() {
  local pc
  for pc; do
    sed -i -e '1i prefix=${pcfiledir}/../..' -e '/^prefix=/d' -e "s|$out|\${prefix}|g" \
      "$out/lib/pkgconfig/$pc"
  done
}

build_qtbase() {
  cmake_install "$(source_dir qt6-base)" qtbase \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_pkg_config=OFF \
    -DINPUT_opengl=no -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF \
    -DFEATURE_concurrent=OFF \
    `# Debian's source leaves out src/3rdparty/wintab (not free), which tablet events need.` \
    -DFEATURE_tabletevent=OFF \
    `# Qt keeps its own zlib, the SDK's static one is for the program.` \
    -DFEATURE_system_zlib=OFF
}

build_zlib() {
  local src
  src=$(fresh_copy "$(source_dir zlib)" zlib)
  (cd "$src" && CHOST=$host CC=$cc ./configure --static && make -j"$jobs" libz.a)
  install -Dm644 -t "$out/lib" "$src/libz.a"
  install -Dm644 -t "$out/include" "$src/zlib.h" "$src/zconf.h"
  write_pc zlib 1.2.13 -lz
}

# minizip's own build (autotools) knows no iowin32, so its sources are compiled here.
build_minizip() {
  local src build=$cache/build/minizip f
  src=$(source_dir zlib)/contrib/minizip
  rm -rf "$build" && mkdir -p "$build"
  for f in ioapi iowin32 unzip zip; do
    $cc -O2 -I"$out/include" -c "$src/$f.c" -o "$build/$f.o"
  done
  $host-ar rcs "$build/libminizip.a" "$build"/*.o
  install -Dm644 -t "$out/lib" "$build/libminizip.a"
  install -Dm644 -t "$out/include/minizip" "$src"/{crypt,ioapi,iowin32,unzip,zip}.h
  write_pc minizip 1.1 "-lminizip -lz" "-I\${includedir}/minizip"
}

build_libdeflate() {
  local src
  src=$(fresh_copy "$(source_dir libdeflate)" libdeflate)
  # For MinGW its Makefile names the static library libdeflatestatic.lib.
  make -C "$src" -j"$jobs" CC=$cc AR=$host-ar libdeflatestatic.lib
  install -Dm644 "$src/libdeflatestatic.lib" "$out/lib/libdeflate.a"
  install -Dm644 -t "$out/include" "$src/libdeflate.h"
  write_pc libdeflate 1.14 -ldeflate
}

# Built with autotools as Debian does: its security patches test XML_DTD as autotools defines it.
build_expat() {
  local src
  src=$(fresh_copy "$(source_dir expat)/expat" expat)
  (cd "$src" && ./buildconf.sh &&
    ./configure --host=$host --prefix="$out" --disable-shared --enable-static --without-xmlwf \
      --without-examples --without-tests --without-docbook CC=$cc &&
    make -j"$jobs" && make install)
  # Debian's patch fits expat's CMake files to its multiarch lib folder, which this SDK has
  # not; pkg-config finds expat.
  rm -rf "$out/lib/libexpat.la" "$out/lib/cmake/expat-2.5.0"
  relocate_pc expat.pc
  # Without it expat.h declares the functions as imported from a DLL.
  sed -i 's|^Cflags: -I${includedir}$|& -DXML_STATIC|' "$out/lib/pkgconfig/expat.pc"
}

# FreeXL reads the text of .xls files through iconv, which MinGW lacks and Debian packages for
# no Windows target (neither GNU libiconv nor win-iconv): a small one over the Win32 code-page
# calls serves it.
build_iconv() {
  local build=$cache/build/iconv
  rm -rf "$build" && mkdir -p "$build"
  $cc -O2 -Wall -Wextra -I"$files/iconv" -c "$files/iconv/iconv.c" -o "$build/iconv.o"
  $cc -O2 -Wall -Wextra -I"$files/iconv" -c "$files/iconv/localcharset.c" -o "$build/localcharset.o"
  $host-ar rcs "$build/libiconv.a" "$build/iconv.o"
  $host-ar rcs "$build/libcharset.a" "$build/localcharset.o"
  install -Dm644 -t "$out/lib" "$build/libiconv.a" "$build/libcharset.a"
  install -Dm644 -t "$out/include" "$files/iconv/iconv.h" "$files/iconv/localcharset.h"
}

build_freexl() {
  local src
  src=$(fresh_copy "$(source_dir freexl)" freexl)
  (cd "$src" && ./configure --host=$host --prefix="$out" --disable-shared --enable-static \
    CC=$cc CPPFLAGS="-I$out/include" LDFLAGS="-L$out/lib" && make -j"$jobs")
  install -Dm644 -t "$out/lib" "$src/src/.libs/libfreexl.a"
  install -Dm644 -t "$out/include" "$src/headers/freexl.h"
  write_pc freexl 1.0.6 "-lfreexl -liconv"
}

build_xlsxwriter() {
  cmake_install "$(source_dir libxlsxwriter)" xlsxwriter -DBUILD_SHARED_LIBS=OFF \
    -DUSE_SYSTEM_MINIZIP=ON -DMINIZIP_ROOT="$out" -DZLIB_ROOT="$out"
  write_pc xlsxwriter 1.1.4 "-lxlsxwriter -lminizip -lz"
}

build_googletest() {
  cmake_install "$(source_dir googletest)" googletest -DBUILD_SHARED_LIBS=OFF
  relocate_pc gtest.pc gtest_main.pc gmock.pc gmock_main.pc
}

# Debian's libsimpleini is SimpleIni's header and a library of its template classes, built here
# from that header. The header comes from the installed libsimpleini-dev: the Debian mirror
# this script was written against lacks libsimpleini's source tarballs.
build_simpleini() {
  local build=$cache/build/simpleini
  rm -rf "$build" && mkdir -p "$build"
  install -Dm644 -t "$out/include" /usr/include/SimpleIni.h
  $cxx -std=c++17 -O2 -I"$out/include" -c "$files/simpleini.cpp" -o "$build/simpleini.o"
  $host-ar rcs "$build/libsimpleini.a" "$build/simpleini.o"
  install -Dm644 -t "$out/lib" "$build/libsimpleini.a"
}

# The programs need these beside them.
build_runtime() {
  local dll
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    install -Dm644 "$($cxx -print-file-name=$dll)" "$out/bin/$dll"
  done
}

# A program over every library and the iconv tests, built with the new SDK and run under Wine
# (in a Wine prefix of the cache folder) when Wine is installed.
check_sdk() {
  local build=$cache/build/check wine=/usr/lib/wine/wine64
  echo "== check"
  rm -rf "$build"
  cmake -S "$files/check" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$out/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" --parallel "$jobs"
  if [ ! -x "$wine" ]; then
    echo "Wine is not installed: the check programs were built, not run."
    return
  fi
  cp "$out"/bin/*.dll "$build/"
  cp -r "$out/plugins/platforms" "$out/plugins/styles" "$build/"
  # No Mono or Gecko: their installers would wait for a click.
  export WINEPREFIX=$cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  cp "$files/../../fuzz/corpus/xls/terralog_biff5.xls" "$build/"
  (cd "$build" && "$wine" iconv_test.exe && "$wine" sdk_check.exe -platform offscreen terralog_biff5.xls)
}

start=$SECONDS
fetch_sources
install -Dm644 "$files/toolchain.cmake" "$out/toolchain.cmake"
install -Dm644 "$files/README.md" "$out/README.md"
mkdir -p "$out/lib/pkgconfig"
for name in qtbase zlib minizip libdeflate expat iconv freexl xlsxwriter googletest simpleini runtime; do
  if [ -e "$out/.built/$name" ]; then
    echo "== $name: built before"
    continue
  fi
  echo "== $name"
  t0=$SECONDS
  "build_$name"
  mkdir -p "$out/.built" && touch "$out/.built/$name"
  echo "== $name: $((SECONDS - t0)) s"
done
check_sdk

if $pack; then
  tar -C "$(dirname "$out")" --exclude=.built --transform "s|^$(basename "$out")|terralog-win-sdk|" \
    -cJf "$out.tar.xz" "$(basename "$out")"
  echo "Packed: $out.tar.xz"
fi
echo "SDK ready in $((SECONDS - start)) s: $out"
echo "Use: cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=$out/toolchain.cmake"
