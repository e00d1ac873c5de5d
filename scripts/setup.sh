#!/usr/bin/env bash
# Installs the Debian packages Terralog needs (only those missing) and builds
# it into ./build. Sourced by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-l10n-tools libgl-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  zlib1g-dev libdeflate-dev libfreexl-dev libsimpleini-dev
  libxlsxwriter-dev libminizip-dev libexpat1-dev
  shapelib xvfb xauth ccache python3
  libreoffice-calc-nogui libreoffice-writer-nogui poppler-utils
  clang libclang-rt-14-dev  # scripts/fuzz.sh: libFuzzer and the sanitizers
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

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel
