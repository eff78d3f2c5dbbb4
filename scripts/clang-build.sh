#!/usr/bin/env bash
# Builds every target once more with clang and -Werror into build-clang/, so
# code that only GCC accepts without a warning is caught. Builds only: the
# tests run from the GCC build (scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
    -DZOLVANE2_WERROR=ON "${launcher[@]}"
cmake --build build-clang -j "$(nproc)"
