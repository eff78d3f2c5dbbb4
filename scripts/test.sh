#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest. The tests that record and
# play start their own private PulseAudio daemon (see scripts/pulse-daemon.sh);
# where no pulseaudio program is installed (PipeWire alone), they are skipped.
# Builds and tests in $BUILD_DIR (see scripts/build-dir.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=$(scripts/build-dir.sh)
export BUILD_DIR
scripts/setup.sh test
if ! command -v "${PULSEAUDIO:-pulseaudio}" >/dev/null 2>&1; then
    echo "No pulseaudio program (this machine's sound server is PipeWire): the tests that record and play are skipped."
fi
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 600 -j 2 "$@"
