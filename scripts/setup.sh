#!/usr/bin/env bash
# Installs the Debian packages that are missing, then configures and builds
# into $BUILD_DIR (default build/; a sanitizer build goes to build-asan/ unless
# told otherwise, so its flags never stay behind in build/).
#   setup.sh run    what building and running the programs need
#   setup.sh test   that, plus the test tools and clang (CI builds once with it)
# Never a second sound server: where pipewire-pulse or pulseaudio is
# installed, nothing of the kind is added, and the tests run their private
# daemon from the pulseaudio that is there (or skip the sound-server tests,
# saying why). Only a machine without any (a bare server, CI) gets pulseaudio,
# and only for the tests' private daemons: its per-user service stays off.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# Build: compiler and headers (CLI11 reads zolvane2-cli's options, libFLAC
# encodes and decodes FLAC tracks, libcue reads cue sheets), and dpkg-dev for
# Debian's hardening flags (dpkg-buildflags) and the packages' library
# dependencies (dpkg-shlibdeps). Run: Qt's Japanese translations, its Wayland
# plugin and a font with Japanese glyphs.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libpulse-dev libcli11-dev libflac-dev libcue-dev dpkg-dev
          qt6-translations-l10n qt6-wayland fonts-noto-cjk)
sound_server_added=no
if [ "$mode" = test ]; then
    packages+=(libgtest-dev libbenchmark-dev pulseaudio-utils clang
               desktop-file-utils appstream groff-base lintian flac)
    if ! installed pipewire-pulse && ! installed pulseaudio; then
        packages+=(pulseaudio)
        sound_server_added=yes
    fi
fi
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    # The pulseaudio package enables its per-user service for every user; on a
    # desktop that would start a sound server at the next login. The tests
    # start their own daemon, so switch the service off again.
    if [ "$sound_server_added" = yes ] && command -v systemctl >/dev/null; then
        $sudo systemctl --global disable pulseaudio.service pulseaudio.socket >/dev/null 2>&1 || true
        echo "pulseaudio was installed for the tests only; its per-user service is disabled"
        echo "  (systemctl --global enable pulseaudio.socket turns it on as a sound server)"
    fi
fi

# The tests and benchmarks are built when their libraries are there: a run
# set-up builds only the programs.
with_tests=OFF
if [ "$mode" = test ] || { installed libgtest-dev && installed libbenchmark-dev; }; then
    with_tests=ON
fi
build_type=${BUILD_TYPE:-Release}
build_dir=$(scripts/build-dir.sh)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DZOLVANE2_WERROR=ON \
    -DZOLVANE2_BUILD_TESTS=$with_tests -DZOLVANE2_BUILD_BENCH=$with_tests ${CMAKE_EXTRA:-}
cmake --build "$build_dir" -j "$(nproc)"
