#!/usr/bin/env bash
# Prints the build folder the scripts use: $BUILD_DIR, or build-asan/ for a
# sanitizer build (CMAKE_EXTRA holding -DZOLVANE2_SANITIZE=ON), or build/.
if [ -n "${BUILD_DIR:-}" ]; then
    echo "$BUILD_DIR"
elif [[ "${CMAKE_EXTRA:-}" == *ZOLVANE2_SANITIZE=ON* ]]; then
    echo build-asan
else
    echo build
fi
