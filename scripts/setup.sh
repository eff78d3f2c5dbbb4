#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need
# (only those missing), then configures and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libpulse-dev pulseaudio pulseaudio-utils
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-noto-cjk imagemagick)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_type=${BUILD_TYPE:-Release}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DZOLVANE2_WERROR=ON ${CMAKE_EXTRA:-}
cmake --build build -j "$(nproc)"
